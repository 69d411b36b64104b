// Layout of a tree of about 100 views with about 150 constraints: ten cards in a column, each with
// an icon, a badge, a title label, a caption and six frame-placed dots; one layout pass after the
// root's width changes.

#include <benchmark/benchmark.h>

#include "tests/support/TestProcess.h"
#include "platform/uikit/NSLayoutAnchor.h"
#include "platform/uikit/UILabel.h"

using namespace ios;

namespace {
struct Tree {
    objc::Ref<UIView> root = objc::make<UIView>(CGRectMake(0, 0, 375, 812));
    std::vector<objc::Ref<NSLayoutConstraint>> constraints;
    int views = 1;

    template <class T>
    objc::Ref<T> add(const objc::Ref<UIView>& parent) {
        auto v = objc::make<T>(CGRectZero);
        v->setTranslatesAutoresizingMaskIntoConstraints(false);
        parent->addSubview(v);
        ++views;
        return v;
    }

    Tree() {
        objc::Ref<UIView> previous;
        for (int card = 0; card < 10; ++card) {
            auto c = add<UIView>(root);
            auto on = [&](objc::Ref<NSLayoutConstraint> k) { constraints.push_back(k); };
            on(c->leadingAnchor()->constraintEqualToAnchor(root->leadingAnchor(), 16));
            on(c->trailingAnchor()->constraintEqualToAnchor(root->trailingAnchor(), -16));
            on(c->heightAnchor()->constraintEqualToConstant(70));
            on(previous ? c->topAnchor()->constraintEqualToAnchor(previous->bottomAnchor(), 8)
                        : c->topAnchor()->constraintEqualToAnchor(root->topAnchor(), 44));
            auto icon = add<UIView>(c);
            on(icon->widthAnchor()->constraintEqualToConstant(40));
            on(icon->heightAnchor()->constraintEqualToAnchor(icon->widthAnchor()));
            on(icon->leadingAnchor()->constraintEqualToAnchor(c->leadingAnchor(), 10));
            on(icon->centerYAnchor()->constraintEqualToAnchor(c->centerYAnchor()));
            auto title = add<UILabel>(c);
            title->setText("Card " + std::to_string(card));
            on(title->leadingAnchor()->constraintEqualToAnchor(icon->trailingAnchor(), 10));
            on(title->topAnchor()->constraintEqualToAnchor(c->topAnchor(), 10));
            auto caption = add<UILabel>(c);
            caption->setText("A caption under the title");
            on(caption->leadingAnchor()->constraintEqualToAnchor(title->leadingAnchor()));
            on(caption->trailingAnchor()->constraintEqualToAnchor(c->trailingAnchor(), -10));
            on(caption->topAnchor()->constraintEqualToAnchor(title->bottomAnchor(), 4));
            auto badge = add<UIView>(c);
            on(badge->widthAnchor()->constraintEqualToConstant(10));
            on(badge->heightAnchor()->constraintEqualToAnchor(badge->widthAnchor()));
            on(badge->centerXAnchor()->constraintEqualToAnchor(icon->trailingAnchor()));
            on(badge->centerYAnchor()->constraintEqualToAnchor(icon->topAnchor()));
            for (int dot = 0; dot < 6; ++dot) {  // placed by frame
                c->addSubview(objc::make<UIView>(CGRectMake(60 + dot * 6, 60, 4, 4)));
                ++views;
            }
            previous = c;
        }
        NSLayoutConstraint::activateConstraints(constraints);
    }
};
}  // namespace

static void BM_LayoutHundredViews(benchmark::State& state) {
    ios::testing::TestProcess process;
    Tree tree;
    tree.root->layoutIfNeeded();
    double width = 375;
    for (auto _ : state) {
        width = width == 375 ? 414 : 375;  // a real change each time, so every view moves
        tree.root->setFrame(CGRectMake(0, 0, width, 812));
        tree.root->layoutIfNeeded();
        benchmark::DoNotOptimize(tree.root->subviews().back()->frame());
    }
    state.counters["views"] = tree.views;
    state.counters["constraints"] = static_cast<double>(tree.constraints.size());
}
BENCHMARK(BM_LayoutHundredViews)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
