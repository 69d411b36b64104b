#include "platform/uikit/NSAttributedString.h"

namespace ios {

OBJC_CLASS_DEFINE(NSAttributedString, objc::Object)

objc::Ref<NSAttributedString> NSAttributedString::stringWithRuns(std::vector<Run> runs) {
    return objc::make<NSAttributedString>(std::move(runs));
}

objc::Ref<NSAttributedString> NSAttributedString::stringWithString(const std::string& text, objc::Ref<UIFont> font,
                                                                   objc::Ref<UIColor> color) {
    return stringWithRuns({Run{text, std::move(font), std::move(color)}});
}

std::string NSAttributedString::string() const {
    std::string out;
    for (const auto& run : m_runs) out += run.text;
    return out;
}

bool NSAttributedString::isEqualToAttributedString(const NSAttributedString& other) const {
    if (m_runs.size() != other.m_runs.size()) return false;
    for (std::size_t i = 0; i < m_runs.size(); ++i) {
        const Run& a = m_runs[i];
        const Run& b = other.m_runs[i];
        if (a.text != b.text) return false;
        if (!a.font != !b.font || (a.font && !a.font->isEqual(*b.font))) return false;
        if (!a.foregroundColor != !b.foregroundColor ||
            (a.foregroundColor && !a.foregroundColor->isEqual(*b.foregroundColor)))
            return false;
    }
    return true;
}

}  // namespace ios
