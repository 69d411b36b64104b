#include "platform/uikit/UIPasteboard.h"

#include "platform/foundation/Process.h"

namespace ios {

UIPasteboard& UIPasteboard::generalPasteboard() { return Process::shared().attached<UIPasteboard>(); }

void UIPasteboard::setImage(const objc::Ref<UIImage>& image) {
    m_image = image;
    m_string.reset();
    ++m_changeCount;
}

void UIPasteboard::setString(const std::string& text) {
    m_image = nullptr;
    m_string = text;
    ++m_changeCount;
}

}  // namespace ios
