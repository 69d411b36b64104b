#include "startup/UIColor+Container.h"

#include "platform/services/LCPParseColorString.h"
#include "platform/uikit/UITraitCollection.h"
#include "startup/FlintPreferences.h"

namespace flint {

namespace {

struct Components {
    double r, g, b, a;
    bool white = false;  // the toolkit's own white
};

struct ThemeColor {
    const char* key;  // colour-dictionary key
    Components dark;
    Components light;
    ios::UIColorRef cache;
};

constexpr Components kWhite{1, 1, 1, 1, true};

ThemeColor g_container{"flintContainerColor", {0, 0, 0, 0.3}, {0.81, 0.81, 0.81, 0.6}, nullptr};
ThemeColor g_label{"flintLabelColor", kWhite, {0.56, 0.56, 0.58, 1}, nullptr};
ThemeColor g_button{"flintButtonColor", {0.15, 0.15, 0.16, 1}, {0.89, 0.89, 0.91, 1}, nullptr};
ThemeColor g_image{"flintImageColor", kWhite, {0.78, 0.78, 0.78, 1}, nullptr};
ThemeColor g_banner{"flintBannerColor", {0.16, 0.16, 0.16, 1}, kWhite, nullptr};
ThemeColor g_navbar{"showcaseNavbarColor", {0.18, 0.18, 0.19, 1}, {0.94, 0.94, 0.94, 1}, nullptr};
ThemeColor g_background{"showcaseBackgroundColor", {0.27, 0.27, 0.28, 1}, kWhite, nullptr};
// The settings pane stores the tool-card colour under the plural key.
ThemeColor g_tool{"showcaseToolsColor", {0.2, 0.2, 0.2, 1}, {0.93, 0.93, 0.93, 1}, nullptr};
ThemeColor g_pill{"showcasePillColor", {0.28, 0.28, 0.28, 1}, {0.84, 0.84, 0.84, 1}, nullptr};

ios::UIColorRef make(const Components& c) {
    return c.white ? ios::UIColor::whiteColor() : ios::UIColor::colorWithRed(c.r, c.g, c.b, c.a);
}

const ios::UIColorRef& resolve(ThemeColor& color) {
    const std::string mode = appearanceMode();
    if (mode == "colorMode") {
        color.cache = ios::LCPParseColorString(colorText(color.key), kFallbackColor);
    } else if (mode == "adaptiveMode") {
        auto traits = ios::UITraitCollection::currentTraitCollection();
        auto style = traits ? traits->userInterfaceStyle() : ios::UIUserInterfaceStyle::Unspecified;
        if (style == ios::UIUserInterfaceStyle::Dark)
            color.cache = make(color.dark);
        else if (style == ios::UIUserInterfaceStyle::Light)
            color.cache = make(color.light);
    }
    return color.cache;
}

}  // namespace

ios::UIColorRef flintContainerColor() { return resolve(g_container); }
ios::UIColorRef flintLabelColor() { return resolve(g_label); }
ios::UIColorRef flintButtonColor() { return resolve(g_button); }
ios::UIColorRef flintImageColor() { return resolve(g_image); }
ios::UIColorRef flintBannerColor() { return resolve(g_banner); }
ios::UIColorRef showcaseNavbarColor() { return resolve(g_navbar); }
ios::UIColorRef showcaseBackgroundColor() { return resolve(g_background); }
ios::UIColorRef showcaseToolColor() { return resolve(g_tool); }
ios::UIColorRef showcasePillColor() { return resolve(g_pill); }

void resetThemeColorsForTesting() {
    for (ThemeColor* c :
         {&g_container, &g_label, &g_button, &g_image, &g_banner, &g_navbar, &g_background, &g_tool, &g_pill})
        c->cache.reset();
}

}  // namespace flint
