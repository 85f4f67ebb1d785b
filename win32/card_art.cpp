#include "card_art.h"

#include "board.h"
#include "card_png.h"

#include <cstdint>
#include <utility>

namespace pellora {

namespace {

int scaleIndex(int scale) {
    for (std::size_t i = 0; i < kArtScales.size(); ++i)
        if (kArtScales[i] == scale) return static_cast<int>(i);
    return -1;
}

// PNG bytes -> BGRA pixels of a `want`-sized picture, flattened onto white
// (the card's own background) so any transparency still looks right; written
// into `to`, whose rows are `stride` pixels apart.
bool decode(const void* data, DWORD size, PictureSize want, BYTE* to, int stride, Text& why) {
    const PngPixels image(data, size);
    if (!image.ok()) {
        why << L"无法解码（";
        why.utf8(image.failure()) << L"）";
        return false;
    }
    if (image.width() != want.width || image.height() != want.height) {
        why << L"大小是 " << image.width() << L" × " << image.height() << L" 像素，应为 " << want.width << L" × "
            << want.height;
        return false;
    }
    const std::uint8_t* from = image.rgba();
    for (int y = 0; y < want.height; ++y) {
        BYTE* pixel = to + 4 * y * stride;
        for (int x = 0; x < want.width; ++x, pixel += 4, from += 4) {
            const unsigned alpha = from[3], clear = 255 - alpha;
            // Over white: c * a + 255 * (1 - a), rounded.
            pixel[0] = static_cast<BYTE>((from[2] * alpha + 255 * clear + 127) / 255);
            pixel[1] = static_cast<BYTE>((from[1] * alpha + 255 * clear + 127) / 255);
            pixel[2] = static_cast<BYTE>((from[0] * alpha + 255 * clear + 127) / 255);
            pixel[3] = 255;
        }
    }
    return true;
}

}  // namespace

bool CardArt::loaded(int scale) const { return sheet(scale) != nullptr; }

HBITMAP CardArt::sheet(int scale) const {
    const int index = scaleIndex(scale);
    return index < 0 ? nullptr : sheets_[static_cast<std::size_t>(index)].get();
}

bool CardArt::load(HINSTANCE instance, int scale, Text& error) {
    const int index = scaleIndex(scale);
    if (index < 0) {
        error = Text(L"没有为 ") << scale << L"% 缩放画的牌面图片";
        return false;
    }
    if (loaded(scale)) return true;
    const PictureSize size = cardPictureSize(scale);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.width * kCardCount;  // the cards side by side
    info.bmiHeader.biHeight = -size.height;  // top-down, like the PNGs' rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap sheet(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!sheet) {
        error = Text(L"无法为牌面图片创建位图（错误 ") << GetLastError() << L"）";
        return false;
    }
    const int stride = size.width * kCardCount;
    for (int card = 0; card < kCardCount; ++card) {
        const int id = cardResourceId(card, scale);
        Text why;
        HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(id), RT_RCDATA);
        HGLOBAL loadedData = resource ? LoadResource(instance, resource) : nullptr;
        const void* data = loadedData ? LockResource(loadedData) : nullptr;
        const DWORD bytes = resource ? SizeofResource(instance, resource) : 0;
        bool decoded = false;
        if (!data || bytes == 0) why << L"不在程序的资源里";
        else decoded = decode(data, bytes, size, static_cast<BYTE*>(bits) + 4 * size.width * card, stride, why);
        if (!decoded) {
            error = Text().utf8(cardName(card)) << L"的 " << scale << L"% 图片（资源 " << id << L"）" << why.c_str();
            return false;
        }
    }
    GdiFlush();
    sheets_[static_cast<std::size_t>(index)] = std::move(sheet);
    return true;
}

}  // namespace pellora
