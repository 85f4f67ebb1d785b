// The committed card pictures and icon, checked as a player and Windows see them.
#include "pictures.h"
#include "tally.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::string kAssets = PELLORA_ASSETS_DIR;
constexpr int kWidth = 14;
constexpr int kHeight = 28;
constexpr int kUpperRows = 14;  // rows 0..13 hold the index, 14..27 the suit

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
};

Picture load(int row, int element) {
    const std::string path = kAssets + "/" + pellora::kCardPictureFolder + "/" + pellora::cardPictureFile(row, element);
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

}  // namespace

TEST(CardPictures, EveryCardIs14By28OnWhiteWithInkInBothHalves) {
    for (const Card& c : allCards()) {
        SCOPED_TRACE(pellora::cardPictureFile(c.row, c.element));
        const Picture p = load(c.row, c.element);
        ASSERT_EQ(p.width, kWidth);
        ASSERT_EQ(p.height, kHeight);
        EXPECT_TRUE(p.at(0, 0).white() && p.at(kWidth - 1, 0).white());
        for (int x = 0; x < kWidth; ++x) EXPECT_TRUE(p.at(x, 0).white()) << "top row, x " << x;
        int white = 0;
        for (const Rgb& v : p.px) white += v.white();
        EXPECT_GE(white, kWidth * kHeight / 4) << "too little white background";
        // At least a few pixels' worth of solid ink in each half.
        EXPECT_GT(inkIn(p, 0, kUpperRows - 1), 255 * 10) << "no index in the upper half";
        EXPECT_GT(inkIn(p, kUpperRows, kHeight - 1), 255 * 20) << "no symbol in the lower half";
    }
}

TEST(CardPictures, DiamondsHeartsAndTheBigJokerArePureRedTheRestPureBlack) {
    for (const Card& c : allCards()) {
        SCOPED_TRACE(pellora::cardPictureFile(c.row, c.element));
        const bool red = shouldBeRed(c);
        EXPECT_EQ(pellora::isRedPicture(c.row, c.element), red);
        const Picture p = load(c.row, c.element);
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
        EXPECT_GE(solid, 20) << "too few pixels of pure " << (red ? "red" : "black");
    }
}

TEST(CardPictures, CardsOfOneRankDifferAndSuitsLookTheSameInEveryRank) {
    for (int row = 1; row <= 13; ++row) {
        SCOPED_TRACE(row);
        std::vector<Picture> suits;
        for (int e = 0; e < 4; ++e) suits.push_back(load(row, e));
        for (int a = 0; a < 4; ++a)
            for (int b = a + 1; b < 4; ++b) {
                EXPECT_NE(coverage(suits[a], kUpperRows, kHeight - 1), coverage(suits[b], kUpperRows, kHeight - 1))
                    << "elements " << a << " and " << b << " show the same symbol";
            }
        // The index is the same in every suit of the rank, only its colour changes.
        for (int e = 1; e < 4; ++e) EXPECT_EQ(coverage(suits[0], 0, 11), coverage(suits[e], 0, 11));
        for (int e = 0; e < 4 && row > 1; ++e) {
            EXPECT_EQ(coverage(suits[e], 15, kHeight - 1), coverage(load(1, e), 15, kHeight - 1))
                << "element " << e << " differs from the ace's symbol";
        }
    }
}

TEST(CardPictures, NoTwoRanksShareAnIndex) {
    std::vector<std::vector<int>> indexes;
    for (int row = 1; row <= 13; ++row) indexes.push_back(coverage(load(row, 3), 0, kUpperRows - 1));
    for (std::size_t a = 0; a < indexes.size(); ++a)
        for (std::size_t b = a + 1; b < indexes.size(); ++b)
            EXPECT_NE(indexes[a], indexes[b]) << "rows " << a + 1 << " and " << b + 1;
}

TEST(CardPictures, JokersAreOneFigureFromTheSecondRowToTheTwentySeventh) {
    for (int row : {14, 15}) {
        SCOPED_TRACE(row);
        const Picture p = load(row, 0);
        EXPECT_EQ(inkIn(p, 0, 0), 0);
        EXPECT_GT(inkIn(p, 1, 1), 0);
        EXPECT_GT(inkIn(p, 26, 26), 255 * 10);
        EXPECT_EQ(inkIn(p, 27, 27), 0);
    }
    EXPECT_EQ(coverage(load(14, 0), 0, kHeight - 1), coverage(load(15, 0), 0, kHeight - 1)) << "one figure, two colours";
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
