#include "placement.h"

namespace pellora {

namespace {

int fitAxis(int start, int length, int areaStart, int areaLength) {
    if (length >= areaLength) return areaStart;
    if (start < areaStart) return areaStart;
    if (start + length > areaStart + areaLength) return areaStart + areaLength - length;
    return start;
}

}  // namespace

Rect fitIntoWorkArea(const Rect& window, const Rect& workArea) {
    return {fitAxis(window.left, window.width, workArea.left, workArea.width),
            fitAxis(window.top, window.height, workArea.top, workArea.height), window.width,
            window.height};
}

}  // namespace pellora
