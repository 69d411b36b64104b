#include "platform/uikit/UIAlertController.h"

#include <algorithm>

#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/NSStringDrawing.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIScreen.h"

namespace ios {

OBJC_CLASS_DEFINE(UIAlertAction, objc::Object)
OBJC_CLASS_DEFINE_WITH(UIAlertController, UIViewController, [](objc::Class& cls) {
    cls.addNativeMethod("_alertButtonPressed:", "v@:@",
                        [](objc::Object& self, objc::SEL, std::span<const objc::id> args) -> objc::id {
                            auto& alert = static_cast<UIAlertController&>(self);
                            for (std::size_t i = 0; i < alert.actionButtons().size() && !args.empty(); ++i)
                                if (alert.actionButtons()[i] == args[0] && i < alert.actions().size())
                                    alert.pressActionWithTitle(alert.actions()[i]->title().value_or(""));
                            return nullptr;
                        });
})

namespace {

constexpr double kAlertWidth = 270;
constexpr double kAlertTextInset = 16;
constexpr double kAlertButtonHeight = 44;

// The title and message of an alert, drawn centred.
class AlertTextView : public UIView {
public:
    std::optional<std::string> title, message;
    void drawRect(const CGRect&) override {
        CGContext* context = UIGraphicsGetCurrentContext();
        if (!context) return;
        double y = kAlertTextInset;
        auto draw = [&](const std::optional<std::string>& text, objc::Ref<UIFont> font) {
            if (!text || text->empty()) return;
            NSStringAttributes a;
            a.font = font;
            a.foregroundColor = UIColor::blackColor();
            a.alignment = NSTextAlignment::Center;
            CGRect r = NSStringBoundingRectWithSize(*text, CGSizeMake(bounds().size.width - 2 * kAlertTextInset, 1e6),
                                                    NSStringDrawingUsesLineFragmentOrigin, a);
            drawText(*context, *text,
                     CGRectMake(kAlertTextInset, y, bounds().size.width - 2 * kAlertTextInset, r.size.height), a);
            y += r.size.height + 4;
        };
        draw(title, UIFont::boldSystemFontOfSize(17));
        draw(message, UIFont::systemFontOfSize(13));
    }
};

}  // namespace

objc::Ref<UIAlertAction> UIAlertAction::actionWithTitle(std::optional<std::string> title, UIAlertActionStyle style,
                                                        Handler handler) {
    auto action = objc::make<UIAlertAction>();
    action->m_title = std::move(title);
    action->m_style = style;
    action->m_handler = std::move(handler);
    return action;
}

objc::Ref<UIAlertController> UIAlertController::alertControllerWithTitle(std::optional<std::string> title,
                                                                         std::optional<std::string> message,
                                                                         UIAlertControllerStyle style) {
    auto alert = objc::make<UIAlertController>();
    alert->m_alertTitle = title;
    alert->setTitle(title.value_or(""));
    alert->m_message = std::move(message);
    alert->m_style = style;
    alert->setModalPresentationStyle(UIModalPresentationStyle::OverFullScreen);
    return alert;
}

void UIAlertController::addAction(const objc::Ref<UIAlertAction>& action) {
    if (action) m_actions.push_back(action);
}

void UIAlertController::loadView() {
    CGRect screen = UIScreen::mainScreen()->bounds();
    auto root = objc::make<UIView>(screen);
    root->setBackgroundColor(UIColor::colorWithWhite(0, 0.4));

    auto text = objc::make<AlertTextView>(CGRectMake(0, 0, kAlertWidth, 0));
    text->title = m_alertTitle;
    text->message = m_message;
    NSStringAttributes a;
    a.font = UIFont::boldSystemFontOfSize(17);
    double textHeight = 2 * kAlertTextInset;
    for (const auto& t : {m_alertTitle, m_message})
        if (t && !t->empty())
            textHeight += NSStringBoundingRectWithSize(*t, CGSizeMake(kAlertWidth - 2 * kAlertTextInset, 1e6),
                                                       NSStringDrawingUsesLineFragmentOrigin, a)
                              .size.height +
                          4;
    double height = textHeight + kAlertButtonHeight * static_cast<double>(m_actions.size());
    double top =
        m_style == UIAlertControllerStyle::Alert ? (screen.size.height - height) / 2 : screen.size.height - height - 10;
    auto card = objc::make<UIView>(CGRectMake((screen.size.width - kAlertWidth) / 2, top, kAlertWidth, height));
    card->setBackgroundColor(UIColor::colorWithWhite(0.97, 1));
    card->layer()->setCornerRadius(13);
    card->setClipsToBounds(true);
    text->setFrame(CGRectMake(0, 0, kAlertWidth, textHeight));
    text->setBackgroundColor(UIColor::clearColor());
    card->addSubview(text);

    m_buttons.clear();
    double y = textHeight;
    for (const auto& action : m_actions) {
        auto button = UIButton::buttonWithType(UIButtonType::System);
        button->setFrame(CGRectMake(0, y, kAlertWidth, kAlertButtonHeight));
        button->setTitle(action->title(), UIControlStateNormal);
        if (action->style() == UIAlertActionStyle::Destructive)
            button->setTitleColor(UIColor::redColor(), UIControlStateNormal);
        button->setTitleFont(action->style() == UIAlertActionStyle::Cancel ? UIFont::boldSystemFontOfSize(17)
                                                                           : UIFont::systemFontOfSize(17));
        button->setEnabled(action->isEnabled());
        button->addTarget(shared_from_this(), objc::sel("_alertButtonPressed:"), UIControlEventTouchUpInside);
        card->addSubview(button);
        m_buttons.push_back(button);
        y += kAlertButtonHeight;
    }
    root->addSubview(card);
    setView(root);
}

bool UIAlertController::pressActionWithTitle(const std::string& title) {
    for (const auto& action : m_actions) {
        if (action->isEnabled() && action->title().value_or("") == title) {
            press(action);
            return true;
        }
    }
    return false;
}

void UIAlertController::press(const objc::Ref<UIAlertAction>& action) {
    auto keep = shared_from_this();
    auto run = [action] {
        if (action->handler()) action->handler()(*action);
    };
    if (presentingViewController())
        dismissViewControllerAnimated(true, run);
    else
        run();
}

}  // namespace ios
