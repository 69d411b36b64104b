#include "InputTestSupport.h"

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
    cls.addNativeMethod("textFieldShouldBeginEditing:", "B@:@", [](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
        return NSValueBox::box(Value(static_cast<FieldDelegate&>(self).allow));
    });
    cls.addNativeMethod("textFieldDidBeginEditing:", "v@:@", [](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
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
    field->setAttributedPlaceholder(NSAttributedPlaceholder{"WWWW", UIColor::redColor(), UIFont::boldSystemFontOfSize(24)});
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
