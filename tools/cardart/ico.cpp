#include "ico.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace cardart {

namespace {

constexpr std::uint32_t kOpaqueAlpha = 128;

bool isTransparent(std::uint32_t argb) { return (argb >> 24) < kOpaqueAlpha; }

int channel(std::uint32_t rgb, int c) { return static_cast<int>((rgb >> (16 - 8 * c)) & 0xFF); }

struct Weighted {
    std::uint32_t rgb;
    std::uint32_t count;
};
using Box = std::vector<Weighted>;

int widestChannel(const Box& box, int* range) {
    int best = 0;
    *range = -1;
    for (int c = 0; c < 3; ++c) {
        int lo = 255, hi = 0;
        for (const auto& w : box) {
            lo = std::min(lo, channel(w.rgb, c));
            hi = std::max(hi, channel(w.rgb, c));
        }
        if (hi - lo > *range) {
            *range = hi - lo;
            best = c;
        }
    }
    return best;
}

std::vector<std::uint32_t> medianCut(const std::map<std::uint32_t, std::uint32_t>& histogram, std::size_t colours) {
    std::vector<Box> boxes(1);
    for (const auto& [rgb, count] : histogram) boxes[0].push_back({rgb, count});
    while (boxes.size() < colours) {
        // Split the box with the widest spread along its widest channel.
        std::size_t pick = boxes.size();
        int pickRange = 0, pickChannel = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].size() < 2) continue;
            int range = 0;
            const int c = widestChannel(boxes[i], &range);
            if (pick == boxes.size() || range > pickRange) {
                pick = i;
                pickRange = range;
                pickChannel = c;
            }
        }
        if (pick == boxes.size()) break;  // every colour has its own entry
        Box& box = boxes[pick];
        std::sort(box.begin(), box.end(), [c = pickChannel](const Weighted& a, const Weighted& b) {
            return channel(a.rgb, c) != channel(b.rgb, c) ? channel(a.rgb, c) < channel(b.rgb, c) : a.rgb < b.rgb;
        });
        std::uint64_t total = 0;
        for (const auto& w : box) total += w.count;
        std::uint64_t running = 0;
        std::size_t cut = 1;
        for (; cut < box.size() - 1; ++cut) {
            running += box[cut - 1].count;
            if (running * 2 >= total) break;
        }
        boxes.emplace_back(box.begin() + static_cast<std::ptrdiff_t>(cut), box.end());
        boxes[pick].resize(cut);
    }
    std::vector<std::uint32_t> palette;
    for (const auto& box : boxes) {
        std::uint64_t sum[3] = {0, 0, 0}, total = 0;
        for (const auto& w : box) {
            for (int c = 0; c < 3; ++c) sum[c] += static_cast<std::uint64_t>(channel(w.rgb, c)) * w.count;
            total += w.count;
        }
        std::uint32_t rgb = 0;
        for (int c = 0; c < 3; ++c) rgb = (rgb << 8) | static_cast<std::uint32_t>((sum[c] + total / 2) / total);
        palette.push_back(rgb);
    }
    return palette;
}

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

std::size_t maskRowBytes(int width) { return static_cast<std::size_t>((width + 31) / 32 * 4); }

// BITMAPINFOHEADER, pixels bottom-up, then the AND mask bottom-up.
std::vector<std::uint8_t> bitmapEntry(const IconImage& icon) {
    const Image& img = icon.image;
    if (img.width != img.height || img.width > 255 || (img.width * icon.bits / 8) % 4 != 0)
        throw std::invalid_argument("icon images must be square, under 256 px and whole 32-bit rows");
    const int w = img.width, h = img.height;
    const std::size_t colourBytes = static_cast<std::size_t>(w * h * icon.bits / 8);
    const std::size_t maskBytes = maskRowBytes(w) * static_cast<std::size_t>(h);

    std::vector<std::uint8_t> out;
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(w));
    put32(out, static_cast<std::uint32_t>(h * 2));  // colour bitmap and mask
    put16(out, 1);
    put16(out, static_cast<std::uint32_t>(icon.bits));
    put32(out, 0);  // BI_RGB
    put32(out, static_cast<std::uint32_t>(colourBytes + maskBytes));
    for (int i = 0; i < 4; ++i) put32(out, 0);

    std::vector<bool> transparent;
    if (icon.bits == 8) {
        const PalettedImage p = toPaletted(img);
        for (std::uint32_t rgb : p.palette) put32(out, rgb);  // RGBQUAD is B, G, R, 0
        for (int y = h - 1; y >= 0; --y)
            for (int x = 0; x < w; ++x) out.push_back(p.indices[static_cast<std::size_t>(y * w + x)]);
        transparent = p.transparent;
    } else if (icon.bits == 32) {
        for (int y = h - 1; y >= 0; --y)
            for (int x = 0; x < w; ++x) put32(out, img.pixels[static_cast<std::size_t>(y * w + x)]);
        for (std::uint32_t argb : img.pixels) transparent.push_back(isTransparent(argb));
    } else {
        throw std::invalid_argument("icon images are 8 or 32 bits");
    }

    for (int y = h - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskRowBytes(w), 0);
        for (int x = 0; x < w; ++x)
            if (transparent[static_cast<std::size_t>(y * w + x)]) row[static_cast<std::size_t>(x / 8)] |= 0x80 >> (x % 8);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

PalettedImage toPaletted(const Image& image) {
    PalettedImage p;
    p.width = image.width;
    p.height = image.height;
    std::map<std::uint32_t, std::uint32_t> histogram;
    for (std::uint32_t argb : image.pixels)
        if (!isTransparent(argb)) ++histogram[argb & 0xFFFFFF];

    const std::vector<std::uint32_t> colours = medianCut(histogram, 255);
    std::copy(colours.begin(), colours.end(), p.palette.begin() + 1);
    for (std::uint32_t argb : image.pixels) {
        const bool clear = isTransparent(argb);
        p.transparent.push_back(clear);
        std::uint8_t best = 0;
        if (!clear) {
            long bestDistance = -1;
            for (std::size_t i = 0; i < colours.size(); ++i) {
                long d = 0;
                for (int c = 0; c < 3; ++c) {
                    const long diff = channel(argb, c) - channel(colours[i], c);
                    d += diff * diff;
                }
                if (bestDistance < 0 || d < bestDistance) {
                    bestDistance = d;
                    best = static_cast<std::uint8_t>(i + 1);
                }
            }
        }
        p.indices.push_back(best);
    }
    return p;
}

Image fromPaletted(const PalettedImage& paletted) {
    Image img{paletted.width, paletted.height, {}};
    for (std::size_t i = 0; i < paletted.indices.size(); ++i)
        img.pixels.push_back(paletted.transparent[i] ? 0 : 0xFF000000u | paletted.palette[paletted.indices[i]]);
    return img;
}

std::vector<std::uint8_t> encodeIco(const std::vector<IconImage>& images) {
    std::vector<std::vector<std::uint8_t>> entries;
    for (const auto& icon : images) entries.push_back(bitmapEntry(icon));

    std::vector<std::uint8_t> out;
    put16(out, 0);
    put16(out, 1);  // icon
    put16(out, static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<std::uint8_t>(images[i].image.width));
        out.push_back(static_cast<std::uint8_t>(images[i].image.height));
        out.push_back(0);  // colour count: 0 for 256 and more
        out.push_back(0);
        put16(out, 1);
        put16(out, static_cast<std::uint32_t>(images[i].bits));
        put32(out, static_cast<std::uint32_t>(entries[i].size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(entries[i].size());
    }
    for (const auto& e : entries) out.insert(out.end(), e.begin(), e.end());
    return out;
}

}  // namespace cardart
