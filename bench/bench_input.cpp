// A touch from injection to its action on a screen of about 100 views: hit-testing through the
// tree, recognisers along the chain, the control's tracking and its touch-up-inside action.

#include <benchmark/benchmark.h>

#include "tests/support/TestProcess.h"
#include "platform/uikit/TouchInjection.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIWindow.h"

namespace {

int g_fired = 0;

class BenchTarget : public objc::Object {
    OBJC_CLASS_DECLARE(BenchTarget)
protected:
    BenchTarget() = default;
};
OBJC_CLASS_DEFINE_WITH(BenchTarget, objc::Object, [](objc::Class& cls) {
    cls.addNativeMethod("fire:", "v@:@", [](objc::Object&, objc::SEL, std::span<const objc::id>) -> objc::id {
        ++g_fired;
        return nullptr;
    });
})

void BM_TapToAction(benchmark::State& state) {
    ios::testing::TestProcess process;
    auto window = objc::make<ios::UIWindow>();
    window->setHidden(false);
    auto target = objc::make<BenchTarget>();
    // 10 cards of 9 views, each card with a pan recogniser; the last button is the one tapped.
    objc::Ref<ios::UIButton> button;
    for (int card = 0; card < 10; ++card) {
        auto view = objc::make<ios::UIView>(ios::CGRectMake(10, 10 + card * 78, 355, 70));
        view->addGestureRecognizer(objc::make<ios::UIPanGestureRecognizer>(target, objc::sel("fire:")));
        window->addSubview(view);
        for (int i = 0; i < 8; ++i) {
            button = ios::UIButton::buttonWithType(ios::UIButtonType::System);
            button->setFrame(ios::CGRectMake(4 + i * 44, 15, 40, 40));
            button->setTitle(std::string("B"), ios::UIControlStateNormal);
            button->addTarget(target, objc::sel("fire:"), ios::UIControlEventTouchUpInside);
            view->addSubview(button);
        }
    }
    ios::CGPoint point = ios::CGPointMake(10 + 4 + 7 * 44 + 20, 10 + 9 * 78 + 35);
    g_fired = 0;
    for (auto _ : state) {
        ios::sendTouch(ios::UITouchPhase::Began, point);
        ios::sendTouch(ios::UITouchPhase::Ended, point);
    }
    if (g_fired != static_cast<int>(state.iterations()))
        state.SkipWithError("the action did not arrive at every touch");
}
BENCHMARK(BM_TapToAction);

}  // namespace

BENCHMARK_MAIN();
