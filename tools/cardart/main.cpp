// cardart: draws the card pictures and the icon of Pellora.
//
//   cardart --out DIR [--sheet FILE]
//
// writes DIR/cards/<card>.png (54 pictures) and DIR/pellora.ico; with --sheet
// also a contact sheet of everything, the cards laid out as on the window.
#include "art.h"
#include "ico.h"
#include "png.h"

#include "layout.h"
#include "pictures.h"
#include "tally.h"

#include <cairo.h>

#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace cardart;

namespace {

constexpr int kIconSizes[] = {48, 32, 24, 16};

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

// The group box of the window at `scale`: each picture in its cell with the
// one-pixel frame line, the rank buttons as grey blocks.
void drawWindowPictures(cairo_t* cr, const Font& font, double x0, double y0, int scale) {
    const pellora::Rect frame = pellora::toPixels(pellora::findControl("Frame1")->twips, 96);
    auto place = [&](const pellora::Rect& r, double inset) {
        cairo_rectangle(cr, x0 + (r.left - frame.left + inset) * scale, y0 + (r.top - frame.top + inset) * scale,
                        (r.width - 2 * inset) * scale, (r.height - 2 * inset) * scale);
    };
    cairo_set_source_rgb(cr, 0.94, 0.94, 0.94);
    cairo_rectangle(cr, x0, y0, frame.width * scale, frame.height * scale);
    cairo_fill(cr);
    for (const auto& c : pellora::controlTable()) {
        if (c.row == 0) continue;
        place(pellora::toPixels(c.twips, 96), 0);
        cairo_set_source_rgb(cr, 0.82, 0.82, 0.82);
        cairo_fill(cr);
    }
    for (const auto& cell : pellora::pictureTable()) {
        const pellora::Rect r = pellora::toPixels(cell.twips, 96);
        place(r, 0);
        cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
        cairo_fill(cr);
        paste(cr, drawCard(font, cell.row, cell.element), x0 + (r.left - frame.left + 1) * scale,
              y0 + (r.top - frame.top + 1) * scale, scale);
    }
}

void writeSheet(const Font& font, const std::vector<IconImage>& icons, const std::string& path) {
    const pellora::Rect frame = pellora::toPixels(pellora::findControl("Frame1")->twips, 96);
    const int gap = 16;
    const int iconsLeft = gap + frame.width + gap + frame.width * 4 + gap;
    const int width = iconsLeft + (48 * 4 + 8) * 4 + gap;
    const int height = gap * 2 + frame.height * 4;

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    drawWindowPictures(cr, font, gap, gap, 1);
    drawWindowPictures(cr, font, gap * 2 + frame.width, gap, 4);

    // Icons: 8-bit (as its palette and mask show it) over 32-bit, at 1x and 4x.
    for (std::size_t i = 0; i < icons.size(); ++i) {
        const Image shown = icons[i].bits == 8 ? fromPaletted(toPaletted(icons[i].image)) : icons[i].image;
        const int size = shown.width;
        const double x = iconsLeft + static_cast<double>(i % 4) * (48 + 8);
        const double y = gap + (i < 4 ? 0 : 60);
        checkerboard(cr, x, y, size, size);
        paste(cr, shown, x, y, 1);
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
                 "  writes DIR/cards/*.png and DIR/pellora.ico; --sheet also writes a contact sheet\n";
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
        const fs::path cards = fs::path(out) / pellora::kCardPictureFolder;
        fs::create_directories(cards);
        for (const auto& r : pellora::rankRows())
            for (int e = 0; e < r.pictures; ++e) {
                const Image img = drawCard(font, r.row, e);
                writeFile((cards / pellora::cardPictureFile(r.row, e)).string(),
                          encodePng(img.width, img.height, img.pixels, false));
            }
        const std::vector<IconImage> icons = iconImages(font);
        writeFile((fs::path(out) / pellora::kIconFile).string(), encodeIco(icons));
        if (!sheet.empty()) {
            if (fs::path(sheet).has_parent_path()) fs::create_directories(fs::path(sheet).parent_path());
            writeSheet(font, icons, sheet);
        }
    } catch (const std::exception& e) {
        std::cerr << "cardart: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
