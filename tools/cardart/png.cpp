#include "png.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace cardart {

namespace {

void putBig32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void putChunk(std::vector<std::uint8_t>& out, const char type[4], const std::vector<std::uint8_t>& data) {
    putBig32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    // zlib's CRC-32 is the one PNG uses.
    putBig32(out, static_cast<std::uint32_t>(::crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start))));
}

// A zlib stream at the highest level, with whichever strategy packs tightest;
// unless `thorough`, quickly at the default level.
std::vector<std::uint8_t> deflateBest(const std::vector<std::uint8_t>& raw, bool thorough) {
    std::vector<std::uint8_t> best;
    for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_RLE, Z_HUFFMAN_ONLY}) {
        if (!thorough && strategy != Z_DEFAULT_STRATEGY) continue;
        z_stream z{};
        if (deflateInit2(&z, thorough ? 9 : 6, Z_DEFLATED, 15, 9, strategy) != Z_OK) throw std::runtime_error("zlib failed to start");
        std::vector<std::uint8_t> out(deflateBound(&z, static_cast<uLong>(raw.size())));
        z.next_in = const_cast<Bytef*>(raw.data());
        z.avail_in = static_cast<uInt>(raw.size());
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        const int rc = deflate(&z, Z_FINISH);
        out.resize(z.total_out);
        deflateEnd(&z);
        if (rc != Z_STREAM_END) throw std::runtime_error("zlib could not compress the picture");
        if (best.empty() || out.size() < best.size()) best = std::move(out);
    }
    return best;
}

int paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// One scan line filtered with `type` (0 none .. 4 Paeth) against the line above.
std::vector<std::uint8_t> filterRow(int type, const std::vector<std::uint8_t>& row,
                                    const std::vector<std::uint8_t>& above, std::size_t bpp) {
    std::vector<std::uint8_t> out{static_cast<std::uint8_t>(type)};
    for (std::size_t i = 0; i < row.size(); ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0, b = above[i], c = i >= bpp ? above[i - bpp] : 0;
        const int predicted = type == 1 ? a : type == 2 ? b : type == 3 ? (a + b) / 2 : type == 4 ? paeth(a, b, c) : 0;
        out.push_back(static_cast<std::uint8_t>(row[i] - predicted));
    }
    return out;
}

// The image data deflated with each filter on every line, and with the usual
// per-line pick (least sum of absolute differences); the smallest wins.
// Unless `thorough`, only the per-line pick.
std::vector<std::uint8_t> filterAndDeflate(const std::vector<std::vector<std::uint8_t>>& rows, std::size_t bpp,
                                           bool thorough) {
    std::vector<std::uint8_t> best;
    for (int strategy = thorough ? 0 : 5; strategy <= 5; ++strategy) {
        std::vector<std::uint8_t> raw;
        std::vector<std::uint8_t> above(rows.empty() ? 0 : rows[0].size(), 0);
        for (const auto& row : rows) {
            std::vector<std::uint8_t> line;
            if (strategy < 5) {
                line = filterRow(strategy, row, above, bpp);
            } else {
                long bestSum = -1;
                for (int type = 0; type <= 4; ++type) {
                    std::vector<std::uint8_t> f = filterRow(type, row, above, bpp);
                    long sum = 0;
                    for (std::size_t i = 1; i < f.size(); ++i) sum += f[i] < 128 ? f[i] : 256 - f[i];
                    if (bestSum < 0 || sum < bestSum) {
                        bestSum = sum;
                        line = std::move(f);
                    }
                }
            }
            raw.insert(raw.end(), line.begin(), line.end());
            above = row;
        }
        std::vector<std::uint8_t> z = deflateBest(raw, thorough);
        if (best.empty() || z.size() < best.size()) best = std::move(z);
    }
    return best;
}

std::vector<std::uint8_t> header(int width, int height, int bits, int colourType) {
    std::vector<std::uint8_t> ihdr;
    putBig32(ihdr, static_cast<std::uint32_t>(width));
    putBig32(ihdr, static_cast<std::uint32_t>(height));
    ihdr.insert(ihdr.end(), {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(colourType), 0, 0, 0});
    return ihdr;
}

const std::vector<std::uint8_t> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

}  // namespace

std::vector<std::uint8_t> encodePng(int width, int height, const std::vector<std::uint32_t>& pixels,
                                    bool withAlpha) {
    const std::size_t channels = withAlpha ? 4 : 3;
    std::vector<std::vector<std::uint8_t>> rows;
    for (int y = 0; y < height; ++y) {
        std::vector<std::uint8_t> row;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y * width + x)];
            row.push_back(static_cast<std::uint8_t>(p >> 16));
            row.push_back(static_cast<std::uint8_t>(p >> 8));
            row.push_back(static_cast<std::uint8_t>(p));
            if (withAlpha) row.push_back(static_cast<std::uint8_t>(p >> 24));
        }
        rows.push_back(std::move(row));
    }
    std::vector<std::uint8_t> out = kSignature;
    putChunk(out, "IHDR", header(width, height, 8, withAlpha ? 6 : 2));
    putChunk(out, "IDAT", filterAndDeflate(rows, channels, false));
    putChunk(out, "IEND", {});
    return out;
}

namespace {

// Sample values packed `bits` to a pixel, one vector per row.
std::vector<std::vector<std::uint8_t>> packRows(int width, int height, int bits,
                                                const std::function<unsigned(std::size_t)>& sample) {
    std::vector<std::vector<std::uint8_t>> rows;
    for (int y = 0; y < height; ++y) {
        std::vector<std::uint8_t> row(static_cast<std::size_t>((width * bits + 7) / 8), 0);
        for (int x = 0; x < width; ++x) {
            const unsigned v = sample(static_cast<std::size_t>(y * width + x));
            const int bit = x * bits;
            row[static_cast<std::size_t>(bit / 8)] |= static_cast<std::uint8_t>(v << (8 - bits - bit % 8));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::uint8_t> assemble(int width, int height, int bits, int colourType, const std::vector<std::uint8_t>& plte,
                                   const std::vector<std::vector<std::uint8_t>>& rows) {
    std::vector<std::uint8_t> out = kSignature;
    putChunk(out, "IHDR", header(width, height, bits, colourType));
    if (!plte.empty()) putChunk(out, "PLTE", plte);
    putChunk(out, "IDAT", filterAndDeflate(rows, 1, true));
    putChunk(out, "IEND", {});
    return out;
}

void keepSmaller(std::vector<std::uint8_t>& best, std::vector<std::uint8_t> candidate) {
    if (best.empty() || candidate.size() < best.size()) best = std::move(candidate);
}

}  // namespace

std::vector<std::uint8_t> encodeCompactPng(int width, int height, const std::vector<std::uint32_t>& pixels) {
    // Palette from light to dark (then by value), so equal pictures give equal files.
    std::vector<std::uint32_t> colours;
    for (std::uint32_t p : pixels) colours.push_back(p & 0xFFFFFF);
    std::sort(colours.begin(), colours.end());
    colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
    auto lightness = [](std::uint32_t c) { return (c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF); };
    std::stable_sort(colours.begin(), colours.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return lightness(a) > lightness(b); });
    const bool grey = std::all_of(colours.begin(), colours.end(), [](std::uint32_t c) {
        return (c >> 16 & 0xFF) == (c & 0xFF) && (c >> 8 & 0xFF) == (c & 0xFF);
    });
    if (colours.size() > 256 && !grey)
        throw std::invalid_argument("a picture of " + std::to_string(colours.size()) +
                                    " colours fits neither a palette nor grey");

    std::vector<std::uint8_t> best;
    // Grey needs no palette: the fewest bits whose levels hold every shade exactly.
    if (grey) {
        for (int bits = 1; bits <= 8; bits *= 2) {
            const unsigned top = (1u << bits) - 1, step = 255 / top;
            if (!std::all_of(colours.begin(), colours.end(), [&](std::uint32_t c) { return (c & 0xFF) % step == 0; }))
                continue;
            keepSmaller(best, assemble(width, height, bits, 0, {},
                                       packRows(width, height, bits, [&](std::size_t i) { return (pixels[i] & 0xFF) / step; })));
            break;
        }
    }
    if (colours.size() <= 256) {
        std::map<std::uint32_t, unsigned> index;
        std::vector<std::uint8_t> plte;
        for (std::uint32_t c : colours) {
            index.emplace(c, static_cast<unsigned>(index.size()));
            plte.insert(plte.end(), {static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                                     static_cast<std::uint8_t>(c)});
        }
        // The fewest bits that hold every index; more may deflate better, so try them too.
        int minBits = 1;
        while ((1u << minBits) < colours.size()) minBits *= 2;
        for (int bits = minBits; bits <= 8; bits *= 2)
            keepSmaller(best, assemble(width, height, bits, 3, plte, packRows(width, height, bits, [&](std::size_t i) {
                                           return index.at(pixels[i] & 0xFFFFFF);
                                       })));
    }
    return best;
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) throw std::runtime_error("writing " + path + " failed: " + std::strerror(errno));
}

}  // namespace cardart
