#include "platform/uikit/UIActivity.h"

#include <memory>

namespace ios {

OBJC_CLASS_DEFINE(UIActivity, objc::Object)

objc::Ref<UIActivity> UIActivity::activityWithType(std::string type, std::string title, Perform perform,
                                                   UIImageRef image) {
    return objc::make<UIActivity>(std::move(type), std::move(title), std::move(perform), std::move(image));
}

void UIActivity::init(std::string type, std::string title, Perform perform, UIImageRef image) {
    m_type = std::move(type);
    m_title = std::move(title);
    m_perform = std::move(perform);
    m_image = std::move(image);
}

void UIActivity::perform(const std::vector<objc::id>& items, Finished finished) const {
    auto called = std::make_shared<bool>(false);
    Finished once = [called, finished = std::move(finished)](bool completed) {
        if (*called) return;
        *called = true;
        if (finished) finished(completed);
    };
    if (m_perform)
        m_perform(items, once);
    else
        once(false);
}

objc::Ref<UIImage> UIActivity::firstImage(const std::vector<objc::id>& items) {
    for (const auto& item : items)
        if (auto image = objc::cast<UIImage>(item)) return image;
    return nullptr;
}

}  // namespace ios
