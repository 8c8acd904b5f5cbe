#include "bench_folder.h"
#include "platform/file_system.h"
#include "platform/linux/posix_file_system.h"
#include "platform/linux/settings_store.h"

#include <benchmark/benchmark.h>

namespace quelvo {
namespace {

// The keys the program keeps, so the file has its real size.
void fillTypicalSettings(SettingsStore& store)
{
    for (const auto& [key, value] : {std::pair{"24hr", "False"},
                                     {"forced", "True"},
                                     {"pause", "False"},
                                     {"hide", "0"},
                                     {"runs1", "3"},
                                     {"x", "1500"},
                                     {"y", "200"}})
        (void)store.save(key, value);
}

// The window position is saved at pointer-event rate; almost every save repeats the stored value.
void BM_SaveSameValue(benchmark::State& state)
{
    bench::BenchFolder folder;
    PosixFileSystem fs;
    SettingsStore store(fs, joinPath(folder.path(), "quelvo/settings.ini"));
    fillTypicalSettings(store);
    for (auto _ : state) {
        if (!store.save("x", "1500").ok()) {
            state.SkipWithError("save failed");
            return;
        }
    }
}
BENCHMARK(BM_SaveSameValue)->Unit(benchmark::kMicrosecond);

void BM_SaveChangedValue(benchmark::State& state)
{
    bench::BenchFolder folder;
    PosixFileSystem fs;
    SettingsStore store(fs, joinPath(folder.path(), "quelvo/settings.ini"));
    fillTypicalSettings(store);
    int x = 0;
    for (auto _ : state) {
        if (!store.save("x", std::to_string(x++ % 2 ? 1500 : 1515)).ok()) {
            state.SkipWithError("save failed");
            return;
        }
    }
}
BENCHMARK(BM_SaveChangedValue)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
} // namespace quelvo

BENCHMARK_MAIN();
