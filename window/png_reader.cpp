#include "png_reader.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace pellora {

ByteBuffer::~ByteBuffer() { std::free(data_); }

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : data_(other.data_), size_(other.size_), capacity_(other.capacity_) {
    other.data_ = nullptr;
    other.size_ = other.capacity_ = 0;
}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
        std::free(data_);
        data_ = other.data_;
        size_ = other.size_;
        capacity_ = other.capacity_;
        other.data_ = nullptr;
        other.size_ = other.capacity_ = 0;
    }
    return *this;
}

bool ByteBuffer::reserve(std::size_t capacity) {
    if (capacity <= capacity_) return true;
    void* grown = std::realloc(data_, capacity);
    if (!grown) return false;
    data_ = static_cast<std::uint8_t*>(grown);
    capacity_ = capacity;
    return true;
}

bool ByteBuffer::resize(std::size_t size) {
    if (!reserve(size)) return false;
    if (size > size_) std::memset(data_ + size_, 0, size - size_);
    size_ = size;
    return true;
}

bool ByteBuffer::append(const std::uint8_t* bytes, std::size_t count) {
    if (count > static_cast<std::size_t>(-1) - size_) return false;
    if (size_ + count > capacity_ && !reserve(capacity_ + capacity_ / 2 > size_ + count ? capacity_ + capacity_ / 2 : size_ + count))
        return false;
    if (count) std::memcpy(data_ + size_, bytes, count);
    size_ += count;
    return true;
}

void ByteBuffer::clear() {
    std::free(data_);
    data_ = nullptr;
    size_ = capacity_ = 0;
}

PngProblem& PngProblem::operator<<(const char* text) {
    for (; text && *text && length_ + 1 < kCapacity; ++text) text_[length_++] = *text;
    text_[length_] = '\0';
    return *this;
}

PngProblem& PngProblem::appendNumber(long long number) {
    char digits[24];
    int n = 0;
    unsigned long long magnitude = number < 0 ? 0ULL - static_cast<unsigned long long>(number) : static_cast<unsigned long long>(number);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (number < 0) digits[n++] = '-';
    char inOrder[24];
    for (int i = 0; i < n; ++i) inOrder[i] = digits[n - 1 - i];
    inOrder[n] = '\0';
    return *this << inOrder;
}

namespace {

constexpr const char* kOutOfMemory = "there is not enough memory to read it";

std::uint32_t big32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
    static constexpr std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::uint32_t adler32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t a = 1, b = 0;
    for (std::size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

// ---- inflate (RFC 1951 inside a zlib wrapper) ----

class Bits {
public:
    Bits(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // The next `count` (0..16) bits, least significant first; 0 past the end
    // (and ranOut() turns true).
    std::uint32_t take(int count) {
        while (held_ < count) {
            if (pos_ >= size_) {
                ranOut_ = true;
                return 0;
            }
            buffer_ |= static_cast<std::uint32_t>(data_[pos_++]) << held_;
            held_ += 8;
        }
        const std::uint32_t value = buffer_ & ((1u << count) - 1);
        buffer_ >>= count;
        held_ -= count;
        return value;
    }
    // Drops the rest of the current byte; fewer than 8 bits are ever held.
    void toByte() {
        buffer_ = 0;
        held_ = 0;
    }
    bool byteAvailable(std::size_t count) const { return size_ - pos_ >= count; }
    const std::uint8_t* here() const { return data_ + pos_; }
    void skip(std::size_t count) { pos_ += count; }
    bool ranOut() const { return ranOut_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    std::uint32_t buffer_ = 0;
    int held_ = 0;
    bool ranOut_ = false;
};

// A canonical Huffman code: how many codes of each length, and the symbols
// in code order.
struct Huffman {
    std::array<std::uint16_t, 16> counts{};
    std::array<std::uint16_t, 288> symbols{};

    // False for lengths that ask for more codes than exist.
    bool build(const std::uint8_t* lengths, int n) {
        counts.fill(0);
        for (int s = 0; s < n; ++s) ++counts[lengths[s]];
        int left = 1;
        for (int len = 1; len < 16; ++len) {
            left = left * 2 - counts[len];
            if (left < 0) return false;
        }
        std::array<std::uint16_t, 16> offsets{};
        for (int len = 1; len < 15; ++len) offsets[len + 1] = static_cast<std::uint16_t>(offsets[len] + counts[len]);
        for (int s = 0; s < n; ++s)
            if (lengths[s] != 0) symbols[offsets[lengths[s]]++] = static_cast<std::uint16_t>(s);
        return true;
    }

    // The next symbol, or -1 for a code this table does not have.
    int decode(Bits& bits) const {
        int code = 0, first = 0, index = 0;
        for (int len = 1; len < 16; ++len) {
            code |= static_cast<int>(bits.take(1));
            const int count = counts[len];
            if (code - first < count) return symbols[static_cast<std::size_t>(index + code - first)];
            index += count;
            first = (first + count) << 1;
            code <<= 1;
            if (bits.ranOut()) return -1;
        }
        return -1;
    }
};

constexpr std::array<std::uint16_t, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                       31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> kDistanceBase = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,
                                                         33,  49,  65,  97,  129, 193,  257,  385,  513,  769,
                                                         1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> kDistanceExtra = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                         6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

class Inflater {
public:
    // Writes at most `limit` bytes to `out`.
    Inflater(Bits& bits, std::uint8_t* out, std::size_t limit) : bits_(bits), out_(out), limit_(limit) {}

    std::size_t written() const { return size_; }

    PngProblem run() {
        bool last = false;
        while (!last) {
            last = bits_.take(1) != 0;
            const std::uint32_t type = bits_.take(2);
            if (bits_.ranOut()) return "the compressed data ends early";
            PngProblem why;
            if (type == 0)
                why = stored();
            else if (type == 1)
                why = fixed();
            else if (type == 2)
                why = dynamic();
            else
                why = "the compressed data has a block of an unknown kind";
            if (!why.empty()) return why;
        }
        return {};
    }

private:
    PngProblem stored() {
        bits_.toByte();
        if (!bits_.byteAvailable(4)) return "the compressed data ends early";
        const std::uint8_t* p = bits_.here();
        const std::size_t length = p[0] | static_cast<std::size_t>(p[1]) << 8;
        const std::size_t check = p[2] | static_cast<std::size_t>(p[3]) << 8;
        bits_.skip(4);
        if (length != (~check & 0xFFFF)) return "the compressed data has a stored block of inconsistent length";
        if (!bits_.byteAvailable(length)) return "the compressed data ends early";
        if (limit_ - size_ < length) return "the compressed data holds more than the picture's pixels";
        if (length) std::memcpy(out_ + size_, bits_.here(), length);
        size_ += length;
        bits_.skip(length);
        return {};
    }

    PngProblem fixed() {
        std::array<std::uint8_t, 288 + 30> lengths{};
        for (int s = 0; s < 288; ++s) lengths[static_cast<std::size_t>(s)] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
        for (int s = 288; s < 288 + 30; ++s) lengths[static_cast<std::size_t>(s)] = 5;
        Huffman literal, distance;
        literal.build(lengths.data(), 288);
        distance.build(lengths.data() + 288, 30);
        return codes(literal, distance);
    }

    PngProblem dynamic() {
        const int literals = static_cast<int>(bits_.take(5)) + 257;
        const int distances = static_cast<int>(bits_.take(5)) + 1;
        const int codeLengths = static_cast<int>(bits_.take(4)) + 4;
        if (bits_.ranOut()) return "the compressed data ends early";
        if (literals > 286 || distances > 30) return "the compressed data has too many codes in a block";
        static constexpr std::array<std::uint8_t, 19> kOrder = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5,
                                                                11, 4,  12, 3, 13, 2, 14, 1, 15};
        std::array<std::uint8_t, 19> codeLengthLengths{};
        for (int i = 0; i < codeLengths; ++i) codeLengthLengths[kOrder[static_cast<std::size_t>(i)]] = static_cast<std::uint8_t>(bits_.take(3));
        Huffman lengthCode;
        if (!lengthCode.build(codeLengthLengths.data(), 19)) return "the compressed data has a broken code";

        std::array<std::uint8_t, 286 + 30> lengths{};
        const int total = literals + distances;
        for (int i = 0; i < total;) {
            const int symbol = lengthCode.decode(bits_);
            if (symbol < 0) return bits_.ranOut() ? "the compressed data ends early" : "the compressed data has a broken code";
            if (symbol < 16) {
                lengths[static_cast<std::size_t>(i++)] = static_cast<std::uint8_t>(symbol);
                continue;
            }
            std::uint8_t value = 0;
            int repeat = 0;
            if (symbol == 16) {
                if (i == 0) return "the compressed data repeats a code length before the first";
                value = lengths[static_cast<std::size_t>(i - 1)];
                repeat = 3 + static_cast<int>(bits_.take(2));
            } else if (symbol == 17) {
                repeat = 3 + static_cast<int>(bits_.take(3));
            } else {
                repeat = 11 + static_cast<int>(bits_.take(7));
            }
            if (i + repeat > total) return "the compressed data has more code lengths than codes";
            while (repeat-- > 0) lengths[static_cast<std::size_t>(i++)] = value;
        }
        if (bits_.ranOut()) return "the compressed data ends early";
        if (lengths[256] == 0) return "the compressed data has a block that cannot end";
        Huffman literal, distance;
        if (!literal.build(lengths.data(), literals) || !distance.build(lengths.data() + literals, distances))
            return "the compressed data has a broken code";
        return codes(literal, distance);
    }

    PngProblem codes(const Huffman& literal, const Huffman& distance) {
        for (;;) {
            const int symbol = literal.decode(bits_);
            if (symbol < 0) return bits_.ranOut() ? "the compressed data ends early" : "the compressed data has a broken code";
            if (symbol == 256) return {};
            if (symbol < 256) {
                if (size_ >= limit_) return "the compressed data holds more than the picture's pixels";
                out_[size_++] = static_cast<std::uint8_t>(symbol);
                continue;
            }
            const auto lengthIndex = static_cast<std::size_t>(symbol - 257);
            if (lengthIndex >= kLengthBase.size()) return "the compressed data has a broken code";
            const std::size_t length = kLengthBase[lengthIndex] + bits_.take(kLengthExtra[lengthIndex]);
            const int distanceSymbol = distance.decode(bits_);
            if (distanceSymbol < 0 || distanceSymbol >= 30)
                return bits_.ranOut() ? "the compressed data ends early" : "the compressed data has a broken code";
            const auto d = static_cast<std::size_t>(distanceSymbol);
            const std::size_t back = kDistanceBase[d] + bits_.take(kDistanceExtra[d]);
            if (bits_.ranOut()) return "the compressed data ends early";
            if (back > size_) return "the compressed data refers back before its start";
            if (limit_ - size_ < length) return "the compressed data holds more than the picture's pixels";
            for (std::size_t k = 0; k < length; ++k, ++size_) out_[size_] = out_[size_ - back];
        }
    }

    Bits& bits_;
    std::uint8_t* out_;
    std::size_t limit_;
    std::size_t size_ = 0;
};

// A zlib stream whose data must come to exactly `expected` bytes.
PngProblem inflateZlib(const ByteBuffer& in, std::size_t expected, ByteBuffer& out) {
    if (in.size() < 2 + 4) return "the compressed data is too short";
    const unsigned method = in[0], flags = in[1];
    if ((method & 0x0F) != 8 || (method >> 4) > 7 || (method * 256 + flags) % 31 != 0)
        return "the compressed data does not start with a zlib header";
    if (flags & 0x20) return "the compressed data asks for a preset dictionary";
    if (!out.resize(expected)) return kOutOfMemory;
    Bits bits(in.data() + 2, in.size() - 2);
    Inflater inflater(bits, out.data(), expected);
    PngProblem why = inflater.run();
    if (!why.empty()) return why;
    bits.toByte();
    if (!bits.byteAvailable(4)) return "the compressed data ends before its checksum";
    if (big32(bits.here()) != adler32(out.data(), inflater.written())) return "the compressed data's checksum does not match";
    if (inflater.written() != expected) return "the compressed data holds fewer bytes than the picture's pixels";
    return {};
}

// ---- PNG ----

int paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = p > a ? p - a : a - p, pb = p > b ? p - b : b - p, pc = p > c ? p - c : c - p;
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Undoes each row's filter in place; `raw` is height rows of a filter byte
// and `rowBytes` bytes.
PngProblem unfilter(ByteBuffer& raw, std::size_t rowBytes, int height, std::size_t bpp) {
    const std::size_t stride = rowBytes + 1;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = raw.data() + static_cast<std::size_t>(y) * stride;
        const std::uint8_t* above = y > 0 ? row - stride : nullptr;
        const std::uint8_t type = row[0];
        std::uint8_t* px = row + 1;
        const std::uint8_t* up = above ? above + 1 : nullptr;
        for (std::size_t i = 0; i < rowBytes; ++i) {
            const int a = i >= bpp ? px[i - bpp] : 0, b = up ? up[i] : 0, c = (up && i >= bpp) ? up[i - bpp] : 0;
            int predicted = 0;
            switch (type) {
            case 0: break;
            case 1: predicted = a; break;
            case 2: predicted = b; break;
            case 3: predicted = (a + b) / 2; break;
            case 4: predicted = paeth(a, b, c); break;
            default: return PngProblem() << "row " << y << " has an unknown filter (" << type << ")";
            }
            px[i] = static_cast<std::uint8_t>(px[i] + predicted);
        }
    }
    return {};
}

PngProblem decode(const std::uint8_t* data, std::size_t size, PngImage& image) {
    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 8 || std::memcmp(data, kSignature, 8) != 0) return "it is not a PNG file (no PNG signature)";

    int width = 0, height = 0, depth = 0, colour = 0;
    std::array<std::uint8_t, std::size_t{256} * 3> palette{};  // R, G, B per entry
    std::size_t paletteBytes = 0;
    ByteBuffer compressed;
    bool sawHeader = false, sawEnd = false;
    std::size_t pos = 8;
    while (!sawEnd) {
        if (size - pos < 12) return "the file ends before its last chunk (IEND)";
        const std::uint32_t length = big32(data + pos);
        const std::uint8_t* type = data + pos + 4;
        if (length > 0x7FFFFFFFu || length > size - pos - 12) return "a chunk is longer than the rest of the file";
        const std::uint8_t* body = type + 4;
        // The chunk's name, for messages; PNG names are four ASCII letters.
        char name[5] = {};
        for (int i = 0; i < 4; ++i) name[i] = (type[i] | 0x20) >= 'a' && (type[i] | 0x20) <= 'z' ? static_cast<char>(type[i]) : '?';
        const auto is = [type](const char* expected) { return std::memcmp(type, expected, 4) == 0; };
        if (big32(body + length) != crc32(type, length + 4))
            return PngProblem() << "the " << name << " chunk's checksum does not match";
        pos += 12 + length;

        if (!sawHeader && !is("IHDR")) return "the first chunk is not IHDR";
        if (is("IHDR")) {
            if (sawHeader) return "the file has two IHDR chunks";
            if (length != 13) return "the IHDR chunk has the wrong length";
            sawHeader = true;
            const std::uint32_t w = big32(body), h = big32(body + 4);
            if (w == 0 || h == 0) return "the picture has no pixels";
            if (w > static_cast<std::uint32_t>(kPngMaxSide) || h > static_cast<std::uint32_t>(kPngMaxSide))
                return PngProblem() << "the picture is " << w << " x " << h << " pixels, larger than " << kPngMaxSide
                                    << " x " << kPngMaxSide;
            width = static_cast<int>(w);
            height = static_cast<int>(h);
            depth = body[8];
            colour = body[9];
            const bool lowDepthOk = depth == 1 || depth == 2 || depth == 4 || depth == 8;
            if (colour == 0 || colour == 3) {
                if (!lowDepthOk) return PngProblem() << "grey and palette pictures of " << depth << " bits are not read";
            } else if (colour == 2 || colour == 6) {
                if (depth != 8) return PngProblem() << "colour pictures of " << depth << " bits are not read";
            } else {
                return PngProblem() << "pictures of colour type " << colour << " are not read";
            }
            if (body[10] != 0 || body[11] != 0) return "the picture uses an unknown compression or filter method";
            if (body[12] != 0) return "interlaced pictures are not read";
        } else if (is("PLTE")) {
            if (paletteBytes != 0) return "the file has two palettes";
            if (!compressed.empty()) return "the palette comes after the image data";
            if (length == 0 || length % 3 != 0 || length > 256 * 3) return "the palette has a wrong length";
            std::memcpy(palette.data(), body, length);
            paletteBytes = length;
        } else if (is("IDAT")) {
            if (!compressed.append(body, length)) return kOutOfMemory;
        } else if (is("IEND")) {
            sawEnd = true;
        } else if (!(type[0] & 0x20)) {
            return PngProblem() << "the file has a chunk this reader does not know and must not skip (" << name << ")";
        }
        // Other ancillary chunks (text, gamma, ...) do not change how the cards look.
    }
    if (compressed.empty()) return "the file has no image data";
    if (colour == 3 && paletteBytes == 0) return "the palette picture has no palette";

    const std::size_t channels = colour == 2 ? 3 : colour == 6 ? 4 : 1;
    const std::size_t bitsPerPixel = channels * static_cast<std::size_t>(depth);
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * bitsPerPixel + 7) / 8;
    const std::size_t bpp = bitsPerPixel < 8 ? 1 : bitsPerPixel / 8;
    ByteBuffer raw;
    PngProblem why = inflateZlib(compressed, (rowBytes + 1) * static_cast<std::size_t>(height), raw);
    if (!why.empty()) return why;
    compressed.clear();
    why = unfilter(raw, rowBytes, height, bpp);
    if (!why.empty()) return why;

    ByteBuffer rgba;
    if (!rgba.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4)) return kOutOfMemory;
    const unsigned mask = (1u << depth) - 1;
    const std::size_t entries = paletteBytes / 3;
    std::uint8_t* out = rgba.data();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = raw.data() + static_cast<std::size_t>(y) * (rowBytes + 1) + 1;
        for (int x = 0; x < width; ++x, out += 4) {
            const auto ux = static_cast<std::size_t>(x);
            if (colour == 2 || colour == 6) {
                const std::uint8_t* p = row + ux * channels;
                out[0] = p[0];
                out[1] = p[1];
                out[2] = p[2];
                out[3] = colour == 6 ? p[3] : 255;
                continue;
            }
            const std::size_t bit = ux * static_cast<std::size_t>(depth);
            const unsigned v = (row[bit / 8] >> (8 - depth - static_cast<int>(bit % 8))) & mask;
            if (colour == 0) {
                const auto grey = static_cast<std::uint8_t>(v * 255 / mask);
                out[0] = out[1] = out[2] = grey;
            } else {
                if (v >= entries)
                    return PngProblem() << "pixel " << x << ", " << y << " uses colour " << v << " of a palette of " << entries;
                const std::size_t at = std::size_t{v} * 3;
                out[0] = palette[at];
                out[1] = palette[at + 1];
                out[2] = palette[at + 2];
            }
            out[3] = 255;
        }
    }
    image.width = width;
    image.height = height;
    image.rgba = std::move(rgba);
    return {};
}

}  // namespace

PngProblem readPng(const std::uint8_t* data, std::size_t size, PngImage& image) {
    image = PngImage{};
    if (!data) return "there is no data";
    return decode(data, size, image);
}

}  // namespace pellora
