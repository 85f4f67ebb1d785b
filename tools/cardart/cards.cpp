#include "art.h"

#include "pictures.h"
#include "tally.h"

#include <cairo.h>

#include <cmath>
#include <stdexcept>
#include <string>

namespace cardart {

namespace {

constexpr double kIndexTop = 2;      // first pixel row of a capital
constexpr double kIndexHeight = 10;  // capital height in pixels
constexpr double kCentreX = kCardWidth / 2.0;

struct Ink {
    double r, g, b;
};
constexpr Ink kRed{1, 0, 0};
constexpr Ink kBlack{0, 0, 0};

// Reads a cairo RGB24/ARGB32 surface (premultiplied) into unpremultiplied pixels.
Image toImage(cairo_surface_t* surface) {
    cairo_surface_flush(surface);
    Image img;
    img.width = cairo_image_surface_get_width(surface);
    img.height = cairo_image_surface_get_height(surface);
    const bool opaque = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_RGB24;
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    for (int y = 0; y < img.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        for (int x = 0; x < img.width; ++x) {
            std::uint32_t p = row[x];
            const std::uint32_t a = opaque ? 255 : p >> 24;
            if (a == 0) {
                p = 0;
            } else if (a < 255) {
                auto un = [a](std::uint32_t c) { return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a); };
                p = (a << 24) | (un((p >> 16) & 0xFF) << 16) | (un((p >> 8) & 0xFF) << 8) | un(p & 0xFF);
            }
            img.pixels.push_back(opaque ? (0xFF000000u | p) : p);
        }
    }
    return img;
}

void setInk(cairo_t* cr, const Ink& ink) { cairo_set_source_rgb(cr, ink.r, ink.g, ink.b); }

// The rank index, a capital kIndexHeight pixels tall with its top on row
// kIndexTop, centred on whole pixels so that the hinted stems stay sharp.
void drawIndex(cairo_t* cr, const Font& font, const std::string& text) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_FULL);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    cairo_set_font_face(cr, font.hintedFace());

    // DejaVu Sans Bold capitals are 0.729 em tall.
    const double size = kIndexHeight / 0.729;
    // "10" is squeezed so that its two digits fit the card's width.
    const double squeeze = text.size() > 1 ? 0.66 : 1.0;
    cairo_matrix_t m;
    cairo_matrix_init_scale(&m, size * squeeze, size);
    cairo_set_font_matrix(cr, &m);

    cairo_text_extents_t ext;
    cairo_text_extents(cr, text.c_str(), &ext);
    const double x = std::round(kCentreX - ext.width / 2 - ext.x_bearing);
    const double baseline = kIndexTop + kIndexHeight;
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, text.c_str());
}

// Suit symbols, about 12 px wide, from row 14 down to the bottom edge.
void diamondPath(cairo_t* cr) {
    cairo_move_to(cr, kCentreX, 14);
    cairo_line_to(cr, 13, 21);
    cairo_line_to(cr, kCentreX, 28);
    cairo_line_to(cr, 1, 21);
    cairo_close_path(cr);
}

void heartPath(cairo_t* cr) {
    const double r = 3.05, cy = 17.6;
    cairo_new_sub_path(cr);
    cairo_arc(cr, kCentreX - r + 0.05, cy, r, 0, 2 * M_PI);
    cairo_new_sub_path(cr);
    cairo_arc(cr, kCentreX + r - 0.05, cy, r, 0, 2 * M_PI);
    cairo_move_to(cr, 1, cy + 0.4);
    cairo_line_to(cr, 13, cy + 0.4);
    cairo_line_to(cr, kCentreX, 27);
    cairo_close_path(cr);
}

void spadePath(cairo_t* cr) {
    const double r = 3.05, cy = 22.0;
    cairo_new_sub_path(cr);
    cairo_arc(cr, kCentreX - r + 0.05, cy, r, 0, 2 * M_PI);
    cairo_new_sub_path(cr);
    cairo_arc(cr, kCentreX + r - 0.05, cy, r, 0, 2 * M_PI);
    cairo_move_to(cr, kCentreX, 14);
    cairo_line_to(cr, 13, cy - 0.4);
    cairo_line_to(cr, 1, cy - 0.4);
    cairo_close_path(cr);
    // stem
    cairo_move_to(cr, kCentreX, 22);
    cairo_line_to(cr, 9, 28);
    cairo_line_to(cr, 5, 28);
    cairo_close_path(cr);
}

void clubPath(cairo_t* cr) {
    const double r = 2.95;
    cairo_new_sub_path(cr);
    cairo_arc(cr, kCentreX, 14 + r, r, 0, 2 * M_PI);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 1 + r, 21.5, r, 0, 2 * M_PI);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 13 - r, 21.5, r, 0, 2 * M_PI);
    cairo_new_sub_path(cr);
    cairo_arc(cr, kCentreX, 20, 2, 0, 2 * M_PI);
    cairo_move_to(cr, kCentreX, 20);
    cairo_line_to(cr, 9, 28);
    cairo_line_to(cr, 5, 28);
    cairo_close_path(cr);
}

void drawSuit(cairo_t* cr, pellora::Suit suit) {
    cairo_new_path(cr);
    switch (suit) {
        case pellora::Suit::Diamond: diamondPath(cr); break;
        case pellora::Suit::Club: clubPath(cr); break;
        case pellora::Suit::Heart: heartPath(cr); break;
        case pellora::Suit::Spade: spadePath(cr); break;
    }
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_fill(cr);
}

// The joker: a crown with five points, two light bands across its lower half
// and a solid base, from row 1 to row 26.
void drawJoker(cairo_t* cr, const Ink& ink) {
    const double left = 1, right = 13, tips = 1.5, valleys = 9, bodyBottom = 21;
    const double step = (right - left) / 4;
    cairo_move_to(cr, left, bodyBottom);
    cairo_line_to(cr, left, tips);
    for (int i = 0; i < 4; ++i) {
        cairo_line_to(cr, left + step * (i + 0.5), valleys);
        cairo_line_to(cr, left + step * (i + 1), tips);
    }
    cairo_line_to(cr, right, bodyBottom);
    cairo_close_path(cr);
    cairo_rectangle(cr, 0.5, 22, 13, 5);  // base, rows 22..26
    setInk(cr, ink);
    cairo_fill(cr);

    // The bands are a pale tint of the ink, so the figure keeps one colour.
    cairo_set_source_rgb(cr, ink.r + (1 - ink.r) * 0.6, ink.g + (1 - ink.g) * 0.6, ink.b + (1 - ink.b) * 0.6);
    cairo_rectangle(cr, left + 1, 13, right - left - 2, 2);
    cairo_rectangle(cr, left + 1, 17, right - left - 2, 2);
    cairo_fill(cr);
}

}  // namespace

Image drawCard(const Font& font, int row, int element) {
    if (pellora::cardPictureFile(row, element).empty())
        throw std::invalid_argument("no card picture for row " + std::to_string(row) + ", element " +
                                    std::to_string(element));
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kCardWidth, kCardHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);

    const Ink& ink = pellora::isRedPicture(row, element) ? kRed : kBlack;
    if (pellora::isJokerRow(row)) {
        drawJoker(cr, ink);
    } else {
        setInk(cr, ink);
        drawIndex(cr, font, pellora::rankRows()[static_cast<std::size_t>(row - 1)].caption);
        drawSuit(cr, pellora::suitOfElement(element));
    }

    cairo_destroy(cr);
    Image img = toImage(surface);
    cairo_surface_destroy(surface);
    return img;
}

}  // namespace cardart
