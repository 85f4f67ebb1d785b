// The end-to-end tests' hook DLL (inside.h): loaded into Pellora by Windows
// for the driver's WH_GETMESSAGE hook, it carries out the driver's requests on
// Pellora's UI thread when their message comes out of the queue. Never part
// of Pellora.exe or its packages.
#include "inside.h"

namespace {

InsideBlock* block = nullptr;
HANDLE answered = nullptr;
DWORD driver = 0;

void setProblem(const char* text) { lstrcpynA(block->problem, text, sizeof(block->problem)); }

// The driver's block and event, opened once per driver.
bool connect(DWORD pid) {
    if (block && pid == driver) return true;
    wchar_t mappingName[64], eventName[64];
    insideNames(pid, mappingName, eventName);
    HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, mappingName);
    if (!mapping) return false;
    void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(InsideBlock));
    CloseHandle(mapping);  // the view keeps the mapping
    HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, eventName);
    if (!view || !event) {
        if (view) UnmapViewOfFile(view);
        if (event) CloseHandle(event);
        return false;
    }
    if (block) UnmapViewOfFile(block);
    if (answered) CloseHandle(answered);
    block = static_cast<InsideBlock*>(view);
    answered = event;
    driver = pid;
    return true;
}

HWND window() { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(block->window)); }

void readFont() {
    const auto font = reinterpret_cast<HFONT>(SendMessageW(window(), WM_GETFONT, 0, 0));
    if (!font) setProblem("the control answers WM_GETFONT with no font");
    else if (!GetObjectW(font, sizeof(block->font), &block->font)) setProblem("GetObjectW cannot read the control's font");
}

void readIconWidth() {
    auto icon = reinterpret_cast<HICON>(SendMessageW(window(), WM_GETICON, block->wParam, 0));
    // Without icons of its own the window shows its class's.
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(window(), block->wParam == ICON_BIG ? GCLP_HICON : GCLP_HICONSM));
    ICONINFO info{};
    if (!icon) return;  // width 0: no icon
    if (!GetIconInfo(icon, &info)) {
        setProblem("GetIconInfo fails on the window's icon");
        return;
    }
    BITMAP bitmap{};
    if (!GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap))
        setProblem("GetObjectW cannot read the icon's bitmap");
    block->result = bitmap.bmWidth;
    // GetIconInfo made copies of the bitmaps.
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
}

void carryOut() {
    block->problem[0] = '\0';
    block->result = 0;
    switch (static_cast<InsideRequest>(block->request)) {
        case InsideRequest::Font: readFont(); break;
        case InsideRequest::Icon: readIconWidth(); break;
        case InsideRequest::Send:
            block->result = static_cast<std::int32_t>(
                SendMessageW(window(), block->message, block->wParam, reinterpret_cast<LPARAM>(block->data)));
            break;
        case InsideRequest::Where: block->result = static_cast<std::int32_t>(reinterpret_cast<UINT_PTR>(block->target)); break;
        default: setProblem("unknown request");
    }
    block->answered = block->serial;
    SetEvent(answered);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK insideHook(int code, WPARAM removed, LPARAM lParam) {
    static const UINT request = RegisterWindowMessageW(kInsideMessage);
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && removed == PM_REMOVE && message->message == request) {
        if (connect(static_cast<DWORD>(message->wParam)) && block->serial == static_cast<std::int32_t>(message->lParam))
            carryOut();
        message->message = WM_NULL;  // Pellora never sees it
    }
    return CallNextHookEx(nullptr, code, removed, lParam);
}
