#pragma once
// The home screen's generated artwork: the wallpaper for each appearance and the application
// icons (a rounded square in the application's colour with the first letter of its name).

#include <cstdint>

#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIImage.h"
#include "platform/springboard/DeviceConfiguration.h"

namespace ios {

// The wallpaper is a vertical gradient from its top colour to its bottom colour (0xRRGGBB).
struct WallpaperColors {
    std::uint32_t top;
    std::uint32_t bottom;
};
// Light appearance (1) and unspecified (0) take the light wallpaper; dark (2) the dark one.
WallpaperColors wallpaperColorsForStyle(int userInterfaceStyle);
objc::Ref<UIImage> wallpaperImage(CGSize size, double scale, int userInterfaceStyle);

// Icon formats of _applicationIconImageForBundleIdentifier:format:scale: and their sizes in
// points: 0 → 29 (settings rows), 1 → 40 (spotlight), 2 → 60 (home screen). Others take 60.
CGFloat iconSizeForFormat(int format);
// Corner radius of an icon of the given side (our choice: 22.5 % of the side).
inline CGFloat iconCornerRadius(CGFloat side) { return side * 0.225; }
// The placeholder's fill (0xRRGGBB): a blank grey tile.
inline constexpr std::uint32_t kPlaceholderIconColor = 0xC7C7CC;

// An application's icon; the blank placeholder for none. Scale 0 means the screen's scale.
objc::Ref<UIImage> applicationIconImage(const InstalledApplication* application, int format, double scale);

}  // namespace ios
