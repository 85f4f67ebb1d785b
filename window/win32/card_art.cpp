#include "card_art.h"

#include "card_png.h"
#include "layout.h"
#include "pictures.h"
#include "resource_ids.h"
#include "tally.h"

#include <cstdint>

namespace pellora {

namespace {

std::size_t slot(int row, int element) { return static_cast<std::size_t>((row - 1) * 4 + element); }

int scaleIndex(int scale) {
    for (std::size_t i = 0; i < kArtScales.size(); ++i)
        if (kArtScales[i] == scale) return static_cast<int>(i);
    return -1;
}

// "黑桃K", "大王": which card, for messages.
Text& nameCard(Text& text, int row, int element) {
    const CardName name = cardName(row, element);
    return text.utf8(name.suit).utf8(name.rank);
}

// PNG bytes -> BGRA pixels of a `want`-sized picture, flattened onto white
// (the card's own background) so any transparency still looks right.
HBITMAP decode(const void* data, DWORD size, PictureSize want, Text& why) {
    const PngPixels image(data, size);
    if (!image.ok()) {
        why << L"无法解码（";
        why.utf8(image.failure()) << L"）";
        return nullptr;
    }
    if (image.width() != want.width || image.height() != want.height) {
        why << L"大小是 " << image.width() << L" × " << image.height() << L" 像素，应为 " << want.width << L" × "
            << want.height;
        return nullptr;
    }

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = want.width;
    info.bmiHeader.biHeight = -want.height;  // top-down, like the PNG's rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) {
        why << L"无法变成位图（错误 " << GetLastError() << L"）";
        return nullptr;
    }
    auto* pixel = static_cast<BYTE*>(bits);
    const std::uint8_t* from = image.rgba();
    for (int i = 0; i < want.width * want.height; ++i, pixel += 4, from += 4) {
        const unsigned alpha = from[3], clear = 255 - alpha;
        // Over white: c * a + 255 * (1 - a), rounded.
        pixel[0] = static_cast<BYTE>((from[2] * alpha + 255 * clear + 127) / 255);
        pixel[1] = static_cast<BYTE>((from[1] * alpha + 255 * clear + 127) / 255);
        pixel[2] = static_cast<BYTE>((from[0] * alpha + 255 * clear + 127) / 255);
        pixel[3] = 255;
    }
    GdiFlush();
    return bitmap;
}

}  // namespace

CardArt::~CardArt() {
    for (ScaleSet& set : scales_) release(set);
}

void CardArt::release(ScaleSet& set) {
    for (HBITMAP& b : set) {
        if (b) DeleteObject(b);
        b = nullptr;
    }
}

bool CardArt::loaded(int scale) const {
    const int index = scaleIndex(scale);
    return index >= 0 && scales_[static_cast<std::size_t>(index)][0] != nullptr;
}

HBITMAP CardArt::bitmap(int scale, int row, int element) const {
    const int index = scaleIndex(scale);
    if (index < 0 || element < 0 || element >= picturesInRow(row)) return nullptr;
    return scales_[static_cast<std::size_t>(index)][slot(row, element)];
}

bool CardArt::load(HINSTANCE instance, int scale, Text& error) {
    const int index = scaleIndex(scale);
    if (index < 0) {
        error = Text(L"没有为 ") << scale << L"% 缩放画的牌面图片";
        return false;
    }
    if (loaded(scale)) return true;
    ScaleSet& set = scales_[static_cast<std::size_t>(index)];
    const PictureSize size = cardPictureSize(scale);
    for (int row = kFirstRow; row <= kLastRow; ++row) {
        for (int element = 0; element < picturesInRow(row); ++element) {
            const int id = IDR_CARD_AT(index, row, element);
            Text why;
            HBITMAP bitmap = nullptr;
            HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(id), RT_RCDATA);
            HGLOBAL loadedData = resource ? LoadResource(instance, resource) : nullptr;
            const void* data = loadedData ? LockResource(loadedData) : nullptr;
            const DWORD bytes = resource ? SizeofResource(instance, resource) : 0;
            if (!data || bytes == 0)
                why << L"不在程序的资源里";
            else
                bitmap = decode(data, bytes, size, why);
            if (!bitmap) {
                release(set);
                error = Text();
                nameCard(error, row, element) << L"的 " << scale << L"% 图片（资源 " << id << L"）" << why.c_str();
                return false;
            }
            set[slot(row, element)] = bitmap;
        }
    }
    return true;
}

}  // namespace pellora
