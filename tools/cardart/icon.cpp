#include "art.h"

#include <cairo-svg.h>
#include <cairo.h>

#include <cmath>
#include <stdexcept>
#include <string>

namespace cardart {

namespace {

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void diamond(cairo_t* cr, double cx, double cy, double w, double h) {
    cairo_move_to(cr, cx, cy - h / 2);
    cairo_line_to(cr, cx + w / 2, cy);
    cairo_line_to(cr, cx, cy + h / 2);
    cairo_line_to(cr, cx - w / 2, cy);
    cairo_close_path(cr);
}

// One blank card with its soft shadow, light shading and outline; the card
// spans (0,0)-(w,h) in the current user space.
void blankCard(cairo_t* cr, double w, double h, double radius, double px, double greyness) {
    cairo_save(cr);
    cairo_translate(cr, px * 0.8, px * 0.8);
    roundedRect(cr, 0, 0, w, h, radius);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.22);
    cairo_fill(cr);
    cairo_restore(cr);

    roundedRect(cr, 0, 0, w, h, radius);
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, 0, w, h);
    cairo_pattern_add_color_stop_rgb(shade, 0, 1, 1, 1);
    const double low = 0.86 - greyness;
    cairo_pattern_add_color_stop_rgb(shade, 1, low, low, low + 0.01);
    cairo_set_source(cr, shade);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(shade);
    cairo_set_source_rgb(cr, 0.45, 0.45, 0.47);
    cairo_set_line_width(cr, px);
    cairo_stroke(cr);
}

// The corner index: an "A" over a small diamond, top-left at (x, y), `h` tall.
void cornerIndex(cairo_t* cr, const Font& font, double x, double y, double h) {
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_set_font_face(cr, font.face());
    const double letter = h * 0.52;
    cairo_set_font_size(cr, letter / 0.729);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, "A", &ext);
    cairo_move_to(cr, x - ext.x_bearing, y + letter);
    cairo_text_path(cr, "A");
    cairo_fill(cr);
    diamond(cr, x + ext.width / 2, y + letter + h * 0.28, ext.width * 0.8, h * 0.38);
    cairo_fill(cr);
}

// The motif at `size` x `size` device units onto `cr`.
void paintIcon(cairo_t* cr, const Font& font, int size) {
    const double s = size / 48.0;  // the motif is laid out on a 48 x 48 grid
    const double px = 1.0 / s;     // one device pixel in grid units
    cairo_scale(cr, s, s);

    // The front card stands upright on whole pixels; the two behind it turn
    // about a point below its foot.
    const double cw = 24, ch = 35, drop = 10, radius = size <= 16 ? 2.5 : 3;
    const double fx = std::round(20 * s) / s + px / 2, fy = std::round(5 * s) / s + px / 2;
    const double pivotX = fx + cw / 2, pivotY = fy + ch + drop;
    const double turns[] = {-0.36, -0.18};
    for (int i = 0; i < 2; ++i) {
        cairo_save(cr);
        cairo_translate(cr, pivotX, pivotY);
        cairo_rotate(cr, turns[i]);
        cairo_translate(cr, -cw / 2, -(ch + drop));
        blankCard(cr, cw, ch, radius, px, 0.10 - 0.04 * i);
        cairo_restore(cr);
    }

    cairo_save(cr);
    cairo_translate(cr, fx, fy);
    blankCard(cr, cw, ch, radius, px, 0.02);
    cairo_set_source_rgb(cr, 1, 0, 0);
    const double bigW = size <= 24 ? 17 : 14, bigH = size <= 24 ? 24 : 20;
    diamond(cr, cw / 2, ch / 2, bigW, bigH);
    cairo_fill(cr);
    if (size > 24) {  // below this the corners would only blur the big diamond
        const double h = 10;
        cornerIndex(cr, font, 2.5, 2.5, h);
        cairo_save(cr);
        cairo_translate(cr, cw, ch);
        cairo_rotate(cr, M_PI);
        cornerIndex(cr, font, 2.5, 2.5, h);
        cairo_restore(cr);
    }
    cairo_restore(cr);
}

cairo_status_t appendTo(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

Image drawIcon(const Font& font, int size) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    paintIcon(cr, font, size);
    cairo_destroy(cr);
    Image img = toImage(surface);
    cairo_surface_destroy(surface);
    return img;
}

std::string drawIconSvg(const Font& font) {
    std::string svg;
    cairo_surface_t* surface = cairo_svg_surface_create_for_stream(appendTo, &svg, kSvgIconSize, kSvgIconSize);
    cairo_svg_surface_set_document_unit(surface, CAIRO_SVG_UNIT_PX);
    cairo_t* cr = cairo_create(surface);
    paintIcon(cr, font, kSvgIconSize);  // the letters go in as outlines, so no font is needed to show it
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    const cairo_status_t status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) throw std::runtime_error(std::string("cairo SVG: ") + cairo_status_to_string(status));
    return svg;
}

}  // namespace cardart
