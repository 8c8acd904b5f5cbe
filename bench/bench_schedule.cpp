#include "bench_folder.h"
#include "platform/linux/posix_file_system.h"
#include "schedule/event_line.h"
#include "schedule/event_list.h"
#include "schedule/schedule_file.h"

#include <benchmark/benchmark.h>

#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

namespace quelvo {
namespace {

constexpr int kLines = 10'000;

// A schedule of varied program-made lines, as a long-used installation might hold.
std::string scheduleBytes(int lines)
{
    static const char* const kHours[] = {"01", "02", "03", "04", "05", "06", "07", "08", "09", "10", "11", "12"};
    std::string bytes;
    for (int i = 0; i < lines; ++i) {
        const std::string minute = std::to_string(10 + i % 50);
        EventSpec event{kEditorDays[i % 7], kHours[(i / 7) % 12], minute,    i % 2 ? "PM" : "AM",
                        i % 3 == 0,         i % 5 == 0,           i % 4 == 0};
        if (event.twentyFourHour)
            event.hour = kHours[i % 12];
        bytes += composeEventLine(event);
        bytes += kLineEnd;
    }
    return bytes;
}

// Another process changing the same schedule all the time, as a script looping over quelvoctl
// would: it holds the lock for an append and a rewrite in turn.
class Contender final
{
public:
    Contender(const std::string& folder, bool active)
    {
        if (!active)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            PosixFileSystem fs;
            ScheduleFile file(fs, folder);
            const std::string line = "On Tue at 04:44 AM, Reboot,    Don't repeat";
            for (;;) {
                (void)file.append(line);
                (void)file.deleteevent(line);
            }
        }
    }
    ~Contender()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    Contender(const Contender&) = delete;
    Contender& operator=(const Contender&) = delete;

private:
    pid_t m_pid = -1;
};

void BM_Loadlist(benchmark::State& state)
{
    bench::BenchFolder folder;
    PosixFileSystem fs;
    ScheduleFile file(fs, folder.path());
    if (!fs.replaceContents(file.eventsPath(), "setup.ini", scheduleBytes(kLines), NewFileAccess::Readable).ok()) {
        state.SkipWithError("cannot write the schedule");
        return;
    }
    EventList list(file);
    for (auto _ : state) {
        list.loadlist();
        benchmark::DoNotOptimize(list.rows().data());
    }
    state.counters["rows"] = static_cast<double>(list.rows().size());
}
BENCHMARK(BM_Loadlist)->Unit(benchmark::kMillisecond);

// One fired one-off event removed from a 10,000-line schedule, temp.ini and fsyncs included.
void BM_Rewrite(benchmark::State& state)
{
    bench::BenchFolder folder;
    PosixFileSystem fs;
    ScheduleFile file(fs, folder.path());
    const std::string target = "On Wed at 03:33 AM, Shut Down, Don't repeat";
    const std::string bytes = scheduleBytes(kLines - 1) + target + std::string(kLineEnd);
    const auto variant = static_cast<ScheduleFile::RewriteVariant>(state.range(0));
    const Contender contender(folder.path(), state.range(1) != 0);
    for (auto _ : state) {
        state.PauseTiming();
        const bool ready = fs.replaceContents(file.eventsPath(), "setup.ini", bytes, NewFileAccess::Readable).ok();
        state.ResumeTiming();
        if (!ready || !file.removeEvent(target, variant).ok()) {
            state.SkipWithError("rewrite failed");
            return;
        }
    }
}
BENCHMARK(BM_Rewrite)
    ->ArgsProduct({{static_cast<int>(ScheduleFile::RewriteVariant::DeleteEvent),
                    static_cast<int>(ScheduleFile::RewriteVariant::DropEvent)},
                   {0, 1}})
    ->ArgNames({"dropevent", "contended"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// One line appended to a 10,000-line schedule, lock and fsync included.
void BM_Append(benchmark::State& state)
{
    bench::BenchFolder folder;
    PosixFileSystem fs;
    ScheduleFile file(fs, folder.path());
    if (!fs.replaceContents(file.eventsPath(), "setup.ini", scheduleBytes(kLines), NewFileAccess::Readable).ok()) {
        state.SkipWithError("cannot write the schedule");
        return;
    }
    const Contender contender(folder.path(), state.range(0) != 0);
    for (auto _ : state) {
        if (!file.append("On Wed at 03:33 AM, Shut Down, Don't repeat").ok()) {
            state.SkipWithError("append failed");
            return;
        }
    }
}
BENCHMARK(BM_Append)->Arg(0)->Arg(1)->ArgName("contended")->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace quelvo

BENCHMARK_MAIN();
