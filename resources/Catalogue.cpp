#include "resources/Catalogue.h"

#include <cmath>
#include <filesystem>
#include <utility>

#include "resources/Bezels.h"
#include "resources/Painter.h"

namespace flint::resources {

namespace {

constexpr double kIcon = 50;  // glyph and icon side, points
constexpr double kStroke = 4;

// --- template glyphs: black on transparency, centred in a 50-point square ---

void strokeStyle(cairo_t* cr, double width = kStroke) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
}

void clearShape(cairo_t* cr) {
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_fill(cr);
    cairo_restore(cr);
}

void lockGlyph(cairo_t* cr) {
    strokeStyle(cr, 4.5);
    cairo_arc(cr, 25, 20, 9, M_PI, 2 * M_PI);
    cairo_line_to(cr, 34, 24);
    cairo_move_to(cr, 16, 20);
    cairo_line_to(cr, 16, 24);
    cairo_stroke(cr);
    roundedRect(cr, 10, 23, 30, 22, 4);
    cairo_fill(cr);
    cairo_arc(cr, 25, 32, 3.2, 0, 2 * M_PI);
    clearShape(cr);
    cairo_rectangle(cr, 23.6, 33, 2.8, 7);
    clearShape(cr);
}

void screenshotGlyph(cairo_t* cr) {
    strokeStyle(cr);
    const double a = 8, b = 42, l = 10;
    cairo_move_to(cr, a, a + l);
    cairo_line_to(cr, a, a);
    cairo_line_to(cr, a + l, a);
    cairo_move_to(cr, b - l, a);
    cairo_line_to(cr, b, a);
    cairo_line_to(cr, b, a + l);
    cairo_move_to(cr, b, b - l);
    cairo_line_to(cr, b, b);
    cairo_line_to(cr, b - l, b);
    cairo_move_to(cr, a + l, b);
    cairo_line_to(cr, a, b);
    cairo_line_to(cr, a, b - l);
    cairo_stroke(cr);
    cairo_arc(cr, 25, 25, 7, 0, 2 * M_PI);
    cairo_fill(cr);
}

void gearGlyph(cairo_t* cr) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    const int teeth = 8;
    for (int i = 0; i < teeth; ++i) {
        cairo_save(cr);
        cairo_translate(cr, 25, 25);
        cairo_rotate(cr, i * 2 * M_PI / teeth);
        roundedRect(cr, -4, -21, 8, 10, 1.5);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    cairo_arc(cr, 25, 25, 14.5, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_arc(cr, 25, 25, 6, 0, 2 * M_PI);
    clearShape(cr);
}

void bubble(cairo_t* cr, double x, double y, double w, double h, bool tailLeft) {
    roundedRect(cr, x, y, w, h, h * 0.35);
    double tx = tailLeft ? x + w * 0.22 : x + w * 0.78;
    cairo_move_to(cr, tx - 5, y + h - 1);
    cairo_line_to(cr, tailLeft ? tx - 7 : tx + 7, y + h + 9);
    cairo_line_to(cr, tx + 6, y + h - 1);
    cairo_close_path(cr);
}

// The social shortcut: one speech bubble with three dots.
void socialGlyph(cairo_t* cr) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    bubble(cr, 5, 8, 40, 28, true);
    cairo_fill(cr);
    for (int i = 0; i < 3; ++i) cairo_arc(cr, 15 + i * 10, 22, 3, 0, 2 * M_PI), cairo_close_path(cr);
    clearShape(cr);
}

// The forum shortcut: two overlapping bubbles, the back one outlined.
void forumGlyph(cairo_t* cr) {
    strokeStyle(cr, 3.5);
    bubble(cr, 17, 6, 28, 20, false);
    cairo_stroke(cr);
    bubble(cr, 4, 18, 30, 21, true);
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_set_line_width(cr, 8);
    cairo_stroke_preserve(cr);
    cairo_restore(cr);
    cairo_fill(cr);
    for (int i = 0; i < 3; ++i) cairo_arc(cr, 12 + i * 7, 28.5, 2.2, 0, 2 * M_PI), cairo_close_path(cr);
    clearShape(cr);
}

void triangle(cairo_t* cr, double x, double y, double w, double h, bool right) {
    if (right) {
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, x + w, y + h / 2);
        cairo_line_to(cr, x, y + h);
    } else {
        cairo_move_to(cr, x + w, y);
        cairo_line_to(cr, x, y + h / 2);
        cairo_line_to(cr, x + w, y + h);
    }
    cairo_close_path(cr);
}

void playGlyph(cairo_t* cr) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, 3);
    triangle(cr, 15, 9, 26, 32, true);
    cairo_fill_preserve(cr);
    cairo_stroke(cr);
}

void pauseGlyph(cairo_t* cr) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    roundedRect(cr, 12, 9, 9, 32, 2);
    roundedRect(cr, 29, 9, 9, 32, 2);
    cairo_fill(cr);
}

void skipGlyph(cairo_t* cr, bool forward) {
    cairo_save(cr);
    if (!forward) {
        cairo_translate(cr, kIcon, 0);
        cairo_scale(cr, -1, 1);
    }
    cairo_set_source_rgb(cr, 0, 0, 0);
    triangle(cr, 6, 13, 18, 24, true);
    triangle(cr, 22, 13, 18, 24, true);
    cairo_fill(cr);
    roundedRect(cr, 40, 13, 4, 24, 1.5);
    cairo_fill(cr);
    cairo_restore(cr);
}

void saveGlyph(cairo_t* cr) {
    strokeStyle(cr);
    cairo_move_to(cr, 25, 6);
    cairo_line_to(cr, 25, 31);
    cairo_move_to(cr, 15, 21);
    cairo_line_to(cr, 25, 31);
    cairo_line_to(cr, 35, 21);
    cairo_move_to(cr, 8, 32);
    cairo_line_to(cr, 8, 43);
    cairo_line_to(cr, 42, 43);
    cairo_line_to(cr, 42, 32);
    cairo_stroke(cr);
}

void shareGlyph(cairo_t* cr) {
    strokeStyle(cr);
    cairo_move_to(cr, 25, 30);
    cairo_line_to(cr, 25, 5);
    cairo_move_to(cr, 16, 13);
    cairo_line_to(cr, 25, 5);
    cairo_line_to(cr, 34, 13);
    cairo_move_to(cr, 18, 20);
    cairo_line_to(cr, 11, 20);
    cairo_line_to(cr, 11, 44);
    cairo_line_to(cr, 39, 44);
    cairo_line_to(cr, 39, 20);
    cairo_line_to(cr, 32, 20);
    cairo_stroke(cr);
}

void clearGlyph(cairo_t* cr) {
    strokeStyle(cr, 3.5);
    cairo_move_to(cr, 8, 12);
    cairo_line_to(cr, 42, 12);
    cairo_move_to(cr, 19, 12);
    cairo_line_to(cr, 20, 6);
    cairo_line_to(cr, 30, 6);
    cairo_line_to(cr, 31, 12);
    cairo_move_to(cr, 12, 12);
    cairo_line_to(cr, 14, 44);
    cairo_line_to(cr, 36, 44);
    cairo_line_to(cr, 38, 12);
    cairo_move_to(cr, 21, 19);
    cairo_line_to(cr, 21, 37);
    cairo_move_to(cr, 29, 19);
    cairo_line_to(cr, 29, 37);
    cairo_stroke(cr);
}

void undoGlyph(cairo_t* cr, bool redo) {
    cairo_save(cr);
    if (redo) {
        cairo_translate(cr, kIcon, 0);
        cairo_scale(cr, -1, 1);
    }
    strokeStyle(cr);
    cairo_move_to(cr, 12, 18);
    cairo_line_to(cr, 30, 18);
    cairo_arc(cr, 30, 29, 11, -M_PI / 2, M_PI / 2);
    cairo_line_to(cr, 18, 40);
    cairo_stroke(cr);
    cairo_move_to(cr, 19, 10);
    cairo_line_to(cr, 11, 18);
    cairo_line_to(cr, 19, 26);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void circleGlyph(cairo_t* cr) {
    strokeStyle(cr);
    cairo_arc(cr, 25, 25, 18, 0, 2 * M_PI);
    cairo_stroke(cr);
}

void squareGlyph(cairo_t* cr) {
    strokeStyle(cr);
    roundedRect(cr, 8, 8, 34, 34, 4);
    cairo_stroke(cr);
}

void penGlyph(cairo_t* cr) {
    cairo_save(cr);
    cairo_translate(cr, 25, 25);
    cairo_rotate(cr, M_PI / 4);
    cairo_set_source_rgb(cr, 0, 0, 0);
    roundedRect(cr, -5.5, -22, 11, 6, 2);  // cap
    cairo_fill(cr);
    cairo_rectangle(cr, -5.5, -14, 11, 24);  // body
    cairo_fill(cr);
    cairo_move_to(cr, -5.5, 12);
    cairo_line_to(cr, 5.5, 12);
    cairo_line_to(cr, 0, 22);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_restore(cr);
}

void arrowGlyph(cairo_t* cr) {
    strokeStyle(cr);
    cairo_move_to(cr, 9, 41);
    cairo_line_to(cr, 39, 11);
    cairo_move_to(cr, 22, 10);
    cairo_line_to(cr, 40, 10);
    cairo_line_to(cr, 40, 28);
    cairo_stroke(cr);
}

void textGlyph(cairo_t* cr) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    roundedRect(cr, 9, 7, 32, 7, 1.5);
    cairo_fill(cr);
    roundedRect(cr, 21.5, 7, 7, 36, 1.5);
    cairo_fill(cr);
    roundedRect(cr, 16, 39, 18, 4, 1.5);
    cairo_fill(cr);
}

// --- full-colour images ---

void gradientCircle(cairo_t* cr, double size, unsigned top, unsigned bottom) {
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, size);
    RGB a = hex(top), b = hex(bottom);
    cairo_pattern_add_color_stop_rgb(g, 0, a.r, a.g, a.b);
    cairo_pattern_add_color_stop_rgb(g, 1, b.r, b.g, b.b);
    cairo_arc(cr, size / 2, size / 2, size / 2, 0, 2 * M_PI);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
}

void gradientSquare(cairo_t* cr, double size, unsigned top, unsigned bottom, double radius) {
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, size, size);
    RGB a = hex(top), b = hex(bottom);
    cairo_pattern_add_color_stop_rgb(g, 0, a.r, a.g, a.b);
    cairo_pattern_add_color_stop_rgb(g, 1, b.r, b.g, b.b);
    roundedRect(cr, 0, 0, size, size, radius);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
}

void avatarImage(cairo_t* cr) {
    gradientCircle(cr, kIcon, 0x8EC5FC, 0x4A7BD0);
    cairo_save(cr);
    cairo_arc(cr, 25, 25, 25, 0, 2 * M_PI);
    cairo_clip(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.95);
    cairo_arc(cr, 25, 19, 8.5, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_arc(cr, 25, 47, 17, M_PI, 2 * M_PI);
    cairo_fill(cr);
    cairo_restore(cr);
}

void wifiImage(cairo_t* cr) {
    gradientCircle(cr, kIcon, 0x5AC8FA, 0x0A7AFF);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 4);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int i = 1; i <= 3; ++i) {
        cairo_arc(cr, 25, 35, 6.5 * i, -M_PI * 0.75, -M_PI * 0.25);
        cairo_stroke(cr);
    }
    cairo_arc(cr, 25, 35, 2.8, 0, 2 * M_PI);
    cairo_fill(cr);
}

void cellularImage(cairo_t* cr) {
    gradientCircle(cr, kIcon, 0x6FE38A, 0x20A848);
    cairo_set_source_rgb(cr, 1, 1, 1);
    for (int i = 0; i < 4; ++i) {
        double h = 7 + i * 6;
        roundedRect(cr, 12 + i * 7.5, 36 - h, 5, h, 1.5);
        cairo_fill(cr);
    }
}

// The music shortcut: a beamed pair of notes on a violet disc.
void musicImage(cairo_t* cr) {
    gradientCircle(cr, kIcon, 0x9D7BFF, 0x5B3FD1);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 3);
    cairo_move_to(cr, 20, 34);
    cairo_line_to(cr, 20, 15);
    cairo_line_to(cr, 34, 12);
    cairo_line_to(cr, 34, 31);
    cairo_stroke(cr);
    for (auto [x, y] : {std::pair{16.5, 34.5}, std::pair{30.5, 31.5}}) {
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_rotate(cr, -0.35);
        cairo_scale(cr, 1.3, 1);
        cairo_arc(cr, 0, 0, 3.8, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_fill(cr);
    }
}

// The streaming shortcut: three sine waves on an amber square.
void streamingImage(cairo_t* cr) {
    gradientSquare(cr, kIcon, 0xFFB547, 0xF0701E, 12);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 3.2);
    for (int i = 0; i < 3; ++i) {
        double y = 15 + i * 10, amplitude = 4 - i;
        for (int k = 0; k <= 40; ++k) {
            double x = 9 + k * 0.8;
            double v = y + amplitude * std::sin((x - 9) / 32 * 4 * M_PI + i);
            if (k == 0)
                cairo_move_to(cr, x, v);
            else
                cairo_line_to(cr, x, v);
        }
        cairo_stroke(cr);
    }
}

void showcaseImage(cairo_t* cr) {
    const double s = 100;
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, s, s);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.42, 0.36, 0.91);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.96, 0.45, 0.6);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    BezelGeometry geo = bezelGeometry(BezelFamily::EdgeToEdge);
    double k = 84 / geo.height;
    cairo_save(cr);
    cairo_translate(cr, (s - geo.width * k) / 2, 8);
    cairo_scale(cr, k, k);
    drawBezel(cr, BezelFamily::EdgeToEdge, hex(0xD9D9DC));
    cairo_translate(cr, geo.screenX, geo.screenY);
    drawScreenMask(cr, BezelFamily::EdgeToEdge);
    cairo_restore(cr);
    // The screen content, drawn through the mask's shape.
    cairo_push_group(cr);
    cairo_translate(cr, (s - geo.width * k) / 2 + geo.screenX * k, 8 + geo.screenY * k);
    drawSampleScreen(cr, geo.screenW * k, geo.screenH * k, hex(0x6A5CE8));
    cairo_pattern_t* content = cairo_pop_group(cr);
    cairo_push_group(cr);
    cairo_translate(cr, (s - geo.width * k) / 2 + geo.screenX * k, 8 + geo.screenY * k);
    cairo_scale(cr, k, k);
    drawScreenMask(cr, BezelFamily::EdgeToEdge);
    cairo_pattern_t* mask = cairo_pop_group(cr);
    cairo_set_source(cr, content);
    cairo_mask(cr, mask);
    cairo_pattern_destroy(content);
    cairo_pattern_destroy(mask);
}

void musicBanner(cairo_t* cr) {
    const double w = 320, h = 160;
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, w, h);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.16, 0.1, 0.35);
    cairo_pattern_add_color_stop_rgb(g, 0.55, 0.55, 0.18, 0.55);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.98, 0.42, 0.4);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    for (int i = 0; i < 5; ++i) {
        cairo_arc(cr, 40 + i * 65, 40 + 70 * ((i * 37) % 3) / 2.0, 30 + 8 * (i % 3), 0, 2 * M_PI);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.06 + 0.02 * i);
        cairo_fill(cr);
    }
    // Equaliser bars along the bottom.
    for (int i = 0; i < 32; ++i) {
        double bh = 12 + 28 * (0.5 + 0.5 * std::sin(i * 0.7) * std::cos(i * 0.23));
        roundedRect(cr, 4 + i * 10, h - bh - 6, 6, bh, 3);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.22);
        cairo_fill(cr);
    }
}

void stickerClose(cairo_t* cr) {
    cairo_arc(cr, 12, 12, 11, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 0.92, 0.26, 0.24);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 2.2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, 8, 8);
    cairo_line_to(cr, 16, 16);
    cairo_move_to(cr, 16, 8);
    cairo_line_to(cr, 8, 16);
    cairo_stroke(cr);
}

void stickerResize(cairo_t* cr) {
    cairo_arc(cr, 12, 12, 11, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 0.04, 0.48, 1.0);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(cr, 7.5, 16.5);
    cairo_line_to(cr, 16.5, 7.5);
    cairo_move_to(cr, 7.5, 12);
    cairo_line_to(cr, 7.5, 16.5);
    cairo_line_to(cr, 12, 16.5);
    cairo_move_to(cr, 12, 7.5);
    cairo_line_to(cr, 16.5, 7.5);
    cairo_line_to(cr, 16.5, 12);
    cairo_stroke(cr);
}

constexpr double kTrackWidth = 300, kTrackHeight = 20;

// Hue rises linearly from 0 at the first pixel column to 1 at the last, at full saturation and
// brightness. Drawn per device pixel, so it needs the surface itself.
void colorTrack(cairo_t* cr) {
    cairo_surface_t* target = cairo_get_target(cr);
    cairo_surface_flush(target);
    int w = cairo_image_surface_get_width(target), h = cairo_image_surface_get_height(target);
    int stride = cairo_image_surface_get_stride(target);
    unsigned char* data = cairo_image_surface_get_data(target);
    for (int x = 0; x < w; ++x) {
        double hue = w > 1 ? double(x) / (w - 1) : 0;
        RGB c = hsb(hue, 1, 1);
        auto to8 = [](double v) { return static_cast<unsigned>(std::lround(v * 255)); };
        unsigned pixel = 0xFF000000u | (to8(c.r) << 16) | (to8(c.g) << 8) | to8(c.b);
        for (int y = 0; y < h; ++y) reinterpret_cast<unsigned*>(data + y * stride)[x] = pixel;
    }
    cairo_surface_mark_dirty(target);
}

struct BezelColour {
    const char* name;
    unsigned rgb;
};
const BezelColour kEdgeColours[] = {{"silver", 0xD9D9DC}, {"black", 0x3A3A3C}, {"blue", 0x4F9BD6},
                                    {"yellow", 0xF6CB45}, {"coral", 0xF7735E}, {"red", 0xC0182A}};
const BezelColour kHomeColours[] = {
    {"silver", 0xDCDCDF}, {"rosegold", 0xE9BFB0}, {"gold", 0xF1D5AE}, {"black", 0x2C2C2E}};

constexpr double kPreviewWidth = 240, kPreviewHeight = 400;

void previewImage(cairo_t* cr, BezelFamily family, RGB body, RGB accent) {
    // A soft backdrop in the bezel's colour, the bezel centred, the sample screen inside it.
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, kPreviewHeight);
    RGB top = mix(body, hex(0xFFFFFF), 0.55), bottom = mix(body, hex(0x202030), 0.25);
    cairo_pattern_add_color_stop_rgb(g, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(g, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    BezelGeometry geo = bezelGeometry(family);
    double k = kPreviewHeight * 0.86 / geo.height;
    double ox = (kPreviewWidth - geo.width * k) / 2, oy = (kPreviewHeight - geo.height * k) / 2;
    cairo_save(cr);
    cairo_translate(cr, ox, oy);
    cairo_scale(cr, k, k);
    // Shadow under the phone.
    roundedRect(cr, 6, 10, geo.width, geo.height, 44);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.18);
    cairo_fill(cr);
    drawBezel(cr, family, body);
    cairo_translate(cr, geo.screenX, geo.screenY);
    cairo_push_group(cr);
    drawSampleScreen(cr, geo.screenW, geo.screenH, accent);
    cairo_pattern_t* content = cairo_pop_group(cr);
    cairo_push_group(cr);
    drawScreenMask(cr, family);
    cairo_pattern_t* mask = cairo_pop_group(cr);
    cairo_set_source(cr, content);
    cairo_mask(cr, mask);
    cairo_pattern_destroy(content);
    cairo_pattern_destroy(mask);
    cairo_restore(cr);
}

std::vector<BundleImage> buildCatalogue() {
    std::vector<BundleImage> list;
    auto glyph = [&](const char* name, std::function<void(cairo_t*)> draw) {
        list.push_back({name, kIcon, kIcon, true, std::move(draw)});
    };
    auto colour = [&](const char* name, double w, double h, std::function<void(cairo_t*)> draw) {
        list.push_back({name, w, h, false, std::move(draw)});
    };

    colour("icloud", kIcon, kIcon, avatarImage);
    glyph("lockscreen", lockGlyph);
    glyph("screenshot", screenshotGlyph);
    glyph("setting", gearGlyph);
    glyph("twitter", socialGlyph);
    glyph("reddit", forumGlyph);
    colour("wifi", kIcon, kIcon, wifiImage);
    colour("cellular", kIcon, kIcon, cellularImage);
    colour("showcase", 100, 100, showcaseImage);
    colour("music-banner", 320, 160, musicBanner);
    glyph("back", [](cairo_t* cr) { skipGlyph(cr, false); });
    glyph("play", playGlyph);
    glyph("pause", pauseGlyph);
    glyph("next", [](cairo_t* cr) { skipGlyph(cr, true); });
    colour("music", kIcon, kIcon, musicImage);
    colour("spotify", kIcon, kIcon, streamingImage);

    const unsigned accents[] = {0x6A5CE8, 0x2B2D42, 0x3A86FF, 0xFFB703, 0xFF6B6B,
                                0xD62828, 0x8D99AE, 0xE5989B, 0xDDA15E, 0x22223B};
    int n = 1;
    for (const BezelColour& c : kEdgeColours) {
        RGB body = hex(c.rgb), accent = hex(accents[n - 1]);
        colour(("showcase" + std::to_string(n)).c_str(), kPreviewWidth, kPreviewHeight,
               [=](cairo_t* cr) { previewImage(cr, BezelFamily::EdgeToEdge, body, accent); });
        ++n;
    }
    for (const BezelColour& c : kHomeColours) {
        RGB body = hex(c.rgb), accent = hex(accents[n - 1]);
        colour(("showcase" + std::to_string(n)).c_str(), kPreviewWidth, kPreviewHeight,
               [=](cairo_t* cr) { previewImage(cr, BezelFamily::HomeButton, body, accent); });
        ++n;
    }
    BezelGeometry edge = bezelGeometry(BezelFamily::EdgeToEdge), home = bezelGeometry(BezelFamily::HomeButton);
    for (const BezelColour& c : kEdgeColours) {
        RGB body = hex(c.rgb);
        colour((std::string("iPhoneX-") + c.name).c_str(), edge.width, edge.height,
               [=](cairo_t* cr) { drawBezel(cr, BezelFamily::EdgeToEdge, body); });
    }
    for (const BezelColour& c : kHomeColours) {
        RGB body = hex(c.rgb);
        colour((std::string("iPhone-") + c.name).c_str(), home.width, home.height,
               [=](cairo_t* cr) { drawBezel(cr, BezelFamily::HomeButton, body); });
    }
    colour("iPhoneX-mask", edge.screenW, edge.screenH,
           [](cairo_t* cr) { drawScreenMask(cr, BezelFamily::EdgeToEdge); });
    colour("iPhone-mask", home.screenW, home.screenH, [](cairo_t* cr) { drawScreenMask(cr, BezelFamily::HomeButton); });

    glyph("save", saveGlyph);
    glyph("share", shareGlyph);
    glyph("clear", clearGlyph);
    glyph("undo", [](cairo_t* cr) { undoGlyph(cr, false); });
    glyph("redo", [](cairo_t* cr) { undoGlyph(cr, true); });
    glyph("circle", circleGlyph);
    glyph("square", squareGlyph);
    glyph("pen", penGlyph);
    glyph("arrow", arrowGlyph);
    glyph("text", textGlyph);
    colour("sticker_close", 24, 24, stickerClose);
    colour("sticker_resize", 24, 24, stickerResize);
    colour("colorTrack", kTrackWidth, kTrackHeight, colorTrack);
    return list;
}

}  // namespace

const std::vector<BundleImage>& catalogue() {
    static const std::vector<BundleImage> list = buildCatalogue();
    return list;
}

int writeBundle(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    int failures = 0;
    for (const BundleImage& image : catalogue()) {
        for (int scale = 1; scale <= 3; ++scale) {
            int pw = static_cast<int>(std::ceil(image.width * scale - 1e-9));
            int ph = static_cast<int>(std::ceil(image.height * scale - 1e-9));
            cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pw, ph);
            cairo_t* cr = cairo_create(surface);
            cairo_scale(cr, scale, scale);
            image.draw(cr);
            cairo_destroy(cr);
            std::string file =
                folder + "/" + image.name + (scale == 1 ? "" : "@" + std::to_string(scale) + "x") + ".png";
            if (cairo_surface_write_to_png(surface, file.c_str()) != CAIRO_STATUS_SUCCESS) ++failures;
            cairo_surface_destroy(surface);
        }
    }
    return failures;
}

}  // namespace flint::resources
