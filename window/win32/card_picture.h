// The window of one card picture: its cell, the card's art unscaled and
// centred in it, a one-pixel dark frame line around the art. Hiding the window
// empties the whole cell.
#pragma once

#include <windows.h>

namespace pellora {

constexpr const wchar_t* kCardPictureClass = L"PelloraCard";

// Registers the window class; false if Windows refuses it.
bool registerCardPictureClass(HINSTANCE instance);

// A visible card picture child of `parent` with the control id `id`, showing
// `art` (which must outlive the window). Null on failure.
HWND createCardPicture(HWND parent, int id, const RECT& cell, HBITMAP art, HINSTANCE instance);

// Shows `art` instead (the same card drawn for another scale) and repaints.
void setCardPictureArt(HWND picture, HBITMAP art);

}  // namespace pellora
