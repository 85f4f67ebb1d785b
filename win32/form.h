// form1, Pellora's one window: the rank buttons, the card pictures, the reset
// button and the always-on-top box, wired to the card tally.
#pragma once

#include <windows.h>

#include <array>

#include "accessibility.h"
#include "card_art.h"
#include "card_pictures.h"
#include "layout.h"
#include "tally.h"
#include "text.h"

namespace pellora {

constexpr const wchar_t* kFormClass = L"PelloraForm";

class Form {
public:
    // `art` decodes its scales as the window needs them; it must outlive the window.
    Form(HINSTANCE instance, CardArt& art);
    ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    static bool registerClass(HINSTANCE instance);

    // Builds the window and all its controls, still hidden. On failure nothing
    // is left on the screen and error() names what failed.
    bool create();
    void show(int showCommand);
    HWND hwnd() const { return hwnd_; }
    const wchar_t* error() const { return error_.c_str(); }

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK buttonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR subclassId, DWORD_PTR refData);
    static LRESULT CALLBACK picturesProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR subclassId, DWORD_PTR refData);

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleButtonMessage(HWND button, int id, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handlePicturesMessage(HWND pictures, UINT message, WPARAM wParam, LPARAM lParam);

    bool OnCreate();
    void OnDpiChanged(int dpi, const RECT& suggested);
    bool OnGetDpiScaledSize(int dpi, SIZE& size) const;
    void OnActivate(bool active);
    void OnCommand(int id, int notifyCode);
    void OnDestroy();
    void OnRankButtonClick(int row);
    void OnRankButtonRightPress(int row);
    void OnResetClick();
    void OnStayOnTopClick();
    void OnButtonFocus(HWND button, bool focused);

    Rect placement(int dpi) const;
    RECT frameFor(int dpi) const;
    bool loadIcons();
    bool createFonts();
    bool loadArt();
    bool createControlsInTabOrder();
    bool createControl(std::size_t index);
    RECT placeCells();
    bool createPictures();
    bool createGroupBox();
    void layOut();
    void apply(const Assignment& assignment);
    HFONT fontFor(FontRole role) const;
    HWND control(int id) const { return GetDlgItem(hwnd_, id); }
    int focusedPushButton() const;
    bool fail(const Text& what);

    HINSTANCE instance_;
    CardArt& art_;
    HWND hwnd_ = nullptr;
    bool built_ = false;  // until then, destroying the window is a failed start, not a close
    int dpi_ = 96;        // the dpi everything is laid out for
    int artScale_ = 100;  // the drawn scale the pictures show
    Tally tally_;
    HFONT defaultFont_ = nullptr;
    HFONT rankFont_ = nullptr;
    HFONT jokerFont_ = nullptr;
    // Replaced on a dpi change but still set on the controls until layOut,
    // which always follows createFonts there.
    std::array<HFONT, 3> retiredFonts_{};
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    std::array<HWND, kControlCount> controls_{};  // in controlTable() order
    CardCells cells_{};          // the pictures: where, which art, shown or not
    HWND pictures_ = nullptr;    // the window that draws them
    Accessibility accessibility_{cells_, tally_};
    HWND lastFocus_ = nullptr;
    Text error_;
};

}  // namespace pellora
