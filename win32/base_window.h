// One window class per C++ class, after the classic small-sample BaseWindow:
// the object is bound to its window at WM_NCCREATE and every message then
// goes to Derived::handleMessage. Derived names its class in kClassName.
//
// Any program can send a window any message, so the messages that create and
// destroy a window count only when the system sends them: WM_NCCREATE and
// WM_CREATE while CreateWindowEx builds this window, WM_DESTROY and
// WM_NCDESTROY while Pellora destroys it (or CreateWindowEx, a window that
// failed to build). At any other time they change
// nothing and go nowhere, not even to DefWindowProc, which would take the
// caption from a forged CREATESTRUCT or free the window's text.
#pragma once

#include <windows.h>

namespace pellora {

// How deep the UI thread is in Pellora's own DestroyWindow calls. The system
// destroys a window of ours only inside one of them, or inside CreateWindowEx
// when the window fails to build.
inline int ownDestroyCalls = 0;

// True for a message the window's own thread sent (or the system sent on
// it); false for one another thread or program sent. Posted messages never
// get this far for what it guards (the message loop drops them).
inline bool sentByOwnThread() { return InSendMessageEx(nullptr) == ISMEX_NOSEND; }

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
        building_ = true;
        HWND made = CreateWindowExW(exStyle, Derived::kClassName, title, style, place.left, place.top,
                                    place.right - place.left, place.bottom - place.top, parent,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, static_cast<Derived*>(this));
        building_ = false;
        if (failed_) --ownDestroyCalls;
        failed_ = false;
        return made;
    }

    void destroyWindow() {
        if (!hwnd_) return;
        ++ownDestroyCalls;
        DestroyWindow(hwnd_);
        --ownDestroyCalls;
    }

    // Whether a destruction message now is the system's: Pellora is
    // destroying its windows, or the system one that failed to build.
    static bool destroyingForReal() { return ownDestroyCalls > 0; }

    LRESULT defaultAnswer(UINT message, WPARAM wParam, LPARAM lParam) {
        // Only a top-level window is closed by request; the system never asks a
        // child to close, and DefWindowProc would destroy it.
        if (message == WM_CLOSE) {
            if (!(GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_CHILD)) destroyWindow();
            return 0;
        }
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Derived*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            auto* made = create ? static_cast<Derived*>(create->lpCreateParams) : nullptr;
            if (self || !made || !made->building_ || made->hwnd_) return FALSE;
            made->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(made));
            const LRESULT result = made->handleMessage(message, wParam, lParam);
            if (!result) made->failToBuild();
            return result;
        }
        if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
        switch (message) {
            case WM_CREATE:
                if (!self->building_ || self->created_) return 0;
                self->created_ = true;
                break;
            case WM_DESTROY:
            case WM_NCDESTROY:
                if (!self->destroyingForReal()) return 0;
                break;
        }
        const LRESULT result = self->handleMessage(message, wParam, lParam);
        if (message == WM_CREATE && result == -1) self->failToBuild();
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
        }
        return result;
    }

    // CreateWindowEx destroys the window at once: that is the system's own.
    void failToBuild() {
        if (!failed_) ++ownDestroyCalls;
        failed_ = true;
    }

    HWND hwnd_ = nullptr;
    bool building_ = false;  // inside CreateWindowEx for this window
    bool created_ = false;   // WM_CREATE has been handled
    bool failed_ = false;    // and answered that the window cannot be built
};

}  // namespace pellora
