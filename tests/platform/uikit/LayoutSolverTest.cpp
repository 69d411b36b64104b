// The constraint solver over abstract items: propagation per axis, intrinsic sizes, diagnosis.

#include <gtest/gtest.h>

#include "platform/uikit/LayoutSolver.h"
#include "tests/support/GeometryExpectations.h"

using namespace ios;
using A = NSLayoutAttribute;

namespace {

struct Grid {
    LayoutSolver solver;
    int root;
    Grid(CGFloat w, CGFloat h) { root = solver.addItem({-1, CGRectMake(0, 0, w, h)}); }
    int constrained(int parent,
                    CGSize intrinsic = {LayoutSolver::kNoIntrinsicMetric, LayoutSolver::kNoIntrinsicMetric}) {
        LayoutSolver::Item item;
        item.parent = parent;
        item.frame = CGRectMake(1, 2, 3, 4);  // a stale frame the solve must replace
        item.intrinsicSize = intrinsic;
        item.constrained = true;
        return solver.addItem(item);
    }
    int fixed(int parent, CGRect frame) { return solver.addItem({parent, frame}); }
    void eq(int a, A aa, int b, A ba, CGFloat c = 0, CGFloat m = 1) {
        std::string why;
        ASSERT_TRUE(solver.addConstraint({a, aa, b, ba, m, c}, &why)) << why;
    }
    void size(int a, A aa, CGFloat c) { ASSERT_TRUE(solver.addConstraint({a, aa, -1, A::NotAnAttribute, 1, c})); }
};

void expectFrame(const CGRect& actual, CGRect expected) {
    EXPECT_TRUE(flint::testing::rectNear(actual, expected, 1e-9));
}

}  // namespace

TEST(LayoutSolver, CardGridWithEdgesCentresFixedSizesAndIntrinsicLabels) {
    // Two cards side by side, a wide card under them, a label centred in each card, a
    // bottom-pinned label under the wide card.
    Grid g(375, 812);
    int left = g.constrained(g.root), right = g.constrained(g.root), wide = g.constrained(g.root);
    g.eq(left, A::Leading, g.root, A::Leading, 20);
    g.eq(left, A::Top, g.root, A::Top, 100);
    g.size(left, A::Width, 160);
    g.size(left, A::Height, 120);
    g.eq(right, A::Leading, left, A::Trailing, 15);
    g.eq(right, A::Trailing, g.root, A::Trailing, -20);
    g.eq(right, A::Top, left, A::Top);
    g.eq(right, A::Height, left, A::Height);
    g.eq(wide, A::Left, left, A::Left);
    g.eq(wide, A::Right, right, A::Right);
    g.eq(wide, A::Top, left, A::Bottom, 15);
    g.eq(wide, A::Height, left, A::Height, 0, 0.5);

    int title = g.constrained(left, {58.4, 21});
    g.eq(title, A::CenterX, left, A::CenterX);
    g.eq(title, A::CenterY, left, A::CenterY, 10);
    int caption = g.constrained(wide, {200, 17});
    g.eq(caption, A::Leading, wide, A::Leading, 8);
    g.eq(caption, A::Trailing, wide, A::Trailing, -8);  // the width comes from the edges, not the text
    g.eq(caption, A::Bottom, wide, A::Bottom, -4);

    auto r = g.solver.solve();
    EXPECT_TRUE(r.problems.empty());
    expectFrame(r.frames[left], CGRectMake(20, 100, 160, 120));
    expectFrame(r.frames[right], CGRectMake(195, 100, 160, 120));
    expectFrame(r.frames[wide], CGRectMake(20, 235, 335, 60));
    // Children are placed in their parent's space.
    expectFrame(r.frames[title], CGRectMake((160 - 58.4) / 2, 60 + 10 - 10.5, 58.4, 21));
    expectFrame(r.frames[caption], CGRectMake(8, 60 - 4 - 17, 319, 17));
    for (int i = 1; i < g.solver.itemCount(); ++i) EXPECT_TRUE(r.placed(i)) << i;
}

TEST(LayoutSolver, FixedItemsAnchorConstrainedOnesThroughTheirParents) {
    // A fixed page inside a fixed scroller, with a constrained pill inside the page that is
    // pinned to the root's bottom: the page's offset must be taken off.
    Grid g(400, 600);
    int scroller = g.fixed(g.root, CGRectMake(0, 40, 400, 560));
    int page = g.fixed(scroller, CGRectMake(400, 0, 400, 560));
    int pill = g.constrained(page);
    g.size(pill, A::Width, 200);
    g.size(pill, A::Height, 60);
    g.eq(pill, A::CenterX, page, A::CenterX);
    g.eq(pill, A::Bottom, g.root, A::Bottom, -20);
    int label = g.constrained(pill, {80, 20});
    g.eq(label, A::CenterX, pill, A::CenterX);
    g.eq(label, A::CenterY, pill, A::CenterY);
    auto r = g.solver.solve();
    EXPECT_TRUE(r.problems.empty());
    expectFrame(r.frames[pill], CGRectMake(100, 480, 200, 60));  // bottom at 580 in the root, the page at y 40
    expectFrame(r.frames[label], CGRectMake(60, 20, 80, 20));
    // Fixed items keep their frames.
    expectFrame(r.frames[page], CGRectMake(400, 0, 400, 560));
    EXPECT_FALSE(r.placedHorizontally[page]);
}

TEST(LayoutSolver, IntrinsicSizeOnlyFillsWhatConstraintsLeaveOpen) {
    Grid g(300, 300);
    // Equal widths chained to a fixed one: the intrinsic width of the second is overridden.
    int a = g.constrained(g.root, {50, 10}), b = g.constrained(g.root, {90, 30});
    g.size(a, A::Width, 70);
    g.eq(b, A::Width, a, A::Width);
    g.eq(a, A::Left, g.root, A::Left);
    g.eq(b, A::Left, a, A::Right, 5);
    g.eq(a, A::Top, g.root, A::Top);
    g.eq(b, A::Bottom, a, A::Bottom);  // heights: a's intrinsic 10, then b's own 30 fills b
    auto r = g.solver.solve();
    EXPECT_TRUE(r.problems.empty());
    expectFrame(r.frames[a], CGRectMake(0, 0, 70, 10));
    expectFrame(r.frames[b], CGRectMake(75, -20, 70, 30));
}

TEST(LayoutSolver, ConflictKeepsTheGroupsFramesAndNamesTheConstraint) {
    Grid g(300, 300);
    int a = g.constrained(g.root), b = g.constrained(g.root), other = g.constrained(g.root);
    g.eq(a, A::Leading, g.root, A::Leading, 10);
    g.eq(a, A::Trailing, g.root, A::Trailing, -10);
    g.size(a, A::Width, 100);  // 280 from the edges
    g.eq(b, A::Leading, a, A::Trailing);
    g.size(b, A::Width, 5);
    g.eq(a, A::Top, g.root, A::Top);
    g.size(a, A::Height, 10);
    g.eq(b, A::Top, a, A::Top);
    g.size(b, A::Height, 10);
    g.eq(other, A::Left, g.root, A::Left, 7);
    g.size(other, A::Width, 7);
    g.eq(other, A::Top, g.root, A::Top, 7);
    g.size(other, A::Height, 7);
    auto r = g.solver.solve();
    ASSERT_EQ(r.problems.size(), 1u);
    const auto& p = r.problems[0];
    EXPECT_EQ(p.kind, LayoutSolver::ProblemKind::Conflict);
    EXPECT_EQ(p.axis, NSLayoutConstraintAxis::Horizontal);
    EXPECT_EQ(p.kept, (std::vector<int>{a, b}));
    // a and b keep their stale horizontal frame, but are placed vertically; the unrelated view is placed.
    EXPECT_FALSE(r.placedHorizontally[a]);
    EXPECT_FALSE(r.placedHorizontally[b]);
    EXPECT_TRUE(r.placedVertically[a]);
    EXPECT_EQ(r.frames[a].origin.x, 1);
    EXPECT_EQ(r.frames[a].size.width, 3);
    EXPECT_EQ(r.frames[b].origin.y, 0);
    EXPECT_TRUE(r.placed(other));

    auto name = [](int i) { return "v" + std::to_string(i); };
    std::string line = g.solver.describe(p, name);
    EXPECT_NE(line.find("Unable to satisfy the horizontal constraints"), std::string::npos) << line;
    EXPECT_NE(line.find("keeping the last frames of v1, v2"), std::string::npos) << line;
    ASSERT_GE(p.constraint, 0);
    EXPECT_NE(line.find(g.solver.describeConstraint(p.constraint, name)), std::string::npos) << line;
}

TEST(LayoutSolver, AmbiguityNamesTheOpenItems) {
    Grid g(300, 300);
    int a = g.constrained(g.root), b = g.constrained(g.root);
    g.eq(a, A::Leading, g.root, A::Leading);
    g.eq(b, A::Leading, a, A::Trailing);  // a has no width: b's position is open too
    g.size(b, A::Width, 10);
    g.eq(a, A::Top, g.root, A::Top);
    g.size(a, A::Height, 10);
    g.eq(b, A::Top, g.root, A::Top);
    g.size(b, A::Height, 10);
    auto r = g.solver.solve();
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_EQ(r.problems[0].kind, LayoutSolver::ProblemKind::Ambiguous);
    EXPECT_EQ(r.problems[0].culprits, (std::vector<int>{a, b}));
    std::string line = g.solver.describe(r.problems[0], [](int i) { return "v" + std::to_string(i); });
    EXPECT_EQ(line,
              "Ambiguous horizontal layout: the constraints leave the position or size of v1, v2 open; "
              "keeping the last frames of v1, v2.");
    EXPECT_TRUE(r.placedVertically[a] && r.placedVertically[b]);
}

TEST(LayoutSolver, FixedFramesTakePartInConflictsAndMalformedConstraintsAreRefused) {
    Grid g(300, 300);
    int fixedView = g.fixed(g.root, CGRectMake(0, 0, 40, 40));
    g.size(fixedView, A::Width, 50);
    auto r = g.solver.solve();
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_EQ(r.problems[0].kind, LayoutSolver::ProblemKind::Conflict);
    EXPECT_TRUE(r.problems[0].kept.empty());
    expectFrame(r.frames[fixedView], CGRectMake(0, 0, 40, 40));

    std::string why;
    EXPECT_FALSE(g.solver.addConstraint({fixedView, A::Leading, -1, A::NotAnAttribute, 1, 5}, &why));
    EXPECT_NE(why.find("position"), std::string::npos);
    EXPECT_FALSE(g.solver.addConstraint({fixedView, A::Leading, g.root, A::Top, 1, 0}, &why));
    EXPECT_FALSE(g.solver.addConstraint({fixedView, A::Width, g.root, A::Leading, 1, 0}, &why));
    EXPECT_FALSE(g.solver.addConstraint({fixedView, A::Width, 99, A::Width, 1, 0}, &why));
}
