// cardart: draws the card pictures and the icon of Pellora.
//
//   cardart --out DIR [--sheet FILE]
//
// writes DIR/cards/<card>.png (54 pictures at 100 %), DIR/cards/<scale>/<card>.png
// for every larger scale, their list DIR/cards/index.txt, DIR/pellora.ico, and the Linux menu icons as the icon
// theme lays them out: DIR/icons/hicolor/<N>x<N>/apps/pellora.png and
// DIR/icons/hicolor/scalable/apps/pellora.svg; with --sheet also a contact
// sheet of everything, the cards laid out as on the window at each scale.
#include "art.h"
#include "ico.h"
#include "png.h"

#include "board.h"
#include "layout.h"
#include "pictures.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace cardart;

namespace {

constexpr int kIconSizes[] = {48, 32, 24, 16};
// Software centres list programs with icons of 64 px and more.
constexpr int kThemeIconSizes[] = {16, 24, 32, 48, 64, 128, 256};
constexpr const char* kThemeFolder = "icons/hicolor";

// Every card at every scale, drawn once.
class CardSet {
public:
    explicit CardSet(const Font& font) {
        for (int scale : pellora::kArtScales)
            for (int card = 0; card < pellora::kCardCount; ++card) cards_[{card, scale}] = drawCard(font, card, scale);
    }
    const Image& card(int card, int scale) const { return cards_.at({card, scale}); }

private:
    std::map<std::array<int, 2>, Image> cards_;
};

std::vector<IconImage> iconImages(const Font& font) {
    std::vector<IconImage> images;
    for (int bits : {8, 32})
        for (int size : kIconSizes) images.push_back({drawIcon(font, size), bits});
    return images;
}

// An Image as a premultiplied cairo surface.
cairo_surface_t* toSurface(const Image& img) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, img.width, img.height);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < img.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
        for (int x = 0; x < img.width; ++x) {
            const std::uint32_t p = img.pixels[static_cast<std::size_t>(y * img.width + x)];
            const std::uint32_t a = p >> 24;
            auto pre = [a](std::uint32_t c) { return (c * a + 127) / 255; };
            row[x] = (a << 24) | (pre((p >> 16) & 0xFF) << 16) | (pre((p >> 8) & 0xFF) << 8) | pre(p & 0xFF);
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

// Pastes `img` with its top-left at (x, y), enlarged `scale` times, nearest neighbour.
void paste(cairo_t* cr, const Image& img, double x, double y, int scale) {
    cairo_surface_t* s = toSurface(img);
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, scale, scale);
    cairo_set_source_surface(cr, s, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(s);
}

void checkerboard(cairo_t* cr, double x, double y, double w, double h) {
    for (int j = 0; j * 4 < h; ++j)
        for (int i = 0; i * 4 < w; ++i) {
            const double v = (i + j) % 2 ? 0.80 : 0.92;
            cairo_set_source_rgb(cr, v, v, v);
            cairo_rectangle(cr, x + i * 4, y + j * 4, std::min(4.0, w - i * 4), std::min(4.0, h - j * 4));
            cairo_fill(cr);
        }
}

// The group box of the window as it shows at `scale` per cent, enlarged `zoom`
// times: each picture unscaled in its cell, inside a one-pixel frame line
// centred in the cell, the rank buttons as grey blocks.
void drawWindowPictures(cairo_t* cr, const CardSet& cards, double x0, double y0, int scale, int zoom) {
    const int dpi = 96 * scale / 100;
    const pellora::Rect frame = pellora::toPixels(pellora::groupBox().twips, dpi);
    const pellora::PictureSize art = pellora::cardPictureSize(scale);
    auto place = [&](double left, double top, double width, double height) {
        cairo_rectangle(cr, x0 + (left - frame.left) * zoom, y0 + (top - frame.top) * zoom, width * zoom,
                        height * zoom);
    };
    cairo_set_source_rgb(cr, 0.94, 0.94, 0.94);
    cairo_rectangle(cr, x0, y0, frame.width * zoom, frame.height * zoom);
    cairo_fill(cr);
    for (const auto& c : pellora::controlTable()) {
        if (c.row == 0) continue;
        const pellora::Rect r = pellora::toPixels(c.twips, dpi);
        place(r.left, r.top, r.width, r.height);
        cairo_set_source_rgb(cr, 0.82, 0.82, 0.82);
        cairo_fill(cr);
    }
    for (const auto& cell : pellora::pictureTable()) {
        const pellora::Rect r = pellora::toPixels(cell.twips, dpi);
        const int left = r.left + (r.width - art.width - 2) / 2, top = r.top + (r.height - art.height - 2) / 2;
        place(left, top, art.width + 2, art.height + 2);
        cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
        cairo_fill(cr);
        paste(cr, cards.card(cell.card, scale), x0 + (left + 1 - frame.left) * zoom,
              y0 + (top + 1 - frame.top) * zoom, zoom);
    }
}

void writeSheet(const CardSet& cards, const std::vector<IconImage>& icons, const std::string& path) {
    const int gap = 16;
    auto frameAt = [](int scale) { return pellora::toPixels(pellora::groupBox().twips, 96 * scale / 100); };
    // Every scale side by side, then 100 % enlarged four times, then the icons.
    int width = gap, height = 0;
    for (int scale : pellora::kArtScales) {
        width += frameAt(scale).width + gap;
        height = std::max(height, frameAt(scale).height);
    }
    const int zoomedLeft = width;
    width += frameAt(100).width * 4 + gap;
    height = std::max(height, frameAt(100).height * 4);
    const int iconsLeft = width;
    width += (48 * 4 + 8) * 4 + gap;
    height += gap * 2;

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    int left = gap;
    for (int scale : pellora::kArtScales) {
        drawWindowPictures(cr, cards, left, gap, scale, 1);
        left += frameAt(scale).width + gap;
    }
    drawWindowPictures(cr, cards, zoomedLeft, gap, 100, 4);
    // Icons: 8-bit (as its palette and mask show it) over 32-bit, at 1x and 4x.
    for (std::size_t i = 0; i < icons.size(); ++i) {
        const Image shown = icons[i].bits == 8 ? fromPaletted(toPaletted(icons[i].image)) : icons[i].image;
        const int size = shown.width;
        const double ix = iconsLeft + static_cast<double>(i % 4) * (48 + 8);
        const double y = gap + (i < 4 ? 0 : 60);
        checkerboard(cr, ix, y, size, size);
        paste(cr, shown, ix, y, 1);
        const double bx = iconsLeft + static_cast<double>(i % 4) * (48 * 4 + 8);
        const double by = gap + 130 + (i < 4 ? 0 : 48 * 4 + 8);
        checkerboard(cr, bx, by, size * 4, size * 4);
        paste(cr, shown, bx, by, 4);
    }
    cairo_destroy(cr);

    Image sheet{width, height, {}};
    {
        cairo_surface_flush(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                sheet.pixels.push_back(reinterpret_cast<const std::uint32_t*>(data + y * stride)[x] | 0xFF000000u);
    }
    cairo_surface_destroy(surface);
    writeFile(path, encodePng(width, height, sheet.pixels, false));
}

int usage() {
    std::cerr << "usage: cardart --out DIR [--sheet FILE]\n"
                 "  writes DIR/cards/*.png, DIR/cards/<scale>/*.png, DIR/pellora.ico and DIR/icons/hicolor/;\n"
                 "  --sheet also writes a contact sheet\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string out, sheet;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--out" || arg == "--sheet") && i + 1 < argc) {
            (arg == "--out" ? out : sheet) = argv[++i];
        } else {
            std::cerr << "cardart: unknown argument '" << arg << "'\n";
            return usage();
        }
    }
    if (out.empty()) return usage();

    try {
        const Font font;
        const CardSet cards(font);
        std::string list = "# Every card picture: its resource id in Pellora.exe and its path. Written by\n"
                           "# tools/cardart (scripts/make-art) for the build; do not edit.\n";
        for (int scale : pellora::kArtScales)
            for (int card = 0; card < pellora::kCardCount; ++card) {
                const std::string path = pellora::cardPicturePath(card, scale);
                const fs::path file = fs::path(out) / path;
                fs::create_directories(file.parent_path());
                const Image& img = cards.card(card, scale);
                writeFile(file.string(), encodeCompactPng(img.width, img.height, img.pixels));
                list += std::to_string(pellora::cardResourceId(card, scale)) + " " + path + "\n";
            }
        writeFile((fs::path(out) / pellora::kCardPictureList).string(), {list.begin(), list.end()});
        const std::vector<IconImage> icons = iconImages(font);
        writeFile((fs::path(out) / pellora::kIconFile).string(), encodeIco(icons));
        const fs::path theme = fs::path(out) / kThemeFolder;
        for (int size : kThemeIconSizes) {
            const fs::path file = theme / (std::to_string(size) + "x" + std::to_string(size)) / "apps" / "pellora.png";
            fs::create_directories(file.parent_path());
            const Image icon = drawIcon(font, size);
            writeFile(file.string(), encodePng(icon.width, icon.height, icon.pixels, true));
        }
        const std::string svg = drawIconSvg(font);
        fs::create_directories(theme / "scalable" / "apps");
        writeFile((theme / "scalable" / "apps" / "pellora.svg").string(), {svg.begin(), svg.end()});
        if (!sheet.empty()) {
            if (fs::path(sheet).has_parent_path()) fs::create_directories(fs::path(sheet).parent_path());
            writeSheet(cards, icons, sheet);
        }
    } catch (const std::exception& e) {
        std::cerr << "cardart: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
