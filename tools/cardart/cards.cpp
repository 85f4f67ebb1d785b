#include "art.h"

#include "layout.h"
#include "board.h"
#include "pictures.h"

#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace cardart {

namespace {

// The design is laid out on the 14 x 28 grid of the 100 % picture. Larger
// scales draw it afresh, with the edges that matter moved onto whole pixels.
constexpr double kCapHeightEm = 0.729;  // DejaVu Sans Bold
// "10": narrowed digits, the 1 in the left third, the 0 in the right part.
constexpr double kTenSqueeze = 0.70;
constexpr double kTenOneCentre = 3.0;
constexpr double kTenZeroCentre = 9.8;
constexpr double kTenSqueezeLarge = 0.80;

int roundHalfUp(double v) { return static_cast<int>(std::floor(v + 0.5)); }
double snapHalf(double v) { return std::floor(v * 2 + 0.5) / 2; }

// Where the parts of a card lie at one scale, in its own pixels.
struct Geometry {
    double s;           // scale, 1 = 100 %
    int width, height;  // the picture
    int indexTop;       // first pixel row of a capital
    int indexHeight;    // capital height
    // The suit symbol's box, which the 14 x 28 design's x 1..13, y 14..28 maps onto.
    int suitLeft, suitRight, suitTop;

    explicit Geometry(int percent) : s(percent / 100.0) {
        const pellora::PictureSize size = pellora::cardPictureSize(percent);
        width = size.width;
        height = size.height;
        indexTop = roundHalfUp(2 * s);
        indexHeight = static_cast<int>(std::floor(10 * s));  // down: keeps a clear gap above the symbol
        suitTop = height - roundHalfUp(14 * s);
        // As wide as the height asks for, in the card's parity so that the
        // symbol's points fall on pixel edges or centres alike on both sides.
        const double wanted = 12.0 * (height - suitTop) / 14;
        int w = static_cast<int>(std::floor(wanted));
        if ((width - w) % 2 != 0) --w;  // the nearest of that parity below...
        if (wanted - w >= 1) w += 2;     // ...or above, if that is as near
        suitLeft = (width - w) / 2;
        suitRight = suitLeft + w;
    }
    double centreX() const { return width / 2.0; }
    double x(double designX) const { return designX * width / kCardWidth; }
    double y(double designY) const { return designY * height / kCardHeight; }
};

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

// `c` as it is drawn in the index: give or take the fraction of a pixel that
// puts its stems most squarely on whole pixels. A glyph reaching below the
// baseline (the J) is drawn shorter so that it keeps to the index rows.
Glyph indexGlyph(const Geometry& g, const Font& font, char c, double squeeze) {
    const double ppem = g.indexHeight / kCapHeightEm;
    double yppem = ppem;
    const Glyph probe = renderGlyph(font.ftFace(), c, ppem * squeeze, yppem, 0);
    const int depth = probe.rows - probe.top;  // rows below the baseline
    if (depth * 5 > g.indexHeight) yppem = ppem * g.indexHeight / (g.indexHeight + depth);

    // Try the pen a few eighths of a pixel either way and the glyph a few per
    // cent narrower or wider; keep the crispest, preferring small changes.
    Glyph best;
    double bestScore = 1e9;
    for (double stretch : {1.0, 0.96, 1.04, 0.92, 1.08}) {
        for (int shift = 0; shift < 64; shift += 8) {
            Glyph glyph = renderGlyph(font.ftFace(), c, ppem * squeeze * stretch, yppem, shift);
            // Blur grows with the glyph's outline, so the price of a stretch does too.
            const double score = glyph.blur + 4 * g.s * std::abs(stretch - 1);
            if (score < bestScore - 1e-9) {
                bestScore = score;
                best = std::move(glyph);
            }
        }
    }
    return best;
}

// The bitmap's inked columns [first, last] and first inked row.
struct InkBox {
    int firstCol, lastCol, firstRow;
    int width() const { return lastCol - firstCol + 1; }
};

InkBox inkBox(const Glyph& glyph) {
    InkBox box{glyph.width, -1, glyph.rows};
    for (int y = 0; y < glyph.rows; ++y)
        for (int x = 0; x < glyph.width; ++x)
            if (glyph.coverage[static_cast<std::size_t>(y * glyph.width + x)] > 0) {
                box.firstCol = std::min(box.firstCol, x);
                box.lastCol = std::max(box.lastCol, x);
                box.firstRow = std::min(box.firstRow, y);
            }
    return box;
}

// Lays the glyph on the card in `ink` with its first inked column at `left`
// and its top on row indexTop.
void blitGlyph(cairo_surface_t* card, const Geometry& g, const Ink& ink, const Glyph& glyph, int left) {
    const InkBox box = inkBox(glyph);
    const int x0 = left - box.firstCol, y0 = g.indexTop - box.firstRow;
    cairo_surface_flush(card);
    unsigned char* data = cairo_image_surface_get_data(card);
    const int stride = cairo_image_surface_get_stride(card);
    for (int y = 0; y < glyph.rows; ++y)
        for (int x = 0; x < glyph.width; ++x) {
            const int px = x0 + x, py = y0 + y;
            if (px < 0 || px >= g.width || py < 0 || py >= g.height) continue;
            const double a = glyph.coverage[static_cast<std::size_t>(y * glyph.width + x)] / 255.0;
            auto* p = reinterpret_cast<std::uint32_t*>(data + py * stride) + px;
            auto mix = [a](std::uint32_t under, double over) {
                return static_cast<std::uint32_t>(std::lround(under * (1 - a) + over * 255 * a));
            };
            *p = 0xFF000000u | mix((*p >> 16) & 0xFF, ink.r) << 16 | mix((*p >> 8) & 0xFF, ink.g) << 8 |
                 mix(*p & 0xFF, ink.b);
        }
    cairo_surface_mark_dirty(card);
}

// `c` with its ink centred on `centre`, to the nearest pixel.
void drawCentred(cairo_surface_t* card, const Geometry& g, const Ink& ink, const Font& font, char c,
                 double squeeze, double centre) {
    const Glyph glyph = indexGlyph(g, font, c, squeeze);
    const InkBox box = inkBox(glyph);
    blitGlyph(card, g, ink, glyph, static_cast<int>(std::lround(centre - box.width() / 2.0)));
}

// The rank index in the upper half; "10" as two narrowed digits side by side.
// At 100 % each digit has its own place on the 14-pixel grid. Larger cards
// have the room for fuller digits, spread so that the margins and the gap
// between them are even and the pair fills nearly the width.
void drawIndex(cairo_surface_t* card, const Geometry& g, const Ink& ink, const Font& font, const std::string& text) {
    if (text != "10") {
        drawCentred(card, g, ink, font, text[0], 1.0, g.centreX());
    } else if (g.width == kCardWidth) {
        drawCentred(card, g, ink, font, '1', kTenSqueeze, kTenOneCentre);
        drawCentred(card, g, ink, font, '0', kTenSqueeze, kTenZeroCentre);
    } else {
        const Glyph one = indexGlyph(g, font, '1', kTenSqueezeLarge);
        const Glyph zero = indexGlyph(g, font, '0', kTenSqueezeLarge);
        const int room = g.width - inkBox(one).width() - inkBox(zero).width();
        const int margin = std::max(0, roundHalfUp(room / 3.0));
        blitGlyph(card, g, ink, one, margin);
        blitGlyph(card, g, ink, zero, g.width - margin - inkBox(zero).width());
    }
}

// Suit symbols on the 100 % grid: about 12 px wide, from row 14 down to the
// bottom edge, centred on x 7.
constexpr double kCentreX = 7;

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

void drawSuit(cairo_t* cr, const Geometry& g, pellora::Suit suit) {
    cairo_new_path(cr);
    // Design x 1..13, y 14..28 onto the symbol's whole-pixel box.
    const double kx = (g.suitRight - g.suitLeft) / 12.0, ky = (g.height - g.suitTop) / 14.0;
    cairo_save(cr);
    cairo_translate(cr, g.suitLeft - kx, g.suitTop - 14 * ky);
    cairo_scale(cr, kx, ky);
    switch (suit) {
        case pellora::Suit::Diamond: diamondPath(cr); break;
        case pellora::Suit::Club: clubPath(cr); break;
        case pellora::Suit::Heart: heartPath(cr); break;
        case pellora::Suit::Spade: spadePath(cr); break;
    }
    cairo_restore(cr);  // the path stays in device space
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_fill(cr);
}

// The joker: a crown with five points, two light bands across its lower half
// and a solid base, from row 1 to row 26 at 100 %. Edges that lie on whole
// pixels there stay on whole pixels at every scale; the right half mirrors the left.
void drawJoker(cairo_t* cr, const Geometry& g, const Ink& ink) {
    const double w = g.width;
    auto col = [&](double designX) { return roundHalfUp(g.x(designX)); };
    auto line = [&](double designY) { return roundHalfUp(g.y(designY)); };
    // The crown flares from its foot (x 2..12) to its outer points.
    const double tipsLeft = snapHalf(g.x(0.5)), tipsRight = w - tipsLeft, tips = line(1);
    const double valleys = snapHalf(g.y(7.5)), bodyBottom = line(21), foot = col(2);
    const double step = (tipsRight - tipsLeft) / 4;
    cairo_move_to(cr, foot, bodyBottom);
    cairo_line_to(cr, tipsLeft, tips);
    for (int i = 0; i < 4; ++i) {
        cairo_line_to(cr, tipsLeft + step * (i + 0.5), valleys);
        cairo_line_to(cr, tipsLeft + step * (i + 1), tips);
    }
    cairo_line_to(cr, w - foot, bodyBottom);
    cairo_close_path(cr);
    const int baseLeft = col(1), baseTop = line(22);
    cairo_rectangle(cr, baseLeft, baseTop, w - 2 * baseLeft, line(27) - baseTop);  // rows 22..26 at 100 %
    setInk(cr, ink);
    cairo_fill(cr);

    // The bands are a pale tint of the ink, so the figure keeps one colour.
    const double pale = 0.6;
    cairo_set_source_rgb(cr, ink.r + (1 - ink.r) * pale, ink.g + (1 - ink.g) * pale, ink.b + (1 - ink.b) * pale);
    const int bandLeft = col(3), band = line(14) - line(12);
    cairo_rectangle(cr, bandLeft, line(12), w - 2 * bandLeft, band);
    cairo_rectangle(cr, bandLeft, line(16), w - 2 * bandLeft, band);
    cairo_fill(cr);
}

// Every pixel is the ink blended into white by some coverage. Above 100 %
// the coverage is rounded to steps of a fifth: the edges stay soft (the eye
// cannot tell more steps apart at these sizes) and the files take a third
// less room. 51 is a step of 4-bit grey, and the jokers' band tint is one step.
constexpr int kInkStep = 51;

void quantiseInk(Image& img, const Ink& ink) {
    for (std::uint32_t& p : img.pixels) {
        const int paper = static_cast<int>(p >> 8 & 0xFF);  // green is white minus coverage in either ink
        const int q = (paper + kInkStep / 2) / kInkStep * kInkStep;
        const int r = ink.r > 0 ? 255 : q;
        p = 0xFF000000u | static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(q) << 8 |
            static_cast<std::uint32_t>(q);
    }
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

Image drawCard(const Font& font, int card, int scale) {
    if (pellora::cardPicturePath(card, scale).empty())
        throw std::invalid_argument("no card picture for card " + std::to_string(card) + " at " + std::to_string(scale) +
                                    " %");
    const Geometry g(scale);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, g.width, g.height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);

    const Ink& ink = pellora::isRedCard(card) ? kRed : kBlack;
    if (pellora::isJokerCard(card)) {
        drawJoker(cr, g, ink);
    } else {
        setInk(cr, ink);
        drawSuit(cr, g, pellora::cardSuit(card));
        drawIndex(surface, g, ink, font, pellora::rankName(pellora::cardPlace(card).row));
    }

    cairo_destroy(cr);
    Image img = toImage(surface);
    cairo_surface_destroy(surface);
    if (scale != 100) quantiseInk(img, ink);
    return img;
}

}  // namespace cardart
