// Resource identifiers of Pellora.exe, shared by the resource script and the code.
#pragma once

// Icon group 1; cmake/split-icon.cmake numbers its images 30001.. in the
// icon file's order.
#define IDI_PELLORA 1

// Card pictures (PNG, RT_RCDATA): 2000 + 200 * scale + 10 * row + element,
// where scale is the place of the drawing scale in kArtScales (0 = 100 %,
// 1 = 125 % ... 6 = 300 %); row and element as in the picture ids.
#define IDR_CARD_BASE 2000
#define IDR_CARD_AT(scale, row, element) (IDR_CARD_BASE + 200 * (scale) + 10 * (row) + (element))
