#pragma once
// Fonts over Pango and fontconfig. The system font is Inter; it reports the platform's names
// ".SFUIText" (regular) and ".SFUIText-Bold" (bold) at every size, and fontWithName maps those
// names back to Inter. Other names are looked up in fontconfig (PostScript, full or family
// name); a name fontconfig does not know gives none. Sizes are in points; one point is one
// user-space unit of the drawing context.

#include <string>

#include <pango/pango.h>

#include "platform/graphics/CGGeometry.h"
#include "platform/objc/Runtime.h"

namespace ios {

class UIFont : public objc::Object {
    OBJC_CLASS_DECLARE(UIFont)
public:
    static constexpr const char* kSystemFontName = ".SFUIText";
    static constexpr const char* kBoldSystemFontName = ".SFUIText-Bold";
    static constexpr const char* kSystemFamily = "Inter";
    // Default label and text-field font size; button titles use kButtonFontSize.
    static constexpr CGFloat kLabelFontSize = 17;
    static constexpr CGFloat kButtonFontSize = 15;

    static objc::Ref<UIFont> systemFontOfSize(CGFloat size);
    static objc::Ref<UIFont> boldSystemFontOfSize(CGFloat size);
    static objc::Ref<UIFont> fontWithName(const std::string& name, CGFloat size);
    objc::Ref<UIFont> fontWithSize(CGFloat size) const;

    const std::string& fontName() const { return m_name; }
    const std::string& familyName() const { return m_family; }
    CGFloat pointSize() const { return m_size; }
    bool isBold() const { return m_bold; }

    // Line metrics of the system font, as fractions of the size: the platform's own, not Inter's
    // (no leading), so a line is 1.193 × size high and Inter is drawn on that baseline grid.
    static constexpr CGFloat kSystemAscender = 0.952;
    static constexpr CGFloat kSystemDescender = 0.241;

    // Whether this is the system font (either weight), whose lines follow the metrics above.
    bool isSystemFont() const { return m_name == kSystemFontName || m_name == kBoldSystemFontName; }

    // Metrics in points: ascender above the baseline (positive), descender below (negative),
    // lineHeight = ascender − descender + leading. The system font's come from the constants
    // above; other faces report their own.
    CGFloat ascender() const;
    CGFloat descender() const;
    CGFloat leading() const;
    CGFloat lineHeight() const;

    // The Pango description of the face at this size (absolute size in points); owned by the font.
    const PangoFontDescription* pangoDescription() const { return m_description; }
    // The family fontconfig actually resolved for this font (for checking that Inter is used).
    std::string resolvedFamilyForTesting() const;

    bool isEqual(const UIFont& other) const;

    void init(std::string name, std::string family, CGFloat size, bool bold);
    ~UIFont() override;

protected:
    UIFont() = default;

private:
    void loadMetrics() const;

    std::string m_name;
    std::string m_family;
    CGFloat m_size = 0;
    bool m_bold = false;
    PangoFontDescription* m_description = nullptr;
    mutable bool m_haveMetrics = false;
    mutable CGFloat m_ascender = 0, m_descender = 0, m_leading = 0;
};

using UIFontRef = objc::Ref<UIFont>;

}  // namespace ios
