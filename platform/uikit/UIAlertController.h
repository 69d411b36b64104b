#pragma once
// Alerts and action sheets: a title, a message and actions. Presented by a view controller (over
// full screen), it shows a dimmed backdrop with a card holding the texts and one button per
// action; a tap on a button, or pressActionWithTitle, dismisses the alert and then runs the
// action's handler.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/uikit/UIViewController.h"

namespace ios {

class UIButton;

enum class UIAlertControllerStyle { ActionSheet = 0, Alert = 1 };
enum class UIAlertActionStyle { Default = 0, Cancel = 1, Destructive = 2 };

class UIAlertAction : public objc::Object {
    OBJC_CLASS_DECLARE(UIAlertAction)
public:
    using Handler = std::function<void(UIAlertAction&)>;
    static objc::Ref<UIAlertAction> actionWithTitle(std::optional<std::string> title, UIAlertActionStyle style,
                                                    Handler handler);
    const std::optional<std::string>& title() const { return m_title; }
    UIAlertActionStyle style() const { return m_style; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    const Handler& handler() const { return m_handler; }

protected:
    UIAlertAction() = default;

private:
    std::optional<std::string> m_title;
    UIAlertActionStyle m_style = UIAlertActionStyle::Default;
    Handler m_handler;
    bool m_enabled = true;
};

class UIAlertController : public UIViewController {
    OBJC_CLASS_DECLARE(UIAlertController)
public:
    static objc::Ref<UIAlertController> alertControllerWithTitle(std::optional<std::string> title,
                                                                 std::optional<std::string> message,
                                                                 UIAlertControllerStyle style);
    const std::optional<std::string>& message() const { return m_message; }
    void setMessage(std::optional<std::string> message) { m_message = std::move(message); }
    const std::optional<std::string>& alertTitle() const { return m_alertTitle; }
    UIAlertControllerStyle preferredStyle() const { return m_style; }
    void addAction(const objc::Ref<UIAlertAction>& action);
    const std::vector<objc::Ref<UIAlertAction>>& actions() const { return m_actions; }

    // Presses the first enabled action with this title; false when there is none.
    bool pressActionWithTitle(const std::string& title);
    void loadView() override;

    // The button showing each action once the view is loaded (same order as actions()).
    const std::vector<objc::Ref<UIButton>>& actionButtons() const { return m_buttons; }

protected:
    UIAlertController() = default;

private:
    void press(const objc::Ref<UIAlertAction>& action);

    std::optional<std::string> m_alertTitle;
    std::optional<std::string> m_message;
    UIAlertControllerStyle m_style = UIAlertControllerStyle::Alert;
    std::vector<objc::Ref<UIAlertAction>> m_actions;
    std::vector<objc::Ref<UIButton>> m_buttons;
};

}  // namespace ios
