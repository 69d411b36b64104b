#include "sim/demos/ContactSheet.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>

#include "platform/graphics/UIImage.h"
#include "platform/text/NSStringDrawing.h"

namespace flint::sim {

namespace {
constexpr double kCell = 150;  // points per cell side (image area)
constexpr double kLabel = 22;  // label strip under each image
constexpr double kGap = 12;
constexpr int kColumns = 8;
constexpr double kSheetScale = 2;

void checkerboard(cairo_t* cr, const ios::CGRect& r) {
    cairo_save(cr);
    cairo_rectangle(cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
    cairo_clip(cr);
    const double square = 8;
    for (double y = r.origin.y; y < r.origin.y + r.size.height; y += square) {
        for (double x = r.origin.x; x < r.origin.x + r.size.width; x += square) {
            bool dark = (static_cast<int>((x - r.origin.x) / square) + static_cast<int>((y - r.origin.y) / square)) % 2;
            cairo_set_source_rgb(cr, dark ? 0.82 : 0.93, dark ? 0.82 : 0.93, dark ? 0.82 : 0.93);
            cairo_rectangle(cr, x, y, square, square);
            cairo_fill(cr);
        }
    }
    cairo_restore(cr);
}
}  // namespace

int writeContactSheet(const std::string& bundleDir, const std::string& outPng) {
    namespace fs = std::filesystem;
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(bundleDir, ec)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".png") continue;
        std::string stem = entry.path().stem().string();
        if (stem.find('@') != std::string::npos) stem = stem.substr(0, stem.find('@'));
        names.insert(stem);
    }
    if (names.empty()) return 1;

    std::vector<std::pair<std::string, objc::Ref<ios::UIImage>>> images;
    for (const std::string& name : names)
        images.emplace_back(name, ios::UIImage::imageWithContentsOfHostFile(fs::path(bundleDir) / (name + ".png"), 2));

    int rows = static_cast<int>((images.size() + kColumns - 1) / kColumns);
    ios::CGSize size{kGap + kColumns * (kCell + kGap), kGap + rows * (kCell + kLabel + kGap)};
    ios::NSStringAttributes label;
    label.font = ios::UIFont::systemFontOfSize(11);
    label.foregroundColor = ios::UIColor::colorWithWhite(0.15, 1);
    label.alignment = ios::NSTextAlignment::Center;
    label.lineBreakMode = ios::NSLineBreakMode::ByTruncatingMiddle;

    auto sheet = ios::UIImage::imageWithSize(size, kSheetScale, [&](ios::CGContext& c) {
        c.setFillColor(1, 1, 1, 1);
        c.fillRect({{0, 0}, size});
        for (std::size_t i = 0; i < images.size(); ++i) {
            double x = kGap + static_cast<double>(i % kColumns) * (kCell + kGap);
            double y = kGap + static_cast<double>(i / kColumns) * (kCell + kLabel + kGap);
            ios::CGRect cell{{x, y}, {kCell, kCell}};
            checkerboard(c.cairo(), cell);
            const auto& [name, image] = images[i];
            std::string caption = name;
            if (image) {
                // Fit the image in the cell, keeping its aspect ratio.
                ios::CGSize s = image->size();
                double k = std::min(kCell / s.width, kCell / s.height);
                ios::CGRect r{{x + (kCell - s.width * k) / 2, y + (kCell - s.height * k) / 2},
                              {s.width * k, s.height * k}};
                image->paint(c.cairo(), r);
                caption +=
                    "  " + std::to_string(static_cast<int>(s.width)) + "×" + std::to_string(static_cast<int>(s.height));
            } else {
                caption += " (unreadable)";
            }
            ios::drawText(c, caption, {{x, y + kCell + 4}, {kCell, kLabel}}, label, 1);
        }
    });
    if (!sheet) return 1;
    return sheet->writePNG(outPng) ? 0 : 1;
}

}  // namespace flint::sim
