// Real input through SendInput: every mouse event carries its own absolute
// position on the virtual screen, as a pointing device would report it.
#pragma once

#include <windows.h>

#include <initializer_list>

enum class MouseButton { Left, Right, Middle };

// Press and release `button` at screen point `at`, holding `modifiers`
// (virtual keys such as VK_SHIFT) down around it.
void clickAt(POINT at, MouseButton button, std::initializer_list<WORD> modifiers = {});
// Move the pointer to `at` (screen coordinates) without pressing anything.
void movePointer(POINT at);
// Two full clicks with no pause between them: a double-click to Windows.
void doubleClickAt(POINT at, MouseButton button);
// Press and release one key, holding `modifiers` around it; `downs` key-downs
// before the release are a key held until it repeats.
void pressKey(WORD key, std::initializer_list<WORD> modifiers = {}, int downs = 1);

// Centre of a window, in screen coordinates.
POINT centreOf(HWND hwnd);
