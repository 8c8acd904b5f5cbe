#include "bench_folder.h"
#include "platform/linux/posix_file_system.h"
#include "platform/linux/settings_store.h"
#include "platform/linux/system_clock.h"
#include "schedule/schedule_checker.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// 10,000 lines of other weekdays and minutes, with the one due line last: the scan reads every line.
std::vector<std::string> makeSchedule(std::size_t count)
{
    const char* days[] = {"Tue", "Wed", "Thu", "Fri", "Sat", "Sun", "Mon"};
    std::vector<std::string> lines;
    lines.reserve(count);
    for (std::size_t i = 0; i + 1 < count; ++i) {
        const int minute = static_cast<int>(i % 59); // never 59, the due minute
        const int hour = static_cast<int>(i / 59 % 12) + 1;
        char line[64];
        std::snprintf(line, sizeof line, "On %s at %02d:%02d %s, Shut Down, Repeat daily", days[i % 7], hour, minute,
                      i % 2 ? "PM" : "AM");
        lines.emplace_back(line);
    }
    lines.emplace_back("On Mon at 09:59 AM, Reboot,    Don't repeat");
    return lines;
}

void scanTenThousandLines(benchmark::State& state)
{
    const auto lines = makeSchedule(10000);
    const quelvo::LocalTime now{2026, 12, 7, 9, 59, 0, 1};
    for (auto _ : state) {
        auto due = quelvo::findDue(lines, now, false);
        benchmark::DoNotOptimize(due);
    }
}
BENCHMARK(scanTenThousandLines)->Unit(benchmark::kMicrosecond);

// The wall clock as the benchmark sets it, read in the machine's zone; the monotonic clock stands still.
class SetClock final : public quelvo::Clock
{
public:
    [[nodiscard]] quelvo::WallTime wallNow() const override { return wall; }
    [[nodiscard]] quelvo::LocalTime toLocal(quelvo::WallTime t) const override { return m_system.toLocal(t); }
    [[nodiscard]] std::chrono::steady_clock::time_point steadyNow() const override { return {}; }
    quelvo::WallTime wall;

private:
    quelvo::SystemClock m_system;
};

class ListHost final : public quelvo::CheckerHost
{
public:
    [[nodiscard]] const std::vector<std::string>& lstEvents() const override { return lines; }
    quelvo::IoResult dropevent(const std::string&) override { return quelvo::IoResult::success(); }
    void openCountdown(bool) override { ++opened; }
    void reportError(const std::string&) override {}
    std::vector<std::string> lines;
    int opened = 0;
};

// A whole tick of the checker with the real settings store and zone conversion: "minute" alternates
// between two minutes an hour apart that no line matches (a clock set back and forth: one full scan of
// 10,000 lines per tick), "same minute" is the tick of every other second.
void checkerTick(benchmark::State& state)
{
    const bool newMinute = state.range(0) != 0;
    quelvo::bench::BenchFolder folder;
    quelvo::PosixFileSystem fs;
    quelvo::SettingsStore settings(fs, quelvo::joinPath(folder.path(), "quelvo/settings.ini"));
    (void)settings.save("24hr", "False");
    ListHost host;
    host.lines = makeSchedule(10000);
    SetClock clock;
    const quelvo::WallTime start = std::chrono::system_clock::now();
    // Minute 59: no line but the last has it.
    clock.wall = std::chrono::floor<std::chrono::hours>(start) + std::chrono::minutes(59) + std::chrono::seconds(1);
    quelvo::ScheduleChecker checker(host, settings, clock);
    checker.checkevents();
    bool later = false;
    for (auto _ : state) {
        if (newMinute) {
            later = !later;
            clock.wall += later ? std::chrono::hours(1) : -std::chrono::hours(1);
        }
        checker.checkevents();
    }
    state.counters["fired"] = host.opened;
}
BENCHMARK(checkerTick)->ArgName("minute")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
