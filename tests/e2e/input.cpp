#include "input.h"

#include <vector>

namespace {

// Absolute coordinates are 0..65535 across the virtual screen; aim at the
// middle of the pixel so that rounding either way lands on it.
INPUT mouseEvent(POINT at, DWORD flags) {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>(((at.x - left) * 65536LL + 32768) / width);
    input.mi.dy = static_cast<LONG>(((at.y - top) * 65536LL + 32768) / height);
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    return input;
}

INPUT keyEvent(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

void send(std::vector<INPUT>& inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

DWORD downFlag(MouseButton button) {
    switch (button) {
        case MouseButton::Left: return MOUSEEVENTF_LEFTDOWN;
        case MouseButton::Right: return MOUSEEVENTF_RIGHTDOWN;
        case MouseButton::Middle: return MOUSEEVENTF_MIDDLEDOWN;
    }
    return 0;
}

DWORD upFlag(MouseButton button) {
    switch (button) {
        case MouseButton::Left: return MOUSEEVENTF_LEFTUP;
        case MouseButton::Right: return MOUSEEVENTF_RIGHTUP;
        case MouseButton::Middle: return MOUSEEVENTF_MIDDLEUP;
    }
    return 0;
}

}  // namespace

void clickAt(POINT at, MouseButton button, std::initializer_list<WORD> modifiers) {
    std::vector<INPUT> inputs;
    for (WORD key : modifiers) inputs.push_back(keyEvent(key, false));
    inputs.push_back(mouseEvent(at, 0));
    inputs.push_back(mouseEvent(at, downFlag(button)));
    inputs.push_back(mouseEvent(at, upFlag(button)));
    for (WORD key : modifiers) inputs.push_back(keyEvent(key, true));
    send(inputs);
}

void movePointer(POINT at) {
    INPUT move = mouseEvent(at, 0);
    SendInput(1, &move, sizeof(INPUT));
}

void doubleClickAt(POINT at, MouseButton button) {
    std::vector<INPUT> inputs = {mouseEvent(at, 0),
                                 mouseEvent(at, downFlag(button)), mouseEvent(at, upFlag(button)),
                                 mouseEvent(at, downFlag(button)), mouseEvent(at, upFlag(button))};
    send(inputs);
}

void pressKey(WORD key, std::initializer_list<WORD> modifiers, int downs) {
    std::vector<INPUT> inputs;
    for (WORD modifier : modifiers) inputs.push_back(keyEvent(modifier, false));
    for (int i = 0; i < downs; ++i) inputs.push_back(keyEvent(key, false));
    inputs.push_back(keyEvent(key, true));
    for (WORD modifier : modifiers) inputs.push_back(keyEvent(modifier, true));
    send(inputs);
}

POINT centreOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}
