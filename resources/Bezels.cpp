#include "resources/Bezels.h"

#include <cmath>

namespace flint::resources {

namespace {
constexpr double kEdgeCorner = 44;  // outer corner radius, edge-to-edge
constexpr double kEdgeScreenCorner = 32;
constexpr double kNotchWidth = 138;
constexpr double kNotchHeight = 23;
constexpr double kHomeCorner = 44;

// The notch outline: a flat-bottomed tab hanging from the top of the screen, with shoulders
// curving into the top edge.
void notchPath(cairo_t* cr, double cx, double top) {
    double half = kNotchWidth / 2, h = kNotchHeight, shoulder = 6, r = 14;
    cairo_new_sub_path(cr);
    cairo_move_to(cr, cx - half - shoulder, top);
    cairo_curve_to(cr, cx - half, top, cx - half, top, cx - half, top + shoulder);
    cairo_line_to(cr, cx - half, top + h - r);
    cairo_arc_negative(cr, cx - half + r, top + h - r, r, M_PI, M_PI / 2);
    cairo_line_to(cr, cx + half - r, top + h);
    cairo_arc_negative(cr, cx + half - r, top + h - r, r, M_PI / 2, 0);
    cairo_line_to(cr, cx + half, top + shoulder);
    cairo_curve_to(cr, cx + half, top, cx + half, top, cx + half + shoulder, top);
    cairo_close_path(cr);
}

void metalGradient(cairo_t* cr, double w, RGB body) {
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, w, 0);
    RGB light = mix(body, hex(0xFFFFFF), 0.45), dark = mix(body, hex(0x000000), 0.35);
    cairo_pattern_add_color_stop_rgb(g, 0, dark.r, dark.g, dark.b);
    cairo_pattern_add_color_stop_rgb(g, 0.08, light.r, light.g, light.b);
    cairo_pattern_add_color_stop_rgb(g, 0.5, body.r, body.g, body.b);
    cairo_pattern_add_color_stop_rgb(g, 0.92, light.r, light.g, light.b);
    cairo_pattern_add_color_stop_rgb(g, 1, dark.r, dark.g, dark.b);
    cairo_set_source(cr, g);
    cairo_pattern_destroy(g);
}

// Volume and power buttons as short raised strips along the sides, inside the outline.
void sideButtons(cairo_t* cr, const BezelGeometry& g, RGB body, bool edgeToEdge) {
    RGB shade = mix(body, hex(0x000000), 0.3);
    setColor(cr, shade);
    double ys[] = {edgeToEdge ? 105.0 : 110.0, edgeToEdge ? 150.0 : 160.0};
    for (double y : ys) {
        roundedRect(cr, 0, y, 1.6, 34, 0.8);
        cairo_fill(cr);
    }
    roundedRect(cr, 0, edgeToEdge ? 70 : 75, 1.6, 18, 0.8);
    cairo_fill(cr);
    roundedRect(cr, g.width - 1.6, edgeToEdge ? 125 : 120, 1.6, 56, 0.8);
    cairo_fill(cr);
}
}  // namespace

BezelGeometry bezelGeometry(BezelFamily family) {
    if (family == BezelFamily::EdgeToEdge) {
        BezelGeometry g{287, 571, 0, 0, 251, 542};
        g.screenX = (g.width - g.screenW) / 2;
        g.screenY = (g.height - g.screenH) / 2;
        return g;
    }
    BezelGeometry g{284, 576, 0, 0, 250, 440};
    g.screenX = (g.width - g.screenW) / 2;
    g.screenY = g.height / 2 + 2 - g.screenH / 2;  // the screen's centre is 2 points below the bezel's
    return g;
}

void drawBezel(cairo_t* cr, BezelFamily family, RGB body) {
    BezelGeometry g = bezelGeometry(family);
    cairo_save(cr);
    if (family == BezelFamily::EdgeToEdge) {
        // Metal band, then the black glass front, then the screen.
        roundedRect(cr, 0, 0, g.width, g.height, kEdgeCorner);
        metalGradient(cr, g.width, body);
        cairo_fill(cr);
        sideButtons(cr, g, body, true);
        roundedRect(cr, 3.5, 3.5, g.width - 7, g.height - 7, kEdgeCorner - 3.5);
        setColor(cr, hex(0x0B0B0C));
        cairo_fill(cr);
        // A faint rim highlight on the glass.
        roundedRect(cr, 4.5, 4.5, g.width - 9, g.height - 9, kEdgeCorner - 4.5);
        setColor(cr, hex(0xFFFFFF), 0.08);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        roundedRect(cr, g.screenX, g.screenY, g.screenW, g.screenH, kEdgeScreenCorner);
        setColor(cr, hex(0x161618));
        cairo_fill(cr);
        // The notch, in the glass colour, with speaker grille and camera.
        double cx = g.width / 2;
        notchPath(cr, cx, g.screenY);
        setColor(cr, hex(0x0B0B0C));
        cairo_fill(cr);
        roundedRect(cr, cx - 20, g.screenY + 6, 40, 4.5, 2.25);
        setColor(cr, hex(0x2A2A2E));
        cairo_fill(cr);
        cairo_arc(cr, cx + 34, g.screenY + 8.5, 4, 0, 2 * M_PI);
        setColor(cr, hex(0x1B2233));
        cairo_fill(cr);
        cairo_arc(cr, cx + 34, g.screenY + 8.5, 1.6, 0, 2 * M_PI);
        setColor(cr, hex(0x3A4A6A));
        cairo_fill(cr);
    } else {
        bool darkFront = body.r + body.g + body.b < 0.9;
        RGB front = darkFront ? hex(0x0E0E10) : hex(0xF4F4F2);
        roundedRect(cr, 0, 0, g.width, g.height, kHomeCorner);
        metalGradient(cr, g.width, body);
        cairo_fill(cr);
        sideButtons(cr, g, body, false);
        roundedRect(cr, 3, 3, g.width - 6, g.height - 6, kHomeCorner - 3);
        setColor(cr, front);
        cairo_fill(cr);
        cairo_rectangle(cr, g.screenX, g.screenY, g.screenW, g.screenH);
        setColor(cr, hex(0x161618));
        cairo_fill(cr);
        double cx = g.width / 2;
        RGB detail = darkFront ? hex(0x2A2A2E) : hex(0x5A5A5E);
        // Speaker slot and front camera above the screen.
        roundedRect(cr, cx - 22, g.screenY - 32, 44, 5, 2.5);
        setColor(cr, detail);
        cairo_fill(cr);
        cairo_arc(cr, cx - 38, g.screenY - 29.5, 4, 0, 2 * M_PI);
        setColor(cr, hex(0x1B2233));
        cairo_fill(cr);
        cairo_arc(cr, cx, g.screenY - 50, 2.5, 0, 2 * M_PI);
        setColor(cr, detail);
        cairo_fill(cr);
        // The round home button below the screen, with a ring in the body colour.
        double by = g.screenY + g.screenH + (g.height - g.screenY - g.screenH) / 2;
        cairo_arc(cr, cx, by, 22, 0, 2 * M_PI);
        setColor(cr, mix(body, front, 0.35));
        cairo_fill(cr);
        cairo_arc(cr, cx, by, 19.5, 0, 2 * M_PI);
        setColor(cr, darkFront ? hex(0x18181A) : hex(0xE9E9E7));
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

void drawScreenMask(cairo_t* cr, BezelFamily family) {
    BezelGeometry g = bezelGeometry(family);
    cairo_save(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    if (family == BezelFamily::EdgeToEdge) {
        roundedRect(cr, 0, 0, g.screenW, g.screenH, kEdgeScreenCorner);
        cairo_fill(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        notchPath(cr, g.screenW / 2, 0);
        cairo_fill(cr);
    } else {
        cairo_rectangle(cr, 0, 0, g.screenW, g.screenH);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

void drawSampleScreen(cairo_t* cr, double w, double h, RGB accent) {
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_clip(cr);
    cairo_pattern_t* wall = cairo_pattern_create_linear(0, 0, w * 0.4, h);
    RGB top = mix(accent, hex(0x1A1040), 0.35), bottom = mix(accent, hex(0xFF9A6B), 0.45);
    cairo_pattern_add_color_stop_rgb(wall, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(wall, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, wall);
    cairo_paint(cr);
    cairo_pattern_destroy(wall);
    // Soft shapes in the wallpaper.
    for (int i = 0; i < 3; ++i) {
        cairo_arc(cr, w * (0.2 + 0.35 * i), h * (0.3 + 0.2 * (i % 2)), w * (0.35 - 0.07 * i), 0, 2 * M_PI);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.08 + 0.03 * i);
        cairo_fill(cr);
    }
    // Status text line and a 4 × 5 grid of icons, then a dock.
    double unit = w / 4;
    double icon = unit * 0.62;
    cairo_set_source_rgba(cr, 1, 1, 1, 0.85);
    roundedRect(cr, unit * 0.35, h * 0.02, unit * 0.5, h * 0.012, h * 0.006);
    cairo_fill(cr);
    for (int row = 0; row < 5; ++row) {
        for (int col = 0; col < 4; ++col) {
            double x = col * unit + (unit - icon) / 2, y = h * 0.07 + row * unit * 1.15;
            RGB c = hsb(std::fmod(0.08 * (row * 4 + col) + 0.55, 1.0), 0.55, 0.95);
            roundedRect(cr, x, y, icon, icon, icon * 0.23);
            setColor(cr, c);
            cairo_fill(cr);
            roundedRect(cr, x + icon * 0.1, y + icon + unit * 0.06, icon * 0.8, unit * 0.06, unit * 0.03);
            cairo_set_source_rgba(cr, 1, 1, 1, 0.6);
            cairo_fill(cr);
        }
    }
    roundedRect(cr, w * 0.03, h - unit * 1.05, w * 0.94, unit * 0.95, unit * 0.3);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.25);
    cairo_fill(cr);
    for (int col = 0; col < 4; ++col) {
        double x = col * unit + (unit - icon) / 2, y = h - unit * 1.05 + (unit * 0.95 - icon) / 2;
        roundedRect(cr, x, y, icon, icon, icon * 0.23);
        setColor(cr, hsb(0.15 * col + 0.3, 0.6, 0.9));
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

}  // namespace flint::resources
