// Pellora.exe: start-up, the message loop, and the one report of a failed start.
#include <windows.h>

#include <commctrl.h>

#include "card_art.h"
#include "dpi.h"
#include "form.h"
#include "text.h"
#include "version.h"

namespace {

int reportStartFailure(const pellora::Text& what) {
    pellora::Text text(L"Pellora 无法启动：");
    text << what.c_str() << L"。";
    MessageBoxW(nullptr, text.c_str(), L"" PELLORA_PRODUCT_NAME, MB_OK | MB_ICONERROR);
    return 1;
}

// The system sends these, never posts them: posted, they come from another
// program. A screen reader's request in particular is sent, for its answer;
// one posted would leave an answer that nobody collects.
bool isForgedPost(const MSG& message) {
    switch (message.message) {
        case WM_GETOBJECT:
        case WM_NCCREATE:
        case WM_CREATE:
        case WM_DESTROY:
        case WM_NCDESTROY:
        case WM_DPICHANGED:
        case WM_GETDPISCALEDSIZE: return true;
    }
    return false;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Visual styles (with the manifest) must be on before any control exists.
    InitCommonControls();

    pellora::Text error;
    if (!pellora::Form::registerClasses(instance, error)) return reportStartFailure(error);

    pellora::CardArt art;
    pellora::Form form(instance, art);
    if (!form.create()) return reportStartFailure(pellora::Text(form.error()));
    form.show(showCommand);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (isForgedPost(message) || IsDialogMessageW(form.hwnd(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
