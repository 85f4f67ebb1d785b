// What is on the screen, read back through BitBlt from the screen DC.
#pragma once

#include <windows.h>

#include <cstdint>
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

private:
    RECT area_{};
    std::vector<std::uint32_t> pixels_;  // top-down 0x00RRGGBB rows
};

// Per-channel difference within `tolerance`.
bool closeTo(Rgb a, Rgb b, int tolerance);
Rgb fromColorref(COLORREF c);
std::string describe(Rgb c);
