#include "platform/graphics/ColorConversion.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>

#include <lcms2.h>

namespace ios {

namespace {

constexpr std::size_t kCacheLimit = 16;

std::mutex& cacheMutex() {
    static std::mutex mutex;
    return mutex;
}

std::map<std::string, std::shared_ptr<const ColorConversion>>& cache() {
    static std::map<std::string, std::shared_ptr<const ColorConversion>> conversions;
    return conversions;
}

cmsHPROFILE sRGBProfile() { return cmsCreate_sRGBProfile(); }

// The sRGB tone curve, for chromaticities without a gamma.
cmsToneCurve* sRGBCurve() {
    const cmsFloat64Number parameters[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    return cmsBuildParametricToneCurve(nullptr, 4, parameters);
}

bool plausible(double v) { return std::isfinite(v) && v > 0 && v < 1; }

}  // namespace

ColorConversion::~ColorConversion() {
    if (m_transform) cmsDeleteTransform(static_cast<cmsHTRANSFORM>(m_transform));
}

std::shared_ptr<const ColorConversion> ColorConversion::cached(const std::string& key) {
    std::lock_guard lock(cacheMutex());
    auto it = cache().find(key);
    return it == cache().end() ? nullptr : it->second;
}

// Takes ownership of `profile`.
std::shared_ptr<const ColorConversion> ColorConversion::make(const std::string& key, void* source, std::string& error) {
    auto profile = static_cast<cmsHPROFILE>(source);
    if (!profile) {
        error = "unreadable colour profile";
        return nullptr;
    }
    std::shared_ptr<ColorConversion> conversion(new ColorConversion);
    cmsHPROFILE srgb = sRGBProfile();
    const cmsColorSpaceSignature space = cmsGetColorSpace(profile);
    const cmsProfileClassSignature profileClass = cmsGetDeviceClass(profile);
    if (profileClass == cmsSigLinkClass || profileClass == cmsSigAbstractClass ||
        profileClass == cmsSigNamedColorClass) {
        error = "colour profile is not an image profile";
    } else if (space == cmsSigRgbData) {
        conversion->m_transform =
            cmsCreateTransform(profile, TYPE_BGRA_8, srgb, TYPE_BGRA_8, INTENT_PERCEPTUAL, cmsFLAGS_COPY_ALPHA);
        if (!conversion->m_transform) error = "colour profile converts no RGB";
    } else if (space == cmsSigGrayData) {
        if (cmsHTRANSFORM gray = cmsCreateTransform(profile, TYPE_GRAY_8, srgb, TYPE_RGB_8, INTENT_PERCEPTUAL, 0)) {
            std::uint8_t levels[256];
            for (int i = 0; i < 256; ++i) levels[i] = static_cast<std::uint8_t>(i);
            conversion->m_grayToRGB.resize(256 * 3);
            cmsDoTransform(gray, levels, conversion->m_grayToRGB.data(), 256);
            cmsDeleteTransform(gray);
        } else {
            error = "grey colour profile converts nothing";
        }
    } else {
        error = "colour profile is neither RGB nor grey";
    }
    cmsCloseProfile(srgb);
    cmsCloseProfile(profile);
    if (!error.empty()) return nullptr;
    std::lock_guard lock(cacheMutex());
    if (cache().size() >= kCacheLimit) cache().clear();
    cache()[key] = conversion;
    return conversion;
}

std::shared_ptr<const ColorConversion> ColorConversion::fromICCProfile(const std::uint8_t* bytes, std::size_t size,
                                                                       std::string& error) {
    if (!bytes || size < 132) {
        error = "colour profile too short";
        return nullptr;
    }
    std::string key = "icc:";
    key.append(reinterpret_cast<const char*>(bytes), size);
    if (auto conversion = cached(key)) return conversion;
    return make(key, cmsOpenProfileFromMem(bytes, static_cast<cmsUInt32Number>(size)), error);
}

std::shared_ptr<const ColorConversion> ColorConversion::fromGamma(double fileGamma,
                                                                  const std::optional<Chromaticities>& chrm,
                                                                  std::string& error) {
    const bool hasGamma = fileGamma != 0;
    if (hasGamma && !(std::isfinite(fileGamma) && fileGamma > 0.01 && fileGamma < 100)) {
        error = "impossible gamma";
        return nullptr;
    }
    if (!chrm && (!hasGamma || std::abs(fileGamma * 2.2 - 1) < 0.01)) return nullptr;
    cmsCIExyY white{0.3127, 0.3290, 1};
    cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}};
    if (chrm) {
        const Chromaticities& c = *chrm;
        for (double v : {c.whiteX, c.whiteY, c.redX, c.redY, c.greenX, c.greenY, c.blueX, c.blueY})
            if (!plausible(v)) {
                error = "impossible chromaticities";
                return nullptr;
            }
        white = {c.whiteX, c.whiteY, 1};
        primaries = {{c.redX, c.redY, 1}, {c.greenX, c.greenY, 1}, {c.blueX, c.blueY, 1}};
    }
    char key[256];
    std::snprintf(key, sizeof key, "gamma:%.6f %.5f %.5f %.5f %.5f %.5f %.5f %.5f %.5f", fileGamma, white.x, white.y,
                  primaries.Red.x, primaries.Red.y, primaries.Green.x, primaries.Green.y, primaries.Blue.x,
                  primaries.Blue.y);
    if (auto conversion = cached(key)) return conversion;
    cmsToneCurve* curve = hasGamma ? cmsBuildGamma(nullptr, 1 / fileGamma) : sRGBCurve();
    if (!curve) {
        error = "impossible gamma";
        return nullptr;
    }
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
    return make(key, profile, error);
}

void ColorConversion::convertBGRA(std::uint8_t* pixels, std::size_t count) const {
    if (m_transform) {
        // Most of a screenshot repeats a few colours: runs of one colour are converted once, and
        // a small table remembers recent conversions, so the library converts only the colours
        // the table lacks (in one call per chunk). Each pixel keeps its own fourth byte.
        constexpr std::uint32_t kColour = 0x00FFFFFFu, kEmpty = 0xFF000000u, kMiss = 0x80000000u;
        constexpr std::size_t kSlots = 1 << 12;
        struct Slot {
            std::uint32_t from = kEmpty, to = 0;
        };
        thread_local std::vector<Slot> table;
        thread_local const void* tableOwner = nullptr;
        thread_local std::vector<std::uint32_t> runs, misses, converted;
        if (tableOwner != m_transform) {
            table.assign(kSlots, Slot{});
            tableOwner = m_transform;
        }
        auto slotOf = [](std::uint32_t colour) { return (colour * 2654435761u) >> 20; };
        auto* words = reinterpret_cast<std::uint32_t*>(pixels);
        for (std::size_t start = 0; start < count;) {
            const std::size_t end = std::min<std::size_t>(count, start + (1 << 16));
            // Per run: its converted colour, or kMiss with its place among the misses.
            runs.clear();
            misses.clear();
            std::uint32_t previous = kEmpty;
            for (std::size_t i = start; i < end; ++i) {
                const std::uint32_t colour = words[i] & kColour;
                if (colour == previous) continue;
                previous = colour;
                const Slot& slot = table[slotOf(colour)];
                if (slot.from == colour) {
                    runs.push_back(slot.to);
                } else {
                    runs.push_back(kMiss | static_cast<std::uint32_t>(misses.size()));
                    misses.push_back(colour);
                }
            }
            converted.resize(misses.size());
            cmsDoTransform(static_cast<cmsHTRANSFORM>(m_transform), misses.data(), converted.data(),
                           static_cast<cmsUInt32Number>(misses.size()));
            for (std::size_t k = 0; k < misses.size(); ++k)
                table[slotOf(misses[k])] = {misses[k], converted[k] & kColour};
            previous = kEmpty;
            std::size_t run = 0;
            std::uint32_t value = 0;
            for (std::size_t i = start; i < end; ++i) {
                const std::uint32_t colour = words[i] & kColour;
                if (colour != previous) {
                    previous = colour;
                    const std::uint32_t r = runs[run++];
                    value = r & kMiss ? converted[r & ~kMiss] & kColour : r;
                }
                words[i] = (words[i] & ~kColour) | value;
            }
            start = end;
        }
    } else if (!m_grayToRGB.empty()) {
        for (std::size_t i = 0; i < count; ++i, pixels += 4) {
            const std::uint8_t* rgb = &m_grayToRGB[static_cast<std::size_t>(pixels[1]) * 3];
            pixels[0] = rgb[2];
            pixels[1] = rgb[1];
            pixels[2] = rgb[0];
        }
    }
}

}  // namespace ios
