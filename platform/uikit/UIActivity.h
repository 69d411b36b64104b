#pragma once
// A share target of the share sheet: the type its completion reports, the title shown under its
// icon, the icon (a plain tile when none) and what it does with the shared items.
//
// `perform` gets the sheet's items (images are UIImage objects; texts and addresses NSValueBox
// strings) and a `finished` to call once, at once or later, with whether the activity
// completed; the sheet closes and reports the activity when it is called. Calls after the first
// are ignored.

#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/UIImage.h"
#include "platform/objc/Runtime.h"

namespace ios {

// The types of the sheet's own targets.
inline constexpr const char* UIActivityTypeSaveToCameraRoll = "com.apple.UIKit.activity.SaveToCameraRoll";
inline constexpr const char* UIActivityTypeCopyToPasteboard = "com.apple.UIKit.activity.CopyToPasteboard";

class UIActivity : public objc::Object {
    OBJC_CLASS_DECLARE(UIActivity)
public:
    using Finished = std::function<void(bool completed)>;
    using Perform = std::function<void(const std::vector<objc::id>& items, Finished finished)>;

    static objc::Ref<UIActivity> activityWithType(std::string type, std::string title, Perform perform,
                                                  UIImageRef image = nullptr);
    using objc::Object::init;
    void init(std::string type, std::string title, Perform perform, UIImageRef image);

    const std::string& activityType() const { return m_type; }
    const std::string& activityTitle() const { return m_title; }
    const UIImageRef& activityImage() const { return m_image; }
    // Runs the activity on the items; `finished` is called exactly once.
    void perform(const std::vector<objc::id>& items, Finished finished) const;

    // The first image among the items; none when there is none.
    static objc::Ref<UIImage> firstImage(const std::vector<objc::id>& items);

protected:
    UIActivity() = default;

private:
    std::string m_type;
    std::string m_title;
    Perform m_perform;
    UIImageRef m_image;
};

}  // namespace ios
