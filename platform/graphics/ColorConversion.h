#pragma once
// Conversion of decoded pixels from the colour space an image file declares into sRGB, the
// display's space, through Little CMS. An image declares its space by an embedded ICC profile
// (PNG iCCP, JPEG APP2 "ICC_PROFILE"), by a file gamma with or without chromaticities (PNG gAMA,
// cHRM), or not at all; undeclared and sRGB images need no conversion, and none is made for them.
//
// Conversions are cached by their source description, so decoding many images of one camera or
// phone builds the transform once. Conversions may be used from any thread.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ios {

class ColorConversion {
public:
    // Chromaticities of a PNG cHRM chunk: white point, red, green and blue primaries (x, y).
    struct Chromaticities {
        double whiteX = 0, whiteY = 0, redX = 0, redY = 0, greenX = 0, greenY = 0, blueX = 0, blueY = 0;
    };

    // From an ICC profile (RGB or grey); none with `error` set for a profile that cannot be read
    // or converts no RGB pixels.
    static std::shared_ptr<const ColorConversion> fromICCProfile(const std::uint8_t* bytes, std::size_t size,
                                                                 std::string& error);
    // From a file gamma (the PNG gAMA value: 1/2.2 for a display gamma of 2.2; 0 for none, which
    // means the sRGB curve) and, when given, chromaticities; sRGB primaries otherwise. None when
    // this describes sRGB (no chromaticities and no gamma or one within 1 % of 1/2.2); none with
    // `error` set for impossible values.
    static std::shared_ptr<const ColorConversion> fromGamma(double fileGamma, const std::optional<Chromaticities>& chrm,
                                                            std::string& error);

    // Converts `count` pixels in place: four bytes each, blue, green, red, then a fourth byte
    // (alpha or padding) that is kept. Colours are not premultiplied.
    void convertBGRA(std::uint8_t* pixels, std::size_t count) const;

    ~ColorConversion();
    ColorConversion(const ColorConversion&) = delete;
    ColorConversion& operator=(const ColorConversion&) = delete;

private:
    ColorConversion() = default;
    static std::shared_ptr<const ColorConversion> cached(const std::string& key);
    static std::shared_ptr<const ColorConversion> make(const std::string& key, void* profile, std::string& error);

    void* m_transform = nullptr;            // RGB profiles: a BGRA → BGRA transform
    std::vector<std::uint8_t> m_grayToRGB;  // grey profiles: 256 × (r, g, b)
};

}  // namespace ios
