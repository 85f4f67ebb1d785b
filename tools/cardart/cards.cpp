#include "art.h"

#include "pictures.h"
#include "tally.h"

#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace cardart {

namespace {

constexpr double kIndexTop = 2;      // first pixel row of a capital
constexpr double kIndexHeight = 10;  // capital height in pixels
constexpr double kCapHeightEm = 0.729;  // DejaVu Sans Bold
constexpr double kCentreX = kCardWidth / 2.0;
// "10": narrowed digits, the 1 in the left third, the 0 in the right part.
constexpr double kTenSqueeze = 0.70;
constexpr double kTenOneCentre = 3.0;
constexpr double kTenZeroCentre = 9.8;

struct Ink {
    double r, g, b;
};
constexpr Ink kRed{1, 0, 0};
constexpr Ink kBlack{0, 0, 0};

void setInk(cairo_t* cr, const Ink& ink) { cairo_set_source_rgb(cr, ink.r, ink.g, ink.b); }

// A glyph as FreeType's auto-hinter renders it: coverage 0..255 with the
// bitmap's top-left at (left, top) relative to the pen on the baseline.
struct Glyph {
    int left = 0, top = 0, width = 0, rows = 0;
    std::vector<unsigned char> coverage;
    double blur = 0;  // sum of a(1-a): zero when every pixel is fully on or off
};

// `xppem` x `yppem` pixels per em, the pen moved right by `shift64` 64ths of a pixel.
Glyph renderGlyph(FT_Face face, char c, double xppem, double yppem, int shift64) {
    if (FT_Set_Char_Size(face, static_cast<FT_F26Dot6>(std::lround(xppem * 64)),
                         static_cast<FT_F26Dot6>(std::lround(yppem * 64)), 72, 72) != 0)
        throw std::runtime_error("the font cannot be scaled");
    FT_Vector delta{shift64, 0};
    FT_Set_Transform(face, nullptr, &delta);
    if (FT_Load_Char(face, static_cast<FT_ULong>(c), FT_LOAD_FORCE_AUTOHINT | FT_LOAD_RENDER) != 0)
        throw std::runtime_error(std::string("the font has no glyph for '") + c + "'");
    FT_Set_Transform(face, nullptr, nullptr);
    const FT_GlyphSlot slot = face->glyph;
    Glyph g{slot->bitmap_left, slot->bitmap_top, static_cast<int>(slot->bitmap.width),
            static_cast<int>(slot->bitmap.rows), {}, 0};
    for (int y = 0; y < g.rows; ++y)
        for (int x = 0; x < g.width; ++x) {
            const unsigned char a = slot->bitmap.buffer[y * slot->bitmap.pitch + x];
            g.coverage.push_back(a);
            g.blur += (a / 255.0) * (1 - a / 255.0);
        }
    return g;
}

// Lays `c` on the card in `ink`: its ink centred on `centre`, give or take the
// fraction of a pixel that puts its stems most squarely on whole pixels, and
// its top on row kIndexTop. A glyph reaching below the baseline (the J) is
// drawn shorter so that it keeps to the index rows.
void drawIndexGlyph(cairo_surface_t* card, const Ink& ink, const Font& font, char c, double squeeze,
                    double centre) {
    const double ppem = kIndexHeight / kCapHeightEm;
    double yppem = ppem;
    const Glyph probe = renderGlyph(font.ftFace(), c, ppem * squeeze, yppem, 0);
    const int depth = probe.rows - probe.top;  // rows below the baseline
    if (depth > 2) yppem = ppem * kIndexHeight / (kIndexHeight + depth);

    // Try the pen a few eighths of a pixel either way and the glyph a few per
    // cent narrower or wider; keep the crispest, preferring small changes.
    Glyph best;
    double bestScore = 1e9;
    for (double stretch : {1.0, 0.96, 1.04, 0.92, 1.08}) {
        for (int shift = 0; shift < 64; shift += 8) {
            Glyph g = renderGlyph(font.ftFace(), c, ppem * squeeze * stretch, yppem, shift);
            const double score = g.blur + 4 * std::abs(stretch - 1);
            if (score < bestScore - 1e-9) {
                bestScore = score;
                best = std::move(g);
            }
        }
    }

    // Whole-pixel placement of the best bitmap: ink box centred, top on kIndexTop.
    int firstCol = best.width, lastCol = -1, firstRow = best.rows;
    for (int y = 0; y < best.rows; ++y)
        for (int x = 0; x < best.width; ++x)
            if (best.coverage[static_cast<std::size_t>(y * best.width + x)] > 0) {
                firstCol = std::min(firstCol, x);
                lastCol = std::max(lastCol, x);
                firstRow = std::min(firstRow, y);
            }
    const int x0 = static_cast<int>(std::lround(centre - (firstCol + lastCol + 1) / 2.0));
    const int y0 = static_cast<int>(kIndexTop) - firstRow;

    cairo_surface_flush(card);
    unsigned char* data = cairo_image_surface_get_data(card);
    const int stride = cairo_image_surface_get_stride(card);
    for (int y = 0; y < best.rows; ++y)
        for (int x = 0; x < best.width; ++x) {
            const int px = x0 + x, py = y0 + y;
            if (px < 0 || px >= kCardWidth || py < 0 || py >= kCardHeight) continue;
            const double a = best.coverage[static_cast<std::size_t>(y * best.width + x)] / 255.0;
            auto* p = reinterpret_cast<std::uint32_t*>(data + py * stride) + px;
            auto mix = [a](std::uint32_t under, double over) {
                return static_cast<std::uint32_t>(std::lround(under * (1 - a) + over * 255 * a));
            };
            *p = 0xFF000000u | mix((*p >> 16) & 0xFF, ink.r) << 16 | mix((*p >> 8) & 0xFF, ink.g) << 8 |
                 mix(*p & 0xFF, ink.b);
        }
    cairo_surface_mark_dirty(card);
}

// The rank index in the upper half; "10" as two narrowed digits side by side.
void drawIndex(cairo_surface_t* card, const Ink& ink, const Font& font, const std::string& text) {
    if (text == "10") {
        drawIndexGlyph(card, ink, font, '1', kTenSqueeze, kTenOneCentre);
        drawIndexGlyph(card, ink, font, '0', kTenSqueeze, kTenZeroCentre);
    } else {
        drawIndexGlyph(card, ink, font, text[0], 1.0, kCentreX);
    }
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
    // The crown flares from its foot (x 2..12) to its outer points.
    const double tipsLeft = 0.5, tipsRight = 13.5, tips = 1, valleys = 7.5, bodyBottom = 21;
    const double step = (tipsRight - tipsLeft) / 4;
    cairo_move_to(cr, 2, bodyBottom);
    cairo_line_to(cr, tipsLeft, tips);
    for (int i = 0; i < 4; ++i) {
        cairo_line_to(cr, tipsLeft + step * (i + 0.5), valleys);
        cairo_line_to(cr, tipsLeft + step * (i + 1), tips);
    }
    cairo_line_to(cr, 12, bodyBottom);
    cairo_close_path(cr);
    cairo_rectangle(cr, 1, 22, 12, 5);  // the base, rows 22..26
    setInk(cr, ink);
    cairo_fill(cr);

    // The bands are a pale tint of the ink, so the figure keeps one colour.
    const double pale = 0.6;
    cairo_set_source_rgb(cr, ink.r + (1 - ink.r) * pale, ink.g + (1 - ink.g) * pale, ink.b + (1 - ink.b) * pale);
    cairo_rectangle(cr, 3, 12, 8, 2);
    cairo_rectangle(cr, 3, 16, 8, 2);
    cairo_fill(cr);
}

}  // namespace

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
        drawSuit(cr, pellora::suitOfElement(element));
        drawIndex(surface, ink, font, pellora::rankRows()[static_cast<std::size_t>(row - 1)].caption);
    }

    cairo_destroy(cr);
    Image img = toImage(surface);
    cairo_surface_destroy(surface);
    return img;
}

}  // namespace cardart
