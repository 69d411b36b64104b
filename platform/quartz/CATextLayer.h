#pragma once
// A layer that draws a text in its bounds, from the top, with the text stand-in's layout.

#include <string>

#include <memory>

#include "platform/quartz/CALayer.h"
#include "platform/text/NSStringDrawing.h"
#include "platform/text/UIFont.h"

namespace ios {

inline const std::string kCAAlignmentNatural = "natural";
inline const std::string kCAAlignmentLeft = "left";
inline const std::string kCAAlignmentRight = "right";
inline const std::string kCAAlignmentCenter = "center";
inline const std::string kCAAlignmentJustified = "justified";
inline const std::string kCATruncationNone = "none";
inline const std::string kCATruncationStart = "start";
inline const std::string kCATruncationEnd = "end";
inline const std::string kCATruncationMiddle = "middle";

class CATextLayer : public CALayer {
    OBJC_CLASS_DECLARE(CATextLayer)
public:
    static objc::Ref<CATextLayer> layer();

    const std::string& string() const { return m_string; }
    void setString(const std::string& text);
    // The face; its size is ignored in favour of fontSize. None: the system font.
    const UIFontRef& font() const { return m_font; }
    void setFont(UIFontRef font);
    double fontSize() const { return m_fontSize; }
    void setFontSize(double size);
    // Opaque white by default.
    const UIColorRef& foregroundColor() const { return m_foregroundColor; }
    void setForegroundColor(UIColorRef color);
    const std::string& alignmentMode() const { return m_alignmentMode; }
    void setAlignmentMode(const std::string& mode);
    bool isWrapped() const { return m_wrapped; }
    void setWrapped(bool wrapped);
    const std::string& truncationMode() const { return m_truncationMode; }
    void setTruncationMode(const std::string& mode);

    // The font the text is drawn with.
    UIFontRef effectiveFont() const;
    // The laid-out string for drawing, kept until the text, attributes or width change.
    std::shared_ptr<const TextLayout> cachedLayout(const NSStringAttributes& attributes, double width, int lines) const;

    CAValue valueForKeyPath(const std::string& keyPath) const override;
    bool setValueForKeyPath(const std::string& keyPath, const CAValue& value) override;

    void init() override;

protected:
    CATextLayer() = default;
    CATextLayer(const CATextLayer&) = default;
    objc::Ref<CALayer> makeCopy() const override { return copyOf(*this); }

private:
    std::string m_string;
    UIFontRef m_font;
    double m_fontSize = 36;
    UIColorRef m_foregroundColor;
    std::string m_alignmentMode = kCAAlignmentNatural;
    bool m_wrapped = false;
    std::string m_truncationMode = kCATruncationNone;

    struct LayoutCache {
        std::string text, fontName;
        double fontSize = 0, width = 0;
        int lines = 0, alignment = 0, lineBreak = 0;
        UIColorRef color;
        std::shared_ptr<const TextLayout> layout;
    };
    mutable std::shared_ptr<LayoutCache> m_layoutCache;
};

using CATextLayerRef = objc::Ref<CATextLayer>;

}  // namespace ios
