// The one window that shows all 54 card pictures, each in its cell: the art
// unscaled and centred, a one-pixel dark frame line around it; a hidden
// picture leaves its whole cell empty. The pictures are drawn by this window,
// as a form draws its lightweight image controls, rather than being windows
// of their own: one window to make and paint at start-up, not 54.
#pragma once

#include <windows.h>

#include <array>

namespace pellora {

constexpr const wchar_t* kCardPicturesClass = L"PelloraCards";

struct CardCell {
    RECT rect{};            // in the window's client area; empty where no picture is
    HBITMAP art = nullptr;  // must outlive the window
    bool visible = true;
};
using CardCells = std::array<CardCell, 15 * 4>;  // by (row - 1) * 4 + element

// Registers the window class; false if Windows refuses it.
bool registerCardPicturesClass(HINSTANCE instance);

// A visible child of `parent` with the control id `id`, covering `area` (in
// the parent's client area) and drawing `cells`, which must outlive it.
// `name` is never drawn: screen readers say it. Null on failure.
HWND createCardPictures(HWND parent, int id, const RECT& area, const CardCells* cells, const wchar_t* name,
                        HINSTANCE instance);

// Has a cell drawn again, once the messages in hand are done: after its
// picture was shown or hidden or given other art.
void repaintCardCell(HWND window, const CardCell& cell);

}  // namespace pellora
