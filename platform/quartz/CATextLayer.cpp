#include "platform/quartz/CATextLayer.h"

#include <algorithm>

#include "platform/quartz/CARetainedRenderer.h"

namespace ios {

OBJC_CLASS_DEFINE(CATextLayer, CALayer)

objc::Ref<CATextLayer> CATextLayer::layer() { return objc::make<CATextLayer>(); }

void CATextLayer::init() {
    CALayer::init();
    m_foregroundColor = UIColor::whiteColor();
}

void CATextLayer::setString(const std::string& text) {
    changeValue("string", [&] { m_string = text; });
}
void CATextLayer::setFont(UIFontRef font) {
    changeValue("font", [&] { m_font = std::move(font); });
}
void CATextLayer::setFontSize(double size) {
    changeValue("fontSize", [&] { m_fontSize = std::max(0.0, size); });
}
void CATextLayer::setForegroundColor(UIColorRef color) {
    changeValue("foregroundColor", [&] { m_foregroundColor = std::move(color); });
}
void CATextLayer::setAlignmentMode(const std::string& mode) {
    changeValue("alignmentMode", [&] { m_alignmentMode = mode; });
}
void CATextLayer::setWrapped(bool wrapped) {
    changeValue("wrapped", [&] { m_wrapped = wrapped; });
}
void CATextLayer::setTruncationMode(const std::string& mode) {
    changeValue("truncationMode", [&] { m_truncationMode = mode; });
}

UIFontRef CATextLayer::effectiveFont() const {
    if (m_font) {
        if (auto f = UIFont::fontWithName(m_font->fontName(), m_fontSize)) return f;
    }
    return UIFont::systemFontOfSize(m_fontSize);
}

std::shared_ptr<const TextLayout> CATextLayer::cachedLayout(const NSStringAttributes& attributes, double width,
                                                            int lines) const {
    auto& c = m_layoutCache;
    std::string fontName = attributes.font ? attributes.font->fontName() : std::string();
    double fontSize = attributes.font ? attributes.font->pointSize() : 0;
    bool same = c && c->layout && c->text == m_string && c->fontName == fontName && c->fontSize == fontSize &&
                c->width == width && c->lines == lines && c->alignment == int(attributes.alignment) &&
                c->lineBreak == int(attributes.lineBreakMode) &&
                ((!c->color && !attributes.foregroundColor) ||
                 (c->color && attributes.foregroundColor && c->color->isEqual(*attributes.foregroundColor)));
    if (same) return c->layout;
    // A fresh record, so presentation copies that share the old one keep theirs.
    auto fresh = std::make_shared<LayoutCache>();
    fresh->text = m_string;
    fresh->fontName = fontName;
    fresh->fontSize = fontSize;
    fresh->width = width;
    fresh->lines = lines;
    fresh->alignment = int(attributes.alignment);
    fresh->lineBreak = int(attributes.lineBreakMode);
    fresh->color = attributes.foregroundColor;
    fresh->layout = std::make_shared<const TextLayout>(m_string, attributes, width, lines);
    c = fresh;
    return fresh->layout;
}

CAValue CATextLayer::valueForKeyPath(const std::string& path) const {
    if (path == "fontSize") return m_fontSize;
    if (path == "foregroundColor") return m_foregroundColor;
    return CALayer::valueForKeyPath(path);
}

bool CATextLayer::setValueForKeyPath(const std::string& path, const CAValue& v) {
    if (!isPresentation()) CARetainedRenderer::layerWillChange(*this);
    if (path == "fontSize") {
        if (!v.holds<double>()) return false;
        m_fontSize = v.number();
        return true;
    }
    if (path == "foregroundColor") {
        if (!v.isNone() && !v.holds<UIColorRef>()) return false;
        m_foregroundColor = v.color();
        return true;
    }
    return CALayer::setValueForKeyPath(path, v);
}

}  // namespace ios
