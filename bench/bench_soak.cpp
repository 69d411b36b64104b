// The soak: the quick panel opened and dismissed 1,000 times (wave running, a countdown every
// tenth opening), the Showcase editor launched, used and dismissed 1,000 times, and 10,000 pen
// strokes with undo and redo in the drawing sandbox, one after another on one device. Each phase
// reports its live objects per class before and after (classes whose count changed are listed),
// and the resident memory after it, against the first phase's and against its own after a tenth
// of its repetitions (when the screens it uses have been drawn at least once).
// Targets: no class's count changed; resident memory within 5 % of the first phase's, the
// drawing canvas's bounded snapshot cache aside; nothing grows within a phase.

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <functional>
#include <memory>

#include "tests/support/SoakDevice.h"

namespace {

using flint::soak::SoakDevice;

SoakDevice& device() {
    static auto* shared = new SoakDevice;  // one device for every phase, in order
    return *shared;
}
long g_firstPhaseKiB = 0;

// The heap the process uses (not what it holds from the system): growth here is memory kept,
// growth of the resident set alone is the allocator's.
long heapInUseKiB() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
}

void report(benchmark::State& state, const char* phase, const objc::LiveObjectCounts& before,
            const objc::LiveObjectCounts& after, long rssBefore, long rssWarm, long rssAfter) {
    std::int64_t totalBefore = 0, totalAfter = 0;
    for (const auto& [name, n] : before) totalBefore += n;
    for (const auto& [name, n] : after) totalAfter += n;
    if (!g_firstPhaseKiB) g_firstPhaseKiB = rssAfter;
    std::printf(
        "%s: %lld live objects before, %lld after; VmRSS %ld KiB before, %ld KiB after a tenth, %ld KiB after "
        "(%+.1f %% since the tenth; %+.1f %% of the first phase's)\n",
        phase, static_cast<long long>(totalBefore), static_cast<long long>(totalAfter), rssBefore, rssWarm, rssAfter,
        100.0 * (rssAfter - rssWarm) / rssWarm, 100.0 * (rssAfter - g_firstPhaseKiB) / g_firstPhaseKiB);
    for (const auto& [name, change] : objc::diffLiveObjectCounts(before, after)) {
        auto was = before.find(name);
        auto is = after.find(name);
        std::printf("  %-36s %8lld -> %8lld\n", name.c_str(),
                    static_cast<long long>(was == before.end() ? 0 : was->second),
                    static_cast<long long>(is == after.end() ? 0 : is->second));
    }
    std::fflush(stdout);
    state.counters["live_before"] = static_cast<double>(totalBefore);
    state.counters["live_after"] = static_cast<double>(totalAfter);
    state.counters["classes_changed"] = static_cast<double>(objc::diffLiveObjectCounts(before, after).size());
    state.counters["rss_MiB"] = rssAfter / 1024.0;
    state.counters["rss_vs_first_pct"] = 100.0 * (rssAfter - g_firstPhaseKiB) / g_firstPhaseKiB;
    state.counters["rss_growth_pct"] = 100.0 * (rssAfter - rssWarm) / rssWarm;
}

void runPhase(benchmark::State& state, const char* phase, int repetitions, const std::function<bool(int)>& step,
              const std::function<void()>& open = {}, const std::function<void()>& close = {}) {
    SoakDevice& d = device();
    // One warm-up round fills the caches the phase uses.
    if (open) open();
    if (!step(9)) return state.SkipWithError(d.failure().c_str());
    if (close) close();
    for (auto _ : state) {
        const auto before = objc::liveObjectCounts();
        const long rssBefore = flint::soak::residentKiB();
        long rssWarm = rssBefore, heapWarm = heapInUseKiB();
        if (open) open();
        for (int n = 0; n < repetitions; ++n) {
            if (!step(n)) return state.SkipWithError(d.failure().c_str());
            if (n + 1 == repetitions / 10) {
                rssWarm = flint::soak::residentKiB();
                heapWarm = heapInUseKiB();
            }
        }
        if (close) close();
        state.PauseTiming();
        report(state, phase, before, objc::liveObjectCounts(), rssBefore, rssWarm, flint::soak::residentKiB());
        const long heapAfter = heapInUseKiB();
        std::printf("  heap in use: %ld KiB after a tenth, %ld KiB after (%+.1f %%)\n", heapWarm, heapAfter,
                    100.0 * (heapAfter - heapWarm) / heapWarm);
        state.counters["heap_growth_pct"] = 100.0 * (heapAfter - heapWarm) / heapWarm;
        state.ResumeTiming();
    }
}

void BM_SoakQuickPanel(benchmark::State& state) {
    runPhase(state, "quick panel", static_cast<int>(state.range(0)), [](int n) { return device().panelRepetition(n); });
}
BENCHMARK(BM_SoakQuickPanel)->Arg(1000)->Iterations(1)->Unit(benchmark::kSecond);

void BM_SoakShowcaseEditor(benchmark::State& state) {
    runPhase(state, "Showcase editor", static_cast<int>(state.range(0)),
             [](int n) { return device().showcaseRepetition(n); });
}
BENCHMARK(BM_SoakShowcaseEditor)->Arg(1000)->Iterations(1)->Unit(benchmark::kSecond);

void BM_SoakDrawingSandbox(benchmark::State& state) {
    runPhase(
        state, "drawing sandbox", static_cast<int>(state.range(0)), [](int n) { return device().sandboxRepetition(n); },
        [] { device().openSandbox(); }, [] { device().closeSandbox(); });
}
BENCHMARK(BM_SoakDrawingSandbox)->Arg(10000)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
