// Resource identifiers of Pellora.exe, shared by the resource script and the code.
#pragma once

// Icon group 1; cmake/split-icon.cmake numbers its images 30001.. in the
// icon file's order.
#define IDI_PELLORA 1

// Card pictures (PNG, RT_RCDATA): 2000 + 10 * row + element, like the picture ids.
#define IDR_CARD_BASE 2000
#define IDR_CARD(row, element) (IDR_CARD_BASE + 10 * (row) + (element))
