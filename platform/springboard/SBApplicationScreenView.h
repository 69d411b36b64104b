#pragma once
// What the home screen shows for an application in the foreground: a plain screen in the
// appearance's background colour. An application shows its icon and name in the middle; a
// settings page shows "Settings" and the page's title; a web page shows "Safari" and an address
// bar with the address.

#include <optional>
#include <string>

#include "platform/springboard/DeviceConfiguration.h"
#include "platform/uikit/UIView.h"

namespace ios {

class SBApplicationScreenView : public UIView {
    OBJC_CLASS_DECLARE(SBApplicationScreenView)
public:
    enum class Kind { Application, SettingsPage, WebPage };

    using UIView::init;
    void init(const CGRect& frame, Kind kind, const InstalledApplication& application, std::string detail = {});

    Kind kind() const { return m_kind; }
    const InstalledApplication& application() const { return m_application; }
    // The settings page's title or the web address; empty for an application.
    const std::string& detail() const { return m_detail; }
    // The background for the current appearance: black when dark, white otherwise.
    static UIColorRef screenBackgroundColor();
    static UIColorRef screenTextColor();

    void drawRect(const CGRect& rect) override;
    void traitCollectionDidChange(const UITraitCollection* previous) override;

protected:
    SBApplicationScreenView() = default;

private:
    Kind m_kind = Kind::Application;
    InstalledApplication m_application;
    std::string m_detail;
};

}  // namespace ios
