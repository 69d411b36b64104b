#include "platform/text/UIFont.h"

#include <cmath>

#include <fontconfig/fontconfig.h>

#include "platform/text/TextContext.h"

namespace ios {

OBJC_CLASS_DEFINE(UIFont, objc::Object)

namespace {

struct FontconfigMatch {
    std::string family;
    bool bold = false;
};

// Looks a font name up among the installed fonts: PostScript name, then full name, then family.
bool lookUpInstalledFont(const std::string& name, FontconfigMatch& match) {
    if (name.empty()) return false;
    for (const char* property : {FC_POSTSCRIPT_NAME, FC_FULLNAME, FC_FAMILY}) {
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, property, reinterpret_cast<const FcChar8*>(name.c_str()));
        FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_WEIGHT, nullptr);
        FcFontSet* set = FcFontList(nullptr, pattern, objects);
        bool found = false;
        if (set && set->nfont > 0) {
            FcChar8* family = nullptr;
            int weight = FC_WEIGHT_REGULAR;
            if (FcPatternGetString(set->fonts[0], FC_FAMILY, 0, &family) == FcResultMatch && family) {
                match.family = reinterpret_cast<const char*>(family);
                FcPatternGetInteger(set->fonts[0], FC_WEIGHT, 0, &weight);
                // A family name alone means its regular face.
                match.bold = property != std::string(FC_FAMILY) && weight >= FC_WEIGHT_BOLD;
                found = true;
            }
        }
        if (set) FcFontSetDestroy(set);
        FcObjectSetDestroy(objects);
        FcPatternDestroy(pattern);
        if (found) return true;
    }
    return false;
}

bool validSize(CGFloat size) { return std::isfinite(size) && size >= 0; }

}  // namespace

void UIFont::init(std::string name, std::string family, CGFloat size, bool bold) {
    m_name = std::move(name);
    m_family = std::move(family);
    m_size = validSize(size) ? size : 0;
    m_bold = bold;
    m_description = pango_font_description_new();
    pango_font_description_set_family(m_description, m_family.c_str());
    pango_font_description_set_weight(m_description, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(m_description, PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(m_description, m_size * PANGO_SCALE);
}

UIFont::~UIFont() {
    if (m_description) pango_font_description_free(m_description);
}

objc::Ref<UIFont> UIFont::systemFontOfSize(CGFloat size) {
    return objc::make<UIFont>(kSystemFontName, kSystemFamily, size, false);
}

objc::Ref<UIFont> UIFont::boldSystemFontOfSize(CGFloat size) {
    return objc::make<UIFont>(kBoldSystemFontName, kSystemFamily, size, true);
}

objc::Ref<UIFont> UIFont::fontWithName(const std::string& name, CGFloat size) {
    if (name == kSystemFontName) return systemFontOfSize(size);
    if (name == kBoldSystemFontName) return boldSystemFontOfSize(size);
    FontconfigMatch match;
    if (!lookUpInstalledFont(name, match)) return nullptr;
    return objc::make<UIFont>(name, match.family, size, match.bold);
}

objc::Ref<UIFont> UIFont::fontWithSize(CGFloat size) const {
    return objc::make<UIFont>(m_name, m_family, size, m_bold);
}

void UIFont::loadMetrics() const {
    if (m_haveMetrics) return;
    m_haveMetrics = true;
    if (isSystemFont()) {
        m_ascender = kSystemAscender * m_size;
        m_descender = -kSystemDescender * m_size;
        m_leading = 0;
        return;
    }
    PangoFontMetrics* metrics = pango_context_get_metrics(text::measuringContext(), m_description, nullptr);
    if (!metrics) return;
    m_ascender = pango_font_metrics_get_ascent(metrics) / double(PANGO_SCALE);
    m_descender = -pango_font_metrics_get_descent(metrics) / double(PANGO_SCALE);
    double height = pango_font_metrics_get_height(metrics) / double(PANGO_SCALE);
    m_leading = std::max(0.0, height - (m_ascender - m_descender));
    pango_font_metrics_unref(metrics);
}

CGFloat UIFont::ascender() const {
    loadMetrics();
    return m_ascender;
}
CGFloat UIFont::descender() const {
    loadMetrics();
    return m_descender;
}
CGFloat UIFont::leading() const {
    loadMetrics();
    return m_leading;
}
CGFloat UIFont::lineHeight() const {
    loadMetrics();
    return m_ascender - m_descender + m_leading;
}

std::string UIFont::resolvedFamilyForTesting() const {
    PangoFont* font = pango_font_map_load_font(pango_context_get_font_map(text::measuringContext()),
                                               text::measuringContext(), m_description);
    if (!font) return {};
    PangoFontDescription* actual = pango_font_describe(font);
    std::string family = pango_font_description_get_family(actual) ? pango_font_description_get_family(actual) : "";
    pango_font_description_free(actual);
    g_object_unref(font);
    return family;
}

bool UIFont::isEqual(const UIFont& other) const {
    return m_name == other.m_name && m_size == other.m_size && m_bold == other.m_bold;
}

}  // namespace ios
