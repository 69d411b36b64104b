// Hot paths of the runtime and Foundation: dispatch by selector, the run loop's timers, and
// re-reading the preference domain (done at every change notification).
#include <benchmark/benchmark.h>

#include "platform/foundation/NSTimer.h"
#include "platform/foundation/PropertyList.h"
#include "tests/support/TestProcess.h"
#include "platform/objc/Runtime.h"

namespace {

class Target : public objc::Object {
    OBJC_CLASS_DECLARE(Target)
public:
    long count = 0;

protected:
    Target() = default;
};
OBJC_CLASS_DEFINE_WITH(Target, objc::Object, [](objc::Class& cls) {
    cls.addNativeMethod("tick:", "v@:@", [](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
        ++static_cast<Target&>(self).count;
        return nullptr;
    });
})

void BM_MsgSend(benchmark::State& state) {
    ios::testing::TestProcess process;
    auto target = objc::make<Target>();
    objc::id arg = target;
    objc::SEL sel = objc::sel("tick:");
    for (auto _ : state) objc::msgSend(target, sel, arg);
    benchmark::DoNotOptimize(target->count);
}
BENCHMARK(BM_MsgSend);

void BM_RepeatingTimersOverOneSecond(benchmark::State& state) {
    ios::testing::TestProcess process;
    auto target = objc::make<Target>();
    std::vector<objc::Ref<ios::NSTimer>> timers;
    for (int i = 0; i < state.range(0); ++i)
        timers.push_back(
            ios::NSTimer::scheduledTimerWithTimeInterval(1.0 / 60, target, objc::sel("tick:"), nullptr, true));
    for (auto _ : state) process.runLoop().advanceBy(1.0);
    state.SetItemsProcessed(state.iterations() * state.range(0) * 60);
}
BENCHMARK(BM_RepeatingTimersOverOneSecond)->Arg(1)->Arg(16);

void BM_ReadPreferenceDomain(benchmark::State& state) {
    ios::testing::TestProcess process;
    ios::Dictionary domain;
    for (int i = 0; i < 11; ++i) domain["key" + std::to_string(i)] = "value " + std::to_string(i);
    domain["icloudAvatarImage"] = ios::Data(static_cast<std::size_t>(state.range(0)), 0x5a);
    const char* path = "/var/mobile/Library/Preferences/com.quillmoth.FlintPrefs.plist";
    ios::writeDictionaryToFile(domain, path, ios::PlistFormat::XML);
    for (auto _ : state) benchmark::DoNotOptimize(ios::dictionaryWithContentsOfFile(path));
}
BENCHMARK(BM_ReadPreferenceDomain)->Arg(0)->Arg(64 * 1024);

}  // namespace

BENCHMARK_MAIN();
