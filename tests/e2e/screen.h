// What is on the screen, read back through BitBlt from the screen DC.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Rgb {
    int r, g, b;
};

class Screenshot {
public:
    // Copies `area` (screen coordinates) from the screen.
    static Screenshot grab(const RECT& area);

    bool valid() const { return !pixels_.empty(); }
    // Pixel at a screen point; black outside the grabbed area.
    Rgb at(int x, int y) const;
    // A 24-bit BMP of the grabbed area.
    bool saveBmp(const std::wstring& path) const;
    const RECT& area() const { return area_; }

private:
    RECT area_{};
    std::vector<std::uint32_t> pixels_;  // top-down 0x00RRGGBB rows
};

// A 24-bit BMP of `width` x `height` pixels, `pixel(x, y)` each.
bool saveBmp(const std::wstring& path, int width, int height, const std::function<Rgb(int, int)>& pixel);

// Per-channel difference within `tolerance`.
bool closeTo(Rgb a, Rgb b, int tolerance);
Rgb fromColorref(COLORREF c);
std::string describe(Rgb c);
