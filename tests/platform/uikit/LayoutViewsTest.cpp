// Constraints on real views: anchors, activation, the layout pass, intrinsic label sizes and the
// log line of a conflict.

#include <cmath>

#include <gtest/gtest.h>

#include "platform/foundation/SystemLog.h"
#include "tests/support/TestProcess.h"
#include "platform/uikit/NSLayoutAnchor.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIStackView.h"

using namespace ios;

namespace {
objc::Ref<UIView> constrainedView(const objc::Ref<UIView>& parent) {
    auto v = objc::make<UIView>(CGRectMake(1, 1, 1, 1));
    v->setTranslatesAutoresizingMaskIntoConstraints(false);
    parent->addSubview(v);
    return v;
}
}  // namespace

TEST(LayoutViews, PickerPageWithPillLabelAndImage) {
    ios::testing::TestProcess process;
    auto page = objc::make<UIView>(CGRectMake(375, 0, 375, 771));
    auto image = constrainedView(page), pill = constrainedView(page);
    auto label = objc::make<UILabel>(CGRectZero);
    label->setTranslatesAutoresizingMaskIntoConstraints(false);
    label->setText("Customize");
    pill->addSubview(label);
    NSLayoutConstraint::activateConstraints({
        image->topAnchor()->constraintEqualToAnchor(page->topAnchor(), 20),
        image->leadingAnchor()->constraintEqualToAnchor(page->leadingAnchor(), 20),
        image->trailingAnchor()->constraintEqualToAnchor(page->trailingAnchor(), -20),
        image->bottomAnchor()->constraintEqualToAnchor(pill->topAnchor(), -20),
        pill->widthAnchor()->constraintEqualToConstant(200),
        pill->heightAnchor()->constraintEqualToConstant(60),
        pill->centerXAnchor()->constraintEqualToAnchor(page->centerXAnchor()),
        pill->bottomAnchor()->constraintEqualToAnchor(page->bottomAnchor(), -20),
        label->centerXAnchor()->constraintEqualToAnchor(pill->centerXAnchor()),
        label->centerYAnchor()->constraintEqualToAnchor(pill->centerYAnchor()),
    });
    // Constraints live on the nearest common ancestor; a size constant on the view itself.
    EXPECT_EQ(pill->constraints().size(), 4u);  // width, height, and the label's two
    EXPECT_EQ(page->constraints().size(), 6u);
    page->layoutIfNeeded();

    EXPECT_EQ(pill->frame(), CGRectMake(87.5, 691, 200, 60));
    EXPECT_EQ(image->frame(), CGRectMake(20, 20, 335, 651));
    CGSize text = label->intrinsicContentSize();
    EXPECT_GT(text.width, 40);
    EXPECT_EQ(text.width, std::ceil(text.width));
    EXPECT_EQ(label->frame(), CGRectMake((200 - text.width) / 2, (60 - text.height) / 2, text.width, text.height));

    // A longer text re-places the label at the next layout pass.
    label->setText("Customize this template");
    page->layoutIfNeeded();
    EXPECT_GT(label->frame().size.width, text.width);
    EXPECT_DOUBLE_EQ(label->center().x, 100);

    // Changing a constant moves what depends on it.
    // Held strongly: deactivating takes it out of the view that kept it.
    objc::Ref<NSLayoutConstraint> bottom;
    for (auto& c : page->constraints())
        if (c->firstItem() == pill && c->firstAttribute() == NSLayoutAttribute::Bottom) bottom = c;
    ASSERT_TRUE(bottom);
    bottom->setConstant(-30);
    page->layoutIfNeeded();
    EXPECT_EQ(pill->frame().origin.y, 771 - 30 - 60);
    EXPECT_EQ(image->frame().size.height, 771 - 30 - 60 - 20 - 20);

    // Deactivation takes a constraint out.
    bottom->setActive(false);
    EXPECT_EQ(bottom->holder(), nullptr);
    EXPECT_EQ(page->constraints().size(), 5u);
}

TEST(LayoutViews, ConflictWritesOneLineAndKeepsTheFrames) {
    ios::testing::TestProcess process;
    auto root = objc::make<UIView>(CGRectMake(0, 0, 300, 300));
    auto a = constrainedView(root);
    a->setTag(7);
    a->setFrame(CGRectMake(5, 6, 7, 8));
    NSLayoutConstraint::activateConstraints({
        a->leadingAnchor()->constraintEqualToAnchor(root->leadingAnchor(), 10),
        a->trailingAnchor()->constraintEqualToAnchor(root->trailingAnchor(), -10),
        a->widthAnchor()->constraintEqualToConstant(100),
        a->topAnchor()->constraintEqualToAnchor(root->topAnchor(), 30),
        a->heightAnchor()->constraintEqualToConstant(40),
    });
    process.process().log().clear();
    root->layoutIfNeeded();
    const auto& lines = process.process().log().lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("Unable to satisfy the horizontal constraints"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("tag = 7"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("UIView"), std::string::npos) << lines[0];
    // Horizontal: the last frame; vertical: solved.
    EXPECT_EQ(a->frame(), CGRectMake(5, 30, 7, 40));

    // The same problem is not logged again at the next pass.
    root->setNeedsLayout();
    root->layoutIfNeeded();
    EXPECT_EQ(process.process().log().lines().size(), 1u);
}

TEST(LayoutViews, MalformedConstraintsAreLoggedAndNeverActive) {
    ios::testing::TestProcess process;
    auto root = objc::make<UIView>(CGRectMake(0, 0, 100, 100));
    auto a = constrainedView(root);
    auto bad = NSLayoutConstraint::constraintWithItem(a, NSLayoutAttribute::Leading, NSLayoutRelation::Equal, root,
                                                      NSLayoutAttribute::Top, 1, 0);
    EXPECT_FALSE(bad->isValid());
    bad->setActive(true);
    EXPECT_FALSE(bad->isActive());
    EXPECT_TRUE(root->constraints().empty());
    auto inequality =
        NSLayoutConstraint::constraintWithItem(a, NSLayoutAttribute::Width, NSLayoutRelation::GreaterThanOrEqual,
                                               nullptr, NSLayoutAttribute::NotAnAttribute, 1, 10);
    EXPECT_FALSE(inequality->isValid());
    EXPECT_GE(process.process().log().lines().size(), 2u);
}

TEST(LayoutViews, EqualSizeStacksInsetInACard) {
    ios::testing::TestProcess process;
    auto card = objc::make<UIView>(CGRectMake(0, 0, 170, 260));
    std::vector<objc::Ref<UIView>> left, right;
    for (int i = 0; i < 3; ++i)
        left.push_back(objc::make<UIView>(CGRectZero)), right.push_back(objc::make<UIView>(CGRectZero));
    auto column1 = objc::make<UIStackView>(left), column2 = objc::make<UIStackView>(right);
    for (auto& c : {column1, column2}) {
        c->setAxis(UILayoutConstraintAxis::Vertical);
        c->setDistribution(UIStackViewDistribution::FillEqually);
        c->setSpacing(5);
    }
    auto row = objc::make<UIStackView>(std::vector<objc::Ref<UIView>>{column1, column2});
    row->setDistribution(UIStackViewDistribution::FillEqually);
    row->setSpacing(5);
    row->setTranslatesAutoresizingMaskIntoConstraints(false);
    card->addSubview(row);
    NSLayoutConstraint::activateConstraints({
        row->leadingAnchor()->constraintEqualToAnchor(card->leadingAnchor(), 2),
        row->trailingAnchor()->constraintEqualToAnchor(card->trailingAnchor(), -2),
        row->topAnchor()->constraintEqualToAnchor(card->topAnchor(), 2),
        row->bottomAnchor()->constraintEqualToAnchor(card->bottomAnchor(), -2),
    });
    process.process().log().clear();
    card->layoutIfNeeded();
    EXPECT_TRUE(process.process().log().lines().empty());
    EXPECT_EQ(row->frame(), CGRectMake(2, 2, 166, 256));
    EXPECT_EQ(column2->frame(), CGRectMake(85.5, 0, 80.5, 256));
    const CGFloat h = (256 - 10) / 3.0;
    EXPECT_EQ(right[2]->frame(), CGRectMake(0, 2 * (h + 5), 80.5, h));
    EXPECT_EQ(left[1]->frame(), CGRectMake(0, h + 5, 80.5, h));

    // A hidden arranged view gives its share to the others.
    left[1]->setHidden(true);
    column1->setNeedsLayout();
    card->layoutIfNeeded();
    EXPECT_EQ(left[2]->frame(), CGRectMake(0, (256 - 5) / 2.0 + 5, 80.5, (256 - 5) / 2.0));
}
