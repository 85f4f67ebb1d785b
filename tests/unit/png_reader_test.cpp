// The PNG reader against cairo's (libpng's) decoding of the same files, and
// against broken files, which must give an error and never touch memory
// outside the input or the picture (the tests also run under ASan/UBSan).
#include "png_reader.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using pellora::PngImage;
using pellora::readPng;

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string read(const Bytes& file, PngImage& image) { return readPng(file.data(), file.size(), image).text(); }

Bytes pixels(const PngImage& image) { return Bytes(image.rgba.data(), image.rgba.data() + image.rgba.size()); }

// Premultiplied 0xAARRGGBB, as cairo keeps pixels, for a straight RGBA pixel.
std::uint32_t cairoPixel(const std::uint8_t* rgba) {
    const unsigned a = rgba[3];
    auto mul = [a](unsigned c) {
        const unsigned t = c * a + 0x80;
        return ((t >> 8) + t) >> 8;
    };
    return a << 24 | mul(rgba[0]) << 16 | mul(rgba[1]) << 8 | mul(rgba[2]);
}

// Expects `image` to hold exactly the pixels cairo decodes from `surface`.
void expectSamePixels(cairo_surface_t* surface, const PngImage& image, const std::string& what) {
    ASSERT_EQ(cairo_surface_status(surface), CAIRO_STATUS_SUCCESS) << what;
    const int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
    ASSERT_EQ(image.width, width) << what;
    ASSERT_EQ(image.height, height) << what;
    ASSERT_EQ(image.rgba.size(), static_cast<std::size_t>(width * height * 4)) << what;
    const bool alpha = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32;
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    int wrong = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint32_t theirs;
            std::memcpy(&theirs, data + y * stride + x * 4, 4);
            const std::uint8_t* ours = image.rgba.data() + (y * width + x) * 4;
            if (!alpha) {
                theirs |= 0xFF000000u;  // cairo leaves RGB24's top byte undefined
                EXPECT_EQ(ours[3], 255) << what;
            }
            if (cairoPixel(ours) != theirs && ++wrong <= 3)
                ADD_FAILURE() << what << ": pixel " << x << ", " << y << " is " << std::hex << cairoPixel(ours)
                              << ", cairo reads " << theirs;
        }
    EXPECT_EQ(wrong, 0) << what;
}

// ---- building PNG files by hand ----

void putBig32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void putChunk(Bytes& out, const char* type, const Bytes& data) {
    putBig32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBig32(out, static_cast<std::uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

Bytes header(std::uint32_t width, std::uint32_t height, int depth, int colour, int interlace = 0) {
    Bytes h;
    putBig32(h, width);
    putBig32(h, height);
    h.insert(h.end(), {static_cast<std::uint8_t>(depth), static_cast<std::uint8_t>(colour), 0, 0,
                       static_cast<std::uint8_t>(interlace)});
    return h;
}

Bytes deflated(const Bytes& raw, int strategy) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, 15, 9, strategy), Z_OK);
    Bytes out(deflateBound(&z, static_cast<uLong>(raw.size())));
    z.next_in = const_cast<Bytef*>(raw.data());
    z.avail_in = static_cast<uInt>(raw.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// A zlib stream of stored (uncompressed) blocks of at most `blockSize` bytes.
Bytes stored(const Bytes& raw, std::size_t blockSize) {
    Bytes out = {0x78, 0x01};
    std::size_t pos = 0;
    do {
        const std::size_t n = std::min(blockSize, raw.size() - pos);
        out.push_back(pos + n == raw.size() ? 1 : 0);
        out.insert(out.end(), {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                               static_cast<std::uint8_t>(~n), static_cast<std::uint8_t>(~n >> 8)});
        out.insert(out.end(), raw.begin() + static_cast<long>(pos), raw.begin() + static_cast<long>(pos + n));
        pos += n;
    } while (pos < raw.size());
    putBig32(out, static_cast<std::uint32_t>(adler32(1, raw.data(), static_cast<uInt>(raw.size()))));
    return out;
}

Bytes png(const Bytes& ihdr, const Bytes& zdata, const Bytes& plte = {}) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    putChunk(out, "IHDR", ihdr);
    if (!plte.empty()) putChunk(out, "PLTE", plte);
    putChunk(out, "IDAT", zdata);
    putChunk(out, "IEND", {});
    return out;
}

// A small palette picture (3 x 2, 2 bits, filter "up" on the second row).
const Bytes kPalette = {255, 255, 255, 200, 0, 0, 0, 0, 0};
const Bytes kRaw = {0, 0b00011000, 2, 0b01000000};
Bytes smallPalettePicture() { return png(header(3, 2, 2, 3), deflated(kRaw, Z_DEFAULT_STRATEGY), kPalette); }

cairo_status_t appendTo(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<Bytes*>(closure)->insert(static_cast<Bytes*>(closure)->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

cairo_status_t readFrom(void* closure, unsigned char* data, unsigned int length) {
    auto* source = static_cast<std::pair<const Bytes*, std::size_t>*>(closure);
    if (source->first->size() - source->second < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, source->first->data() + source->second, length);
    source->second += length;
    return CAIRO_STATUS_SUCCESS;
}

TEST(PngReader, EveryCommittedCardPictureReadsAsCairoReadsIt) {
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(PELLORA_ASSETS_DIR "/cards")) {
        if (entry.path().extension() != ".png") continue;
        ++files;
        PngImage image;
        const Bytes file = readFile(entry.path());
        ASSERT_EQ(read(file, image), "") << entry.path();
        cairo_surface_t* surface = cairo_image_surface_create_from_png(entry.path().c_str());
        expectSamePixels(surface, image, entry.path().string());
        cairo_surface_destroy(surface);
    }
    EXPECT_EQ(files, 54 * 7);  // every card at every drawn scale
}

TEST(PngReader, ReadsRgbAndRgbaAsCairoWritesThem) {
    for (cairo_format_t format : {CAIRO_FORMAT_RGB24, CAIRO_FORMAT_ARGB32}) {
        // Gradients and a translucent circle: every filter and a dynamic code get used.
        cairo_surface_t* surface = cairo_image_surface_create(format, 61, 37);
        cairo_t* cr = cairo_create(surface);
        cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 61, 37);
        cairo_pattern_add_color_stop_rgba(gradient, 0, 1, 0.2, 0, 1);
        cairo_pattern_add_color_stop_rgba(gradient, 1, 0, 0.4, 1, 0.3);
        cairo_set_source(cr, gradient);
        cairo_paint(cr);
        cairo_set_source_rgba(cr, 0.1, 0.9, 0.3, 0.5);
        cairo_arc(cr, 30, 18, 12, 0, 6.3);
        cairo_fill(cr);
        cairo_pattern_destroy(gradient);
        cairo_destroy(cr);
        Bytes file;
        ASSERT_EQ(cairo_surface_write_to_png_stream(surface, appendTo, &file), CAIRO_STATUS_SUCCESS);
        cairo_surface_destroy(surface);

        PngImage image;
        ASSERT_EQ(read(file, image), "");
        std::pair<const Bytes*, std::size_t> source{&file, 0};
        cairo_surface_t* back = cairo_image_surface_create_from_png_stream(readFrom, &source);
        expectSamePixels(back, image, format == CAIRO_FORMAT_RGB24 ? "RGB" : "RGBA");
        cairo_surface_destroy(back);
    }
}

int paethPredictor(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

TEST(PngReader, UndoesEveryFilterInStoredFixedAndDynamicBlocks) {
    // Grey 8-bit pixels, row y filtered here with filter y % 5, so every
    // filter is undone against a known answer, compressed three ways.
    const int width = 40, height = 10;
    auto pixel = [](int x, int y) { return (x * 7 + y * 13 + (x * y) % 11) & 0xFF; };
    Bytes raw;
    for (int y = 0; y < height; ++y) {
        const int type = y % 5;
        raw.push_back(static_cast<std::uint8_t>(type));
        for (int x = 0; x < width; ++x) {
            const int a = x > 0 ? pixel(x - 1, y) : 0, b = y > 0 ? pixel(x, y - 1) : 0;
            const int c = x > 0 && y > 0 ? pixel(x - 1, y - 1) : 0;
            const int predicted = type == 1 ? a : type == 2 ? b : type == 3 ? (a + b) / 2 : type == 4 ? paethPredictor(a, b, c) : 0;
            raw.push_back(static_cast<std::uint8_t>(pixel(x, y) - predicted));
        }
    }
    Bytes expected;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto v = static_cast<std::uint8_t>(pixel(x, y));
            expected.insert(expected.end(), {v, v, v, 255});
        }
    for (const Bytes& zdata : {stored(raw, 1 << 16), stored(raw, 7), deflated(raw, Z_FIXED), deflated(raw, Z_DEFAULT_STRATEGY)}) {
        PngImage image;
        ASSERT_EQ(read(png(header(width, height, 8, 0), zdata), image), "");
        EXPECT_EQ(pixels(image), expected);
    }
}

TEST(PngReader, UnpacksLowBitDepths) {
    PngImage image;
    ASSERT_EQ(read(smallPalettePicture(), image), "");
    // Indices 0 1 2 / 1 1 2 (the second row adds the first).
    const Bytes expected = {255, 255, 255, 255, 200, 0, 0, 255, 0, 0, 0, 255,
                            200, 0, 0, 255, 200, 0, 0, 255, 0, 0, 0, 255};
    EXPECT_EQ(pixels(image), expected);

    // Grey 1 bit: 0 and 1 become black and white; 4 bits scale by 17.
    ASSERT_EQ(read(png(header(9, 1, 1, 0), deflated({0, 0b10100000, 0b10000000}, Z_DEFAULT_STRATEGY)), image), "");
    EXPECT_EQ(image.rgba[0], 255);
    EXPECT_EQ(image.rgba[4], 0);
    EXPECT_EQ(image.rgba[8 * 4], 255);
    ASSERT_EQ(read(png(header(2, 1, 4, 0), deflated({0, 0x3F}, Z_DEFAULT_STRATEGY)), image), "");
    EXPECT_EQ(image.rgba[0], 3 * 17);
    EXPECT_EQ(image.rgba[4], 255);
}

TEST(PngReader, RefusesWhatItDoesNotRead) {
    const Bytes data = deflated(kRaw, Z_DEFAULT_STRATEGY);
    struct Case {
        const char* what;
        Bytes file;
        const char* expected;
    };
    const Case cases[] = {
        {"too wide", png(header(1025, 2, 2, 3), data, kPalette), "larger than"},
        {"enormous", png(header(0x7FFFFFFF, 0x7FFFFFFF, 8, 6), data), "larger than"},
        {"empty", png(header(0, 2, 2, 3), data, kPalette), "no pixels"},
        {"grey + alpha", png(header(3, 2, 8, 4), data), "colour type 4"},
        {"unknown colour type", png(header(3, 2, 8, 7), data), "colour type 7"},
        {"16-bit RGB", png(header(3, 2, 16, 2), data), "16 bits"},
        {"3-bit palette", png(header(3, 2, 3, 3), data, kPalette), "3 bits"},
        {"interlaced", png(header(3, 2, 2, 3, 1), data, kPalette), "interlaced"},
        {"no palette", png(header(3, 2, 2, 3), data), "no palette"},
        {"index past the palette", png(header(3, 2, 2, 3), data, Bytes(kPalette.begin(), kPalette.begin() + 6)),
         "palette of 2"},
        {"more data than pixels", png(header(3, 1, 2, 3), data, kPalette), "more than"},
        {"less data than pixels", png(header(3, 3, 2, 3), data, kPalette), "fewer"},
        {"unknown filter", png(header(3, 2, 2, 3), deflated({5, 0, 0, 0}, Z_DEFAULT_STRATEGY), kPalette), "filter"},
        {"not zlib", png(header(3, 2, 2, 3), Bytes{1, 2, 3, 4, 5, 6, 7}, kPalette), "zlib"},
        {"not a PNG", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0}, "signature"},
    };
    for (const Case& c : cases) {
        PngImage image;
        const std::string why = read(c.file, image);
        EXPECT_NE(why.find(c.expected), std::string::npos) << c.what << ": " << why;
        EXPECT_TRUE(image.rgba.empty()) << c.what;
    }
}

TEST(PngReader, RefusesDamagedFiles) {
    const Bytes good = smallPalettePicture();
    PngImage image;
    ASSERT_EQ(read(good, image), "");

    // Every shorter file is an error.
    for (std::size_t n = 0; n < good.size(); ++n)
        EXPECT_NE(read(Bytes(good.begin(), good.begin() + static_cast<long>(n)), image), "") << n << " bytes";
    EXPECT_FALSE(readPng(nullptr, 10, image).empty());

    // Any flipped bit fails a chunk's checksum (or the signature).
    for (std::size_t i = 0; i < good.size(); ++i) {
        Bytes bad = good;
        bad[i] ^= 0x10;
        EXPECT_NE(read(bad, image), "") << "byte " << i;
    }

    // Damaged compressed data under a correct chunk checksum.
    const Bytes zdata = deflated(kRaw, Z_DEFAULT_STRATEGY);
    Bytes badAdler = zdata;
    badAdler.back() ^= 1;
    EXPECT_NE(read(png(header(3, 2, 2, 3), badAdler, kPalette), image).find("checksum"), std::string::npos);
    Bytes badStored = stored(kRaw, 100);
    badStored[5] ^= 1;  // NLEN no longer matches LEN
    EXPECT_NE(read(png(header(3, 2, 2, 3), badStored, kPalette), image).find("inconsistent"), std::string::npos);
    Bytes badType = zdata;
    badType[2] |= 0x06;  // block type 3
    EXPECT_NE(read(png(header(3, 2, 2, 3), badType, kPalette), image), "");
    Bytes cut(zdata.begin(), zdata.end() - 5);
    EXPECT_NE(read(png(header(3, 2, 2, 3), cut, kPalette), image), "");
}

TEST(PngReader, SurvivesRandomDamageToTheCompressedData) {
    // A real card, its image data changed at random but its chunks' checksums
    // made right, so the reader's inflate meets hostile input: each read gives
    // an error or a whole picture of the declared size, never a crash.
    const Bytes card = readFile(PELLORA_ASSETS_DIR "/cards/300/K-heart.png");
    PngImage image;
    ASSERT_EQ(read(card, image), "");
    const int width = image.width, height = image.height;
    // Cut the file into IHDR, PLTE, IDAT bodies to rebuild around damaged data.
    Bytes ihdr, plte, idat;
    for (std::size_t pos = 8; pos + 12 <= card.size();) {
        const std::uint32_t length = std::uint32_t{card[pos]} << 24 | std::uint32_t{card[pos + 1]} << 16 |
                                      std::uint32_t{card[pos + 2]} << 8 | card[pos + 3];
        const std::string type(card.begin() + static_cast<long>(pos + 4), card.begin() + static_cast<long>(pos + 8));
        const Bytes body(card.begin() + static_cast<long>(pos + 8), card.begin() + static_cast<long>(pos + 8 + length));
        if (type == "IHDR") ihdr = body;
        if (type == "PLTE") plte = body;
        if (type == "IDAT") idat.insert(idat.end(), body.begin(), body.end());
        pos += 12 + length;
    }
    ASSERT_FALSE(idat.empty());
    std::mt19937 random(12345);
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes damaged = idat;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int f = 0; f < flips; ++f) damaged[random() % damaged.size()] ^= static_cast<std::uint8_t>(1 + random() % 255);
        if (round % 3 == 0) damaged.resize(random() % damaged.size());
        const std::string why = read(png(ihdr, damaged, plte), image);
        if (why.empty()) {
            EXPECT_EQ(image.width, width);
            EXPECT_EQ(image.rgba.size(), static_cast<std::size_t>(width * height * 4));
        } else {
            ++refused;
            EXPECT_TRUE(image.rgba.empty());
        }
    }
    EXPECT_GT(refused, 2900);  // the adler32 check catches nearly every change
}

TEST(PngReader, KeepsItsBytesAndMessagesInBounds) {
    using pellora::ByteBuffer;
    using pellora::PngProblem;
    ByteBuffer buffer;
    const std::uint8_t some[] = {1, 2, 3, 4, 5};
    ASSERT_TRUE(buffer.append(some, 5));
    ASSERT_TRUE(buffer.resize(8));  // grows with zeros, keeps what it held
    ASSERT_TRUE(buffer.append(some, 2));
    EXPECT_EQ(Bytes(buffer.data(), buffer.data() + buffer.size()), (Bytes{1, 2, 3, 4, 5, 0, 0, 0, 1, 2}));
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(buffer.append(some, 5));  // many reallocations
    EXPECT_EQ(buffer.size(), 5010U);
    EXPECT_EQ(buffer[5009], 5);
    ByteBuffer moved = std::move(buffer);
    EXPECT_EQ(moved.size(), 5010U);
    EXPECT_TRUE(buffer.empty());  // NOLINT(bugprone-use-after-move): a moved-from buffer is empty
    ByteBuffer assigned;
    ASSERT_TRUE(assigned.append(some, 1));
    assigned = std::move(moved);
    EXPECT_EQ(assigned[0], 1);
    EXPECT_EQ(assigned.size(), 5010U);
    assigned.clear();
    EXPECT_TRUE(assigned.empty());

    PngProblem problem;
    EXPECT_TRUE(problem.empty());
    EXPECT_STREQ(problem.text(), "");
    problem << "pixel " << 0 << ", " << -7 << " of " << 4294967295LL << " " << (-9223372036854775807LL - 1);
    EXPECT_STREQ(problem.text(), "pixel 0, -7 of 4294967295 -9223372036854775808");
    // A sentence longer than the buffer is cut, still terminated.
    PngProblem longProblem;
    for (int i = 0; i < 100; ++i) longProblem << "abcdefghij";
    const std::string text = longProblem.text();
    EXPECT_GT(text.size(), 100U);
    EXPECT_LT(text.size(), 200U);
    EXPECT_EQ(text.substr(0, 20), "abcdefghijabcdefghij");
    longProblem << 12345;
    EXPECT_EQ(std::string(longProblem.text()), text);
}

}  // namespace
