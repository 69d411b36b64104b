#pragma once
// Attributed text as labels take it: runs of text, each with a font and a foreground colour
// (none: the receiver's own). Labels show such text with plain runs: the whole text in the first
// run's font and colour.

#include <string>
#include <vector>

#include "platform/graphics/UIColor.h"
#include "platform/objc/Runtime.h"
#include "platform/text/UIFont.h"

namespace ios {

class NSAttributedString : public objc::Object {
    OBJC_CLASS_DECLARE(NSAttributedString)
public:
    struct Run {
        std::string text;
        objc::Ref<UIFont> font;
        objc::Ref<UIColor> foregroundColor;
    };

    static objc::Ref<NSAttributedString> stringWithRuns(std::vector<Run> runs);
    static objc::Ref<NSAttributedString> stringWithString(const std::string& text, objc::Ref<UIFont> font = nullptr,
                                                          objc::Ref<UIColor> color = nullptr);

    const std::vector<Run>& runs() const { return m_runs; }
    // The runs' text joined.
    std::string string() const;
    std::size_t length() const { return string().size(); }
    // Equal text, and run by run equal fonts and colours.
    bool isEqualToAttributedString(const NSAttributedString& other) const;

    void init(std::vector<Run> runs) { m_runs = std::move(runs); }

protected:
    NSAttributedString() = default;

private:
    std::vector<Run> m_runs;
};

using NSAttributedStringRef = objc::Ref<NSAttributedString>;

}  // namespace ios
