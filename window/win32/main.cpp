// Pellora.exe: start-up, the message loop, and the one report of a failed start.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "card_art.h"
#include "card_picture.h"
#include "form.h"
#include "version.h"

namespace {

int reportStartFailure(const std::wstring& what) {
    const std::wstring text = L"Pellora could not start: " + what + L".";
    MessageBoxW(nullptr, text.c_str(), L"" PELLORA_PRODUCT_NAME, MB_OK | MB_ICONERROR);
    return 1;
}

}  // namespace

#if defined(__GLIBCXX__)
// libstdc++'s default terminate handler prints the exception's demangled type,
// which links in the whole demangler (~60 KB). A GUI program has nowhere to
// print it: end the process as std::terminate would.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Visual styles (with the manifest) must be on before any control exists.
    InitCommonControls();

    if (!pellora::registerCardPictureClass(instance) || !pellora::Form::registerClass(instance))
        return reportStartFailure(L"the window classes could not be registered (error " +
                                  std::to_wstring(GetLastError()) + L")");

    pellora::CardArt art;
    pellora::Form form(instance, art);
    if (!form.create()) return reportStartFailure(form.error());
    form.show(showCommand);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(form.hwnd(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
