#pragma once
// Trait collections: the appearance style (0 unspecified, 1 light, 2 dark) and display scale,
// from the device profile. The style can change while running: setting it updates the profile
// and tells every view of the visible windows (and their controllers) traitCollectionDidChange.

#include "platform/objc/Runtime.h"

namespace ios {

enum class UIUserInterfaceStyle { Unspecified = 0, Light = 1, Dark = 2 };

class UITraitCollection : public objc::Object {
    OBJC_CLASS_DECLARE(UITraitCollection)
public:
    static objc::Ref<UITraitCollection> traitCollectionWithUserInterfaceStyle(UIUserInterfaceStyle style);
    // The traits of the current process's device (style unspecified without a process).
    static objc::Ref<UITraitCollection> currentTraitCollection();
    // Changes the device's appearance while running and notifies the visible views.
    static void setCurrentUserInterfaceStyle(UIUserInterfaceStyle style);

    UIUserInterfaceStyle userInterfaceStyle() const { return m_style; }
    double displayScale() const { return m_scale; }
    bool hasDifferentColorAppearanceComparedToTraitCollection(const UITraitCollection* other) const;

    void init(UIUserInterfaceStyle style, double scale);
    using objc::Object::init;

protected:
    UITraitCollection() = default;

private:
    UIUserInterfaceStyle m_style = UIUserInterfaceStyle::Unspecified;
    double m_scale = 1;
};

}  // namespace ios
