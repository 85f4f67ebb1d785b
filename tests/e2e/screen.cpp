#include "screen.h"

#include "report.h"

#include <cstdio>
#include <cstdlib>

Screenshot Screenshot::grab(const RECT& area) {
    Screenshot shot;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return shot;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT)) {
            GdiFlush();
            const auto* source = static_cast<const std::uint32_t*>(bits);
            shot.pixels_.assign(source, source + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
            shot.area_ = area;
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

Rgb Screenshot::at(int x, int y) const {
    if (x < area_.left || x >= area_.right || y < area_.top || y >= area_.bottom) return {0, 0, 0};
    const std::size_t width = static_cast<std::size_t>(area_.right - area_.left);
    const std::uint32_t p = pixels_[static_cast<std::size_t>(y - area_.top) * width + static_cast<std::size_t>(x - area_.left)];
    return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF)};
}

bool Screenshot::saveBmp(const std::wstring& path) const {
    if (!valid()) return false;
    return ::saveBmp(path, area_.right - area_.left, area_.bottom - area_.top,
                     [this](int x, int y) { return at(area_.left + x, area_.top + y); });
}

bool saveBmp(const std::wstring& path, int width, int height, const std::function<Rgb(int, int)>& pixel) {
    if (width <= 0 || height <= 0) return false;
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER header{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * height);
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;  // bottom-up, the common form
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;

    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out) return false;
    bool ok = std::fwrite(&file, sizeof(file), 1, out) == 1 && std::fwrite(&header, sizeof(header), 1, out) == 1;
    std::vector<unsigned char> row(static_cast<std::size_t>(stride), 0);
    for (int y = height - 1; ok && y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = pixel(x, y);
            row[static_cast<std::size_t>(x * 3)] = static_cast<unsigned char>(c.b);
            row[static_cast<std::size_t>(x * 3 + 1)] = static_cast<unsigned char>(c.g);
            row[static_cast<std::size_t>(x * 3 + 2)] = static_cast<unsigned char>(c.r);
        }
        ok = std::fwrite(row.data(), row.size(), 1, out) == 1;
    }
    return std::fclose(out) == 0 && ok;
}

bool closeTo(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

Rgb fromColorref(COLORREF c) { return {GetRValue(c), GetGValue(c), GetBValue(c)}; }

std::string describe(Rgb c) { return format("#%02X%02X%02X", c.r, c.g, c.b); }
