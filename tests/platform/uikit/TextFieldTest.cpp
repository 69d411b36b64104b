#include "InputTestSupport.h"

#include <cmath>

#include "platform/uikit/NSValueBox.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITextField.h"

namespace ios::testing {
namespace {

class FieldDelegate : public objc::Object {
    OBJC_CLASS_DECLARE(FieldDelegate)
public:
    bool allow = true;
    int didBegin = 0;

protected:
    FieldDelegate() = default;
};

OBJC_CLASS_DEFINE_WITH(FieldDelegate, objc::Object, [](objc::Class& cls) {
    cls.addNativeMethod("textFieldShouldBeginEditing:", "B@:@",
                        [](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
                            return NSValueBox::box(Value(static_cast<FieldDelegate&>(self).allow));
                        });
    cls.addNativeMethod("textFieldDidBeginEditing:", "v@:@",
                        [](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
                            ++static_cast<FieldDelegate&>(self).didBegin;
                            return nullptr;
                        });
})

using TextFieldTest = InputTest;

TEST_F(TextFieldTest, TapFocusesAskingTheDelegateAndTypingSendsEditingChanged) {
    auto field = objc::make<UITextField>(CGRectMake(20, 100, 200, 40));
    window->addSubview(field);
    auto delegate = objc::make<FieldDelegate>();
    delegate->allow = false;
    field->setDelegate(delegate);
    field->addTarget(counter, fire, UIControlEventEditingChanged);

    tap(CGPointMake(100, 120));
    EXPECT_FALSE(field->isFirstResponder());
    EXPECT_FALSE(typeText("no"));
    EXPECT_EQ(delegate->didBegin, 0);

    delegate->allow = true;
    tap(CGPointMake(100, 120));
    EXPECT_TRUE(field->isFirstResponder());
    EXPECT_TRUE(field->isEditing());
    EXPECT_EQ(delegate->didBegin, 1);
    EXPECT_TRUE(typeText("Héllo"));
    EXPECT_TRUE(pressBackspace(2));
    EXPECT_EQ(field->text(), "Hél");
    EXPECT_EQ(counter->count, 3);
    EXPECT_TRUE(field->resignFirstResponder());
    EXPECT_FALSE(field->isEditing());
}

TEST_F(TextFieldTest, DrawsPlaceholderTextAndCaret) {
    auto field = objc::make<UITextField>(CGRectMake(0, 0, 200, 40));
    window->addSubview(field);
    window->setBackgroundColor(UIColor::whiteColor());
    field->setAttributedPlaceholder(
        NSAttributedPlaceholder{"WWWW", UIColor::redColor(), UIFont::boldSystemFontOfSize(24)});
    auto hasColor = [&](auto predicate) {
        auto image = UIScreen::mainScreen()->snapshot(1);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 200; ++x)
                if (predicate(image->pixelAt(x, y))) return true;
        return false;
    };
    EXPECT_TRUE(hasColor([](auto p) { return p.r > 200 && p.g < 80; }));
    field->setTintColor(UIColor::greenColor());
    field->setTextColor(UIColor::blueColor());
    ASSERT_TRUE(field->becomeFirstResponder());
    typeText("WW");
    EXPECT_FALSE(hasColor([](auto p) { return p.r > 200 && p.g < 80; })) << "placeholder hidden once there is text";
    EXPECT_TRUE(hasColor([](auto p) { return p.b > 200 && p.r < 80 && p.g < 80; }));
    EXPECT_TRUE(hasColor([](auto p) { return p.g > 100 && p.r < 80 && p.b < 80; })) << "caret in the tint colour";
}

}  // namespace
}  // namespace ios::testing

namespace ios::testing {
namespace {

// Whether any pixel of the screen's x0..x1, y0..y1 (points, scale 1) is dark.
bool darkIn(const UIImage& image, double x0, double x1, double y0, double y1) {
    for (int y = static_cast<int>(y0); y < static_cast<int>(y1); ++y)
        for (int x = static_cast<int>(x0); x < static_cast<int>(x1); ++x)
            if (image.pixelAt(x, y).r < 128) return true;
    return false;
}

double widthOf(const std::string& text, const objc::Ref<UIFont>& font) {
    NSStringAttributes a;
    a.font = font;
    return NSStringSizeWithAttributes(text, a).width;
}

}  // namespace

// A one-line field never wraps: text wider than its text area is drawn on one line and clipped at
// the area, showing its start, and while editing its end with the caret.
TEST_F(TextFieldTest, TextWiderThanTheFieldIsOneClippedLine) {
    auto font = UIFont::systemFontOfSize(18);
    const std::string text = "Wide Wide Wide Wide";
    // The text area ends inside the third word: "Wide Wide " fits, "Wide Wide Wide" does not.
    const double area = widthOf("Wide Wide Wi", font);
    const double inset = kTextFieldHorizontalInset;
    window->setBackgroundColor(UIColor::whiteColor());
    auto field = objc::make<UITextField>(CGRectMake(0, 0, area + 2 * inset, 40));
    field->setFont(font);
    field->setTintColor(UIColor::greenColor());
    field->setText(text);
    window->addSubview(field);
    const double lineTop = 20 - font->lineHeight() / 2, lineBottom = 20 + font->lineHeight() / 2;

    auto shot = UIScreen::mainScreen()->snapshot(1);
    // The start shows: the third word's first letters fill the end of the area (a wrapped first
    // line would stop after "Wide Wide").
    double third = inset + widthOf("Wide Wide ", font);
    EXPECT_TRUE(darkIn(*shot, third + 1, inset + area, lineTop, lineBottom));
    EXPECT_TRUE(darkIn(*shot, inset, inset + 10, lineTop, lineBottom));
    // Nothing beyond the area, above or below the one line.
    EXPECT_FALSE(darkIn(*shot, inset + area, area + 2 * inset, 0, 40));
    EXPECT_FALSE(darkIn(*shot, 0, area + 2 * inset, 0, lineTop - 1));
    EXPECT_FALSE(darkIn(*shot, 0, area + 2 * inset, lineBottom + 1, 40));

    // Editing: the end of the text and the caret show; the text ends where the area ends.
    ASSERT_TRUE(field->becomeFirstResponder());
    auto editing = UIScreen::mainScreen()->snapshot(1);
    CGRect caret = field->caretRect();
    EXPECT_NEAR(caret.origin.x, inset + area, 1e-9);
    auto caretPixel = editing->pixelAt(static_cast<int>(caret.origin.x + 1), 20);
    EXPECT_TRUE(caretPixel.g > 200 && caretPixel.r < 80) << "the caret is in view";
    // "Wide" ends the text: its last letter fills the last points of the area.
    EXPECT_TRUE(darkIn(*editing, inset + area - 8, inset + area, lineTop, lineBottom));
    // Scrolled, not wrapped: the space before the last word lies just before it.
    double space = inset + area - widthOf("Wide", font) - widthOf(" ", font) / 2;
    EXPECT_FALSE(darkIn(*editing, std::floor(space), std::floor(space) + 1, lineTop, lineBottom));
    field->resignFirstResponder();
    auto after = UIScreen::mainScreen()->snapshot(1);
    EXPECT_TRUE(darkIn(*after, third + 1, inset + area, lineTop, lineBottom)) << "the start shows again";
}

}  // namespace ios::testing
