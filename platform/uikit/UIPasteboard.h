#pragma once
// The general pasteboard of the process: what "Copy" put there last, an image or a text. Each
// change replaces the whole content and counts up changeCount.

#include <optional>
#include <string>

#include "platform/graphics/UIImage.h"

namespace ios {

class UIPasteboard {
public:
    // The current process's pasteboard.
    static UIPasteboard& generalPasteboard();

    objc::Ref<UIImage> image() const { return m_image; }
    void setImage(const objc::Ref<UIImage>& image);
    const std::optional<std::string>& string() const { return m_string; }
    void setString(const std::string& text);
    bool hasImages() const { return m_image != nullptr; }
    bool hasStrings() const { return m_string.has_value(); }
    long changeCount() const { return m_changeCount; }

private:
    objc::Ref<UIImage> m_image;
    std::optional<std::string> m_string;
    long m_changeCount = 0;
};

}  // namespace ios
