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

} // namespace

BENCHMARK_MAIN();
