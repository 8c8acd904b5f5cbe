#include "platform/linux/system_clock.h"
#include "schedule/next_firing.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// `count` lines, each on its own minute of the week when `copies` is 1; with 2, every minute has a
// second line below the first, which never fires, so the walk runs to its horizon.
std::vector<std::string> weekOfLines(std::size_t count, std::size_t copies)
{
    const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::vector<std::string> lines;
    lines.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t minute = i / copies * 7 * 24 * 60 / (count / copies);
        const int dayMinute = static_cast<int>(minute % (24 * 60));
        const int hour = dayMinute / 60 % 12 == 0 ? 12 : dayMinute / 60 % 12;
        char line[64];
        std::snprintf(line, sizeof line, "On %s at %02d:%02d %s, %s, Repeat daily", days[minute / (24 * 60)], hour,
                      dayMinute % 60, dayMinute < 12 * 60 ? "AM" : "PM", i % copies ? "Reboot,   " : "Shut Down");
        lines.emplace_back(line);
    }
    return lines;
}

// Each line's next firing in the machine's zone, from now.
void nextFiringsOfTenThousandLines(benchmark::State& state)
{
    const auto lines = weekOfLines(10000, static_cast<std::size_t>(state.range(0)));
    const quelvo::SystemClock clock;
    const quelvo::WallTime now = clock.wallNow();
    std::size_t found = 0;
    for (auto _ : state) {
        auto firings = quelvo::nextFirings(lines, false, clock, now, {}, {});
        found = firings.size();
        benchmark::DoNotOptimize(firings);
    }
    state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(nextFiringsOfTenThousandLines)->ArgName("copies")->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// The earliest firing of all.
void nextFiringOfTenThousandLines(benchmark::State& state)
{
    const auto lines = weekOfLines(10000, 1);
    const quelvo::SystemClock clock;
    const quelvo::WallTime now = clock.wallNow();
    for (auto _ : state) {
        auto firing = quelvo::nextFiring(lines, false, clock, now, {}, {});
        benchmark::DoNotOptimize(firing);
    }
}
BENCHMARK(nextFiringOfTenThousandLines)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
