// A marquee label given a long text: setting the text, laying out (measuring the text, setting up
// the scroll animation) and drawing one frame, for texts of 1,000, 10,000 and 100,000 characters.
// The time should grow about linearly with the length.

#include <benchmark/benchmark.h>

#include <string>

#include "Extension/MarqueeLabel.h"
#include "tests/support/TestProcess.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

namespace {

std::string longText(std::size_t length) {
    static const std::string words = "The quick brown fox jumps over the lazy dog. ";
    std::string text;
    while (text.size() < length) text += words;
    text.resize(length);
    return text;
}

void BM_MarqueeLongText(benchmark::State& state) {
    ios::testing::TestProcess process;
    auto window = objc::make<ios::UIWindow>();
    auto controller = objc::make<ios::UIViewController>();
    window->setRootViewController(controller);
    window->makeKeyAndVisible();
    const std::string texts[2] = {longText(static_cast<std::size_t>(state.range(0))),
                                  longText(static_cast<std::size_t>(state.range(0)) - 1)};
    auto label = objc::make<MarqueeLabel>(ios::CGRect{{10, 100}, {300, 30}}, 7.0, 10.0);
    controller->view()->addSubview(label);
    int i = 0;
    for (auto _ : state) {
        label->setText(texts[i++ % 2]);  // a different text each time, so nothing is reused
        process.runLoop().runUntilIdle();
        window->layoutIfNeeded();
        label->displayIfNeeded();
        label->subLabel()->displayIfNeeded();
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_MarqueeLongText)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace

BENCHMARK_MAIN();
