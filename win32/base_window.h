// One window class per C++ class, after the classic small-sample BaseWindow:
// the object is bound to its window at WM_NCCREATE and every message then
// goes to Derived::handleMessage. Derived names its class in kClassName.
#pragma once

#include <windows.h>

namespace pellora {

template <typename Derived>
class BaseWindow {
public:
    HWND hwnd() const { return hwnd_; }

    static bool registerClass(HINSTANCE instance, HBRUSH background, HICON icon = nullptr, HICON smallIcon = nullptr) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = windowProc;
        wc.hInstance = instance;
        wc.hIcon = icon;
        wc.hIconSm = smallIcon;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = background;
        wc.lpszClassName = Derived::kClassName;
        return RegisterClassExW(&wc) != 0;
    }

protected:
    BaseWindow() = default;
    ~BaseWindow() = default;
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;

    HWND createWindow(DWORD exStyle, const wchar_t* title, DWORD style, const RECT& place, HWND parent, int id,
                      HINSTANCE instance) {
        return CreateWindowExW(exStyle, Derived::kClassName, title, style, place.left, place.top,
                               place.right - place.left, place.bottom - place.top, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, static_cast<Derived*>(this));
    }

    LRESULT defaultAnswer(UINT message, WPARAM wParam, LPARAM lParam) const {
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Derived*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == WM_NCCREATE && !self) {
            self = static_cast<Derived*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            self->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
        const LRESULT result = self->handleMessage(message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
        }
        return result;
    }

    HWND hwnd_ = nullptr;
};

}  // namespace pellora
