// The committed card pictures and icon, checked as a player and Windows see them.
#include "board.h"
#include "pictures.h"
#include "tally.h"

#include "layout.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::string kAssets = PELLORA_ASSETS_DIR;

struct Rgb {
    int r, g, b;
    bool white() const { return r == 255 && g == 255 && b == 255; }
    // How much ink a pixel carries, whatever the ink's colour.
    int ink() const { return 255 - g; }
};

struct Picture {
    int width = 0, height = 0;
    std::vector<Rgb> px;
    const Rgb& at(int x, int y) const { return px[static_cast<std::size_t>(y * width + x)]; }
    int upperRows() const { return height / 2; }       // the index's half; the suit's below
    int indexRows() const { return height * 12 / 28; }  // rows 0..11 at 100 %: the index, no suit
};

Picture load(int row, int element, int scale) {
    const std::string path = kAssets + "/" + pellora::cardPicturePath(pellora::cardIndex(row, element), scale);
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    Picture p;
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        ADD_FAILURE() << "cannot decode " << path;
        cairo_surface_destroy(s);
        return p;
    }
    cairo_surface_flush(s);
    p.width = cairo_image_surface_get_width(s);
    p.height = cairo_image_surface_get_height(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const std::uint32_t v = reinterpret_cast<const std::uint32_t*>(data + y * stride)[x];
            EXPECT_EQ(v >> 24, 0xFFu) << path << " has a transparent pixel";
            p.px.push_back({int(v >> 16 & 0xFF), int(v >> 8 & 0xFF), int(v & 0xFF)});
        }
    cairo_surface_destroy(s);
    return p;
}

struct Card {
    int row, element;
};

std::vector<Card> allCards() {
    std::vector<Card> cards;
    for (int row = pellora::kFirstRow; row <= pellora::kLastRow; ++row)
        for (int e = 0; e < pellora::picturesInRow(row); ++e) cards.push_back({row, e});
    return cards;
}

// Elements 0 (diamond) and 2 (heart) and the big joker are red.
bool shouldBeRed(const Card& c) { return c.row == 14 || (c.row <= 13 && (c.element == 0 || c.element == 2)); }

int inkIn(const Picture& p, int firstRow, int lastRow) {
    int sum = 0;
    for (int y = firstRow; y <= lastRow; ++y)
        for (int x = 0; x < p.width; ++x) sum += p.at(x, y).ink();
    return sum;
}

// The ink coverage of rows [first, last], colour aside.
std::vector<int> coverage(const Picture& p, int first, int last) {
    std::vector<int> c;
    for (int y = first; y <= last; ++y)
        for (int x = 0; x < p.width; ++x) c.push_back(p.at(x, y).ink());
    return c;
}

std::string traceOf(int scale, int row, int element) { return pellora::cardPicturePath(pellora::cardIndex(row, element), scale); }

}  // namespace

TEST(CardPictures, EveryCardHasItsScalesSizeOnWhiteWithInkInBothHalves) {
    for (int scale : pellora::kArtScales) {
        const pellora::PictureSize size = pellora::cardPictureSize(scale);
        const double area = scale * scale / 10000.0;  // against 100 %
        for (const Card& c : allCards()) {
            SCOPED_TRACE(traceOf(scale, c.row, c.element));
            const Picture p = load(c.row, c.element, scale);
            ASSERT_EQ(p.width, size.width);
            ASSERT_EQ(p.height, size.height);
            for (int x = 0; x < p.width; ++x) EXPECT_TRUE(p.at(x, 0).white()) << "top row, x " << x;
            int white = 0;
            for (const Rgb& v : p.px) white += v.white();
            EXPECT_GE(white, p.width * p.height / 4) << "too little white background";
            // At least a few pixels' worth of solid ink in each half.
            EXPECT_GT(inkIn(p, 0, p.upperRows() - 1), 255 * 10 * area) << "no index in the upper half";
            EXPECT_GT(inkIn(p, p.upperRows(), p.height - 1), 255 * 20 * area) << "no symbol in the lower half";
        }
    }
}

TEST(CardPictures, DiamondsHeartsAndTheBigJokerArePureRedTheRestPureBlack) {
    for (int scale : pellora::kArtScales) {
        const double area = scale * scale / 10000.0;
        for (const Card& c : allCards()) {
            SCOPED_TRACE(traceOf(scale, c.row, c.element));
            const bool red = shouldBeRed(c);
            EXPECT_EQ(pellora::isRedCard(pellora::cardIndex(c.row, c.element)), red);
            const Picture p = load(c.row, c.element, scale);
            int solid = 0;
            for (const Rgb& v : p.px) {
                // Anti-aliased ink is a blend of the ink colour into white, never another hue.
                if (red) {
                    ASSERT_TRUE(v.r == 255 && v.g == v.b) << v.r << "," << v.g << "," << v.b;
                } else {
                    ASSERT_TRUE(v.r == v.g && v.g == v.b) << v.r << "," << v.g << "," << v.b;
                }
                solid += v.ink() == 255;
            }
            EXPECT_GE(solid, 20 * area) << "too few pixels of pure " << (red ? "red" : "black");
        }
    }
}

TEST(CardPictures, CardsOfOneRankDifferAndSuitsLookTheSameInEveryRank) {
    for (int scale : pellora::kArtScales) {
        std::vector<Picture> aces;
        for (int e = 0; e < 4; ++e) aces.push_back(load(1, e, scale));
        for (int row = 1; row <= 13; ++row) {
            SCOPED_TRACE(traceOf(scale, row, 0));
            std::vector<Picture> suits;
            for (int e = 0; e < 4; ++e) suits.push_back(load(row, e, scale));
            const int h = suits[0].height, upper = suits[0].upperRows();
            for (int a = 0; a < 4; ++a)
                for (int b = a + 1; b < 4; ++b)
                    EXPECT_NE(coverage(suits[a], upper, h - 1), coverage(suits[b], upper, h - 1))
                        << "elements " << a << " and " << b << " show the same symbol";
            // The index is the same in every suit of the rank, only its colour changes.
            const int index = suits[0].indexRows();
            for (int e = 1; e < 4; ++e) EXPECT_EQ(coverage(suits[0], 0, index - 1), coverage(suits[e], 0, index - 1));
            for (int e = 0; e < 4 && row > 1; ++e)
                EXPECT_EQ(coverage(suits[e], upper + 1, h - 1), coverage(aces[e], upper + 1, h - 1))
                    << "element " << e << " differs from the ace's symbol";
        }
    }
}

TEST(CardPictures, NoTwoRanksShareAnIndex) {
    for (int scale : pellora::kArtScales) {
        SCOPED_TRACE(scale);
        std::vector<std::vector<int>> indexes;
        for (int row = 1; row <= 13; ++row) {
            const Picture p = load(row, 3, scale);
            indexes.push_back(coverage(p, 0, p.upperRows() - 1));
        }
        for (std::size_t a = 0; a < indexes.size(); ++a)
            for (std::size_t b = a + 1; b < indexes.size(); ++b)
                EXPECT_NE(indexes[a], indexes[b]) << "rows " << a + 1 << " and " << b + 1;
    }
}

// Drawn for its size rather than enlarged: most of the index's inked pixels
// are solid ink, where a stretched picture would be mostly soft edges (the
// 14-pixel originals are a quarter to a half solid).
TEST(CardPictures, IndexesAreCrispAboveOneHundredPercent) {
    for (int scale : pellora::kArtScales) {
        if (scale == 100) continue;
        for (int row = 1; row <= 13; ++row) {
            SCOPED_TRACE(traceOf(scale, row, 3));
            const Picture p = load(row, 3, scale);
            int inked = 0, solid = 0;
            for (int y = 0; y < p.indexRows(); ++y)
                for (int x = 0; x < p.width; ++x) {
                    inked += p.at(x, y).ink() > 0;
                    solid += p.at(x, y).ink() == 255;
                }
            EXPECT_GE(solid * 100, inked * 50) << solid << " of " << inked << " inked pixels solid";
        }
    }
}

TEST(CardPictures, JokersAreOneFigureFromNearTheTopToNearTheBottom) {
    for (int scale : pellora::kArtScales) {
        for (int row : {14, 15}) {
            SCOPED_TRACE(traceOf(scale, row, 0));
            const Picture p = load(row, 0, scale);
            const double s = scale / 100.0;
            int first = -1, last = -1;
            for (int y = 0; y < p.height; ++y)
                if (inkIn(p, y, y) > 0) {
                    if (first < 0) first = y;
                    last = y;
                }
            EXPECT_GE(first, 1);
            EXPECT_LE(first, std::ceil(1.5 * s)) << "the points start too low";
            EXPECT_LE(last, p.height - 2);
            EXPECT_GE(last, p.height - 1 - std::ceil(1.5 * s)) << "the base ends too high";
            EXPECT_GT(inkIn(p, last, last), 255 * p.width * 3 / 4) << "the base is not solid across";
        }
        EXPECT_EQ(coverage(load(14, 0, scale), 0, pellora::cardPictureSize(scale).height - 1),
                  coverage(load(15, 0, scale), 0, pellora::cardPictureSize(scale).height - 1))
            << "one figure, two colours";
    }
    // At 100 % exactly from the second row to the twenty-seventh.
    for (int row : {14, 15}) {
        const Picture p = load(row, 0, 100);
        EXPECT_EQ(inkIn(p, 0, 0), 0);
        EXPECT_GT(inkIn(p, 1, 1), 0);
        EXPECT_GT(inkIn(p, 26, 26), 255 * 10);
        EXPECT_EQ(inkIn(p, 27, 27), 0);
    }
}

// All the pictures go into one small program: they must stay compact.
TEST(CardPictures, AllScalesTogetherFitTheirShareOfTheProgram) {
    std::size_t total = 0;
    for (int scale : pellora::kArtScales) {
        std::size_t bytes = 0;
        for (const Card& c : allCards()) {
            std::ifstream f(kAssets + "/" + pellora::cardPicturePath(pellora::cardIndex(c.row, c.element), scale),
                            std::ios::binary | std::ios::ate);
            ASSERT_TRUE(f) << traceOf(scale, c.row, c.element);
            bytes += static_cast<std::size_t>(f.tellg());
        }
        RecordProperty("bytes_at_" + std::to_string(scale), static_cast<int>(bytes));
        total += bytes;
    }
    EXPECT_LE(total, 120000u) << "the card pictures grew to " << total << " bytes";
}

// --- which art the window shows ----------------------------------------------

TEST(ArtScales, PickTheLargestDrawnScaleNotAboveTheDisplays) {
    EXPECT_EQ(pellora::artScaleForDpi(96), 100);
    EXPECT_EQ(pellora::artScaleForDpi(72), 100) << "nothing is drawn below 100 %";
    EXPECT_EQ(pellora::artScaleForDpi(0), 100);
    EXPECT_EQ(pellora::artScaleForDpi(119), 100);
    EXPECT_EQ(pellora::artScaleForDpi(120), 125);
    EXPECT_EQ(pellora::artScaleForDpi(143), 125);
    EXPECT_EQ(pellora::artScaleForDpi(144), 150);
    EXPECT_EQ(pellora::artScaleForDpi(168), 175);
    EXPECT_EQ(pellora::artScaleForDpi(191), 175);
    EXPECT_EQ(pellora::artScaleForDpi(192), 200);
    EXPECT_EQ(pellora::artScaleForDpi(239), 200);
    EXPECT_EQ(pellora::artScaleForDpi(240), 250);
    EXPECT_EQ(pellora::artScaleForDpi(288), 300);
    EXPECT_EQ(pellora::artScaleForDpi(480), 300) << "nothing is drawn above 300 %";
}

TEST(ArtScales, SizesAreTheDesignScaledAndRounded) {
    const std::pair<int, pellora::PictureSize> sizes[] = {{100, {14, 28}}, {125, {18, 35}}, {150, {21, 42}},
                                                          {175, {25, 49}}, {200, {28, 56}}, {250, {35, 70}},
                                                          {300, {42, 84}}};
    ASSERT_EQ(std::size(sizes), pellora::kArtScales.size());
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        EXPECT_EQ(pellora::kArtScales[i], sizes[i].first);
        const pellora::PictureSize got = pellora::cardPictureSize(sizes[i].first);
        EXPECT_EQ(got.width, sizes[i].second.width) << sizes[i].first;
        EXPECT_EQ(got.height, sizes[i].second.height) << sizes[i].first;
    }
    EXPECT_EQ(pellora::cardPictureSize(110).width, 0);
    EXPECT_EQ(pellora::cardPictureSize(110).height, 0);
}

// At every display density from 96 dpi up the chosen art and its frame line
// fit the cell, and no larger drawn scale would.
TEST(ArtScales, ChosenArtFitsItsCellAtEveryDensity) {
    for (int dpi = 96; dpi <= 480; ++dpi) {
        SCOPED_TRACE(dpi);
        const int scale = pellora::artScaleForDpi(dpi);
        ASSERT_TRUE(pellora::isArtScale(scale));
        const pellora::PictureSize art = pellora::cardPictureSize(scale);
        EXPECT_LE(art.width + 2, pellora::twipsToPixels(240, dpi));
        EXPECT_LE(art.height + 2, pellora::twipsToPixels(450, dpi));
        for (int larger : pellora::kArtScales) {
            if (larger > scale) {
                EXPECT_GT(larger * 96, dpi * 100);
            }
        }
    }
}

TEST(ArtScales, PathsNameTheScalesFolder) {
    EXPECT_EQ(pellora::cardPicturePath(pellora::cardIndex(13, 0), 100), "cards/K-diamond.png");
    EXPECT_EQ(pellora::cardPicturePath(pellora::cardIndex(13, 0), 150), "cards/150/K-diamond.png");
    EXPECT_EQ(pellora::cardPicturePath(pellora::cardIndex(10, 3), 300), "cards/300/10-spade.png");
    EXPECT_EQ(pellora::cardPicturePath(pellora::cardIndex(14, 0), 125), "cards/125/joker-big.png");
    EXPECT_EQ(pellora::cardPicturePath(pellora::kCardCount, 125), "");
    EXPECT_EQ(pellora::cardPicturePath(pellora::kNoCard, 100), "");
    EXPECT_EQ(pellora::cardPicturePath(0, 110), "") << "no art is drawn at 110 %";
}

// --- the icon ---------------------------------------------------------------

namespace {

std::vector<std::uint8_t> readIcon() {
    std::ifstream f(kAssets + "/" + pellora::kIconFile, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::uint32_t le16(const std::vector<std::uint8_t>& b, std::size_t at) { return b.at(at) | b.at(at + 1) << 8; }
std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) { return le16(b, at) | le16(b, at + 2) << 16; }

struct Entry {
    int size, bits;
    std::uint32_t bytes;
};
const Entry kEntries[] = {{48, 8, 3752},  {32, 8, 2216},  {24, 8, 1736},  {16, 8, 1384},
                          {48, 32, 9640}, {32, 32, 4264}, {24, 32, 2440}, {16, 32, 1128}};

}  // namespace

TEST(Icon, HoldsEightUncompressedBitmapsWithMasksIn26694Bytes) {
    const std::vector<std::uint8_t> ico = readIcon();
    ASSERT_EQ(ico.size(), 26694u);
    EXPECT_EQ(le16(ico, 0), 0u);
    EXPECT_EQ(le16(ico, 2), 1u);  // an icon, not a cursor
    ASSERT_EQ(le16(ico, 4), 8u);

    std::uint32_t expectedOffset = 6 + 16 * 8;
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        const Entry& want = kEntries[i];
        const std::size_t dir = 6 + 16 * static_cast<std::size_t>(i);
        EXPECT_EQ(ico[dir], want.size);
        EXPECT_EQ(ico[dir + 1], want.size);
        EXPECT_EQ(le16(ico, dir + 4), 1u);  // planes
        EXPECT_EQ(le16(ico, dir + 6), static_cast<std::uint32_t>(want.bits));
        EXPECT_EQ(le32(ico, dir + 8), want.bytes);
        const std::uint32_t at = le32(ico, dir + 12);
        EXPECT_EQ(at, expectedOffset);
        expectedOffset += want.bytes;

        // A BITMAPINFOHEADER, not a PNG; twice the height for colours plus mask.
        ASSERT_EQ(le32(ico, at), 40u);
        EXPECT_EQ(le32(ico, at + 4), static_cast<std::uint32_t>(want.size));
        EXPECT_EQ(le32(ico, at + 8), static_cast<std::uint32_t>(want.size * 2));
        EXPECT_EQ(le16(ico, at + 14), static_cast<std::uint32_t>(want.bits));
        EXPECT_EQ(le32(ico, at + 16), 0u);  // BI_RGB
        const std::uint32_t palette = want.bits == 8 ? 256 * 4 : 0;
        const std::uint32_t colours = static_cast<std::uint32_t>(want.size * want.size * want.bits / 8);
        const std::uint32_t maskRow = (static_cast<std::uint32_t>(want.size) + 31) / 32 * 4;
        EXPECT_EQ(40 + palette + colours + maskRow * static_cast<std::uint32_t>(want.size), want.bytes)
            << "no room for the AND mask";
    }
    EXPECT_EQ(expectedOffset, ico.size());
}

// The corners are transparent (mask bit set, and alpha 0 at 32 bits) and the
// middle of the front card shows its red diamond, at every size and depth.
TEST(Icon, ShowsARedDiamondOnATransparentBackground) {
    const std::vector<std::uint8_t> ico = readIcon();
    ASSERT_EQ(ico.size(), 26694u);
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        const Entry& e = kEntries[i];
        const std::size_t at = le32(ico, 6 + 16 * static_cast<std::size_t>(i) + 12);
        const std::size_t palette = at + 40;
        const std::size_t pixels = palette + (e.bits == 8 ? 1024 : 0);
        const std::size_t mask = pixels + static_cast<std::size_t>(e.size * e.size * e.bits / 8);
        const std::size_t maskRow = (static_cast<std::size_t>(e.size) + 31) / 32 * 4;
        // Rows are stored bottom-up.
        auto masked = [&](int x, int y) {
            return (ico.at(mask + static_cast<std::size_t>(e.size - 1 - y) * maskRow + static_cast<std::size_t>(x / 8)) &
                    (0x80 >> (x % 8))) != 0;
        };
        auto bgra = [&](int x, int y) {
            const std::size_t p = static_cast<std::size_t>((e.size - 1 - y) * e.size + x);
            if (e.bits == 32) return le32(ico, pixels + p * 4);
            return le32(ico, palette + ico.at(pixels + p) * 4u) | 0xFF000000u;
        };
        EXPECT_TRUE(masked(0, 0));
        EXPECT_TRUE(masked(e.size - 1, e.size - 1));
        if (e.bits == 32) {
            EXPECT_EQ(bgra(0, 0) >> 24, 0u);
        } else {
            EXPECT_EQ(bgra(0, 0) & 0xFFFFFF, 0u) << "masked pixels must be black";
        }

        // The front card's middle: (32, 22.5) on the 48-pixel grid.
        const int cx = e.size * 32 / 48, cy = e.size * 45 / 96;
        EXPECT_FALSE(masked(cx, cy));
        const std::uint32_t v = bgra(cx, cy);
        EXPECT_GT(v >> 16 & 0xFF, 200u);
        EXPECT_LT(v >> 8 & 0xFF, 80u);
        EXPECT_LT(v & 0xFF, 80u);
        int opaque = 0;
        for (int y = 0; y < e.size; ++y)
            for (int x = 0; x < e.size; ++x) opaque += !masked(x, y);
        EXPECT_GT(opaque, e.size * e.size / 3);
        EXPECT_LT(opaque, e.size * e.size * 9 / 10);
    }
}

// --- the Linux menu icons ---------------------------------------------------

// The icon theme's sizes show the ico's motif: the sizes the ico holds are its
// 32-bit images pixel for pixel (cairo premultiplies, so compare the colour
// only where the pixel is opaque), the larger ones the same red diamond on a
// transparent background.
TEST(ThemeIcon, EverySizeShowsTheIcosMotif) {
    const std::vector<std::uint8_t> ico = readIcon();
    ASSERT_EQ(ico.size(), 26694u);
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        const std::string path = kAssets + "/icons/hicolor/" + name + "/apps/pellora.png";
        cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
        ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS) << "cannot decode " << path;
        ASSERT_EQ(cairo_image_surface_get_width(s), size);
        ASSERT_EQ(cairo_image_surface_get_height(s), size);
        const unsigned char* data = cairo_image_surface_get_data(s);
        const int stride = cairo_image_surface_get_stride(s);
        auto at = [&](int x, int y) { return reinterpret_cast<const std::uint32_t*>(data + y * stride)[x]; };

        EXPECT_EQ(at(0, 0) >> 24, 0u);
        EXPECT_EQ(at(size - 1, size - 1) >> 24, 0u);
        const std::uint32_t middle = at(size * 32 / 48, size * 45 / 96);
        EXPECT_EQ(middle >> 24, 0xFFu);
        EXPECT_GT(middle >> 16 & 0xFF, 200u);
        EXPECT_LT(middle >> 8 & 0xFF, 80u);

        for (int i = 4; i < 8; ++i) {
            if (kEntries[i].size != size) continue;
            const std::size_t pixels = le32(ico, 6 + 16 * static_cast<std::size_t>(i) + 12) + 40;
            int differ = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) {
                    const std::uint32_t want = le32(ico, pixels + static_cast<std::size_t>((size - 1 - y) * size + x) * 4);
                    const std::uint32_t got = at(x, y);
                    const bool same = (want >> 24) == (got >> 24) && ((want >> 24) != 0xFF || want == got);
                    differ += !same;
                }
            EXPECT_EQ(differ, 0) << name << " differs from the ico's 32-bit image";
        }
        cairo_surface_destroy(s);
    }
}

// Outlines only, so it shows the same without the font it was drawn with.
TEST(ThemeIcon, ScalableIconIsSquareSvgWithoutText) {
    std::ifstream f(kAssets + "/icons/hicolor/scalable/apps/pellora.svg");
    const std::string svg{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(svg.empty());
    EXPECT_NE(svg.find("<svg "), std::string::npos);
    EXPECT_NE(svg.find("viewBox=\"0 0 256 256\""), std::string::npos);
    EXPECT_EQ(svg.find("<text"), std::string::npos);
    EXPECT_EQ(svg.find("font-family"), std::string::npos);
    EXPECT_EQ(svg.find("<image"), std::string::npos) << "a bitmap in the SVG would not scale";
    // The red of the diamond and the corner index.
    EXPECT_NE(svg.find("rgb(100%,0%,0%)"), std::string::npos);
}
