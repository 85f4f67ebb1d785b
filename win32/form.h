// form1, Pellora's one window: the rank buttons, the card pictures, the reset
// button and the always-on-top box. It builds the controls from the layout
// table, forwards input to the board and shows what the board changes.
#pragma once

#include <windows.h>

#include <array>

#include "accessibility.h"
#include "base_window.h"
#include "board.h"
#include "card_art.h"
#include "card_pictures.h"
#include "handles.h"
#include "layout.h"
#include "text.h"

namespace pellora {

class Form : public BaseWindow<Form>, private Board::View {
public:
    static constexpr const wchar_t* kClassName = L"PelloraForm";

    // `art` decodes its scales as the window needs them; it must outlive the window.
    Form(HINSTANCE instance, CardArt& art);
    ~Form();

    // Both window classes: the form's, with the program's icons, and its
    // pictures'. On failure `error` says what failed.
    static bool registerClasses(HINSTANCE instance, Text& error);

    // Builds the window and all its controls, still hidden. On failure nothing
    // is left on the screen and error() names what failed.
    bool create();
    void show(int showCommand);
    const wchar_t* error() const { return error_.c_str(); }

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct Fonts {
        Font normal, rank, joker;
        HFONT of(FontRole role) const;
    };

    // The controls' window procedure: what the form does on them, then the
    // button class's own procedure.
    static LRESULT CALLBACK buttonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleButtonMessage(HWND button, int id, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK tipsProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR subclassId,
                                     DWORD_PTR refData);
    bool hookControl(HWND control);

    bool OnCreate();
    void OnDpiChanged(int dpi, const RECT& suggested);
    bool OnGetDpiScaledSize(int dpi, SIZE& size) const;
    void OnActivate(bool active);
    void OnCommand(int id, int notifyCode);
    void OnDestroy();
    void OnStayOnTopClick();
    void OnButtonFocus(HWND button, bool focused);

    // What the board changed.
    void cardShown(int card, bool shown) override;
    void rowRemaining(int row, int left) override;

    Rect placement(int dpi) const;
    RECT frameFor(int dpi) const;
    bool loadIcons();
    bool makeFonts(Fonts& fonts);
    bool loadArt();
    bool createControlsInTabOrder();
    bool createControl(std::size_t index);
    bool createPictures();
    bool createGroupBox();
    void createTips(const MSG& firstMove);
    void placeTip(WINDOWPOS& place) const;
    void layOut();
    HWND control(int id) const { return GetDlgItem(hwnd(), id); }
    int focusedPushButton() const;
    bool fail(const Text& what);

    HINSTANCE instance_;
    CardArt& art_;
    bool built_ = false;  // until then, destroying the window is a failed start, not a close
    int dpi_ = 96;        // the dpi everything is laid out for
    int artScale_ = 100;  // the drawn scale the pictures show
    Board board_{*this};
    Fonts fonts_;
    Icon bigIcon_;
    Icon smallIcon_;
    std::array<HWND, kControlCount> controls_{};  // in controlTable() order
    std::array<HWND, kLastRow + 1> rowButtons_{};  // by row
    Accessibility accessibility_;
    CardPictures pictures_;
    HWND lastFocus_ = nullptr;
    HWND tips_ = nullptr;      // the buttons' tooltip, made when the pointer first comes to one
    bool tipsTried_ = false;
    WNDPROC buttonClassProc_ = nullptr;  // every control's own (the button class's), before hookControl
    Text error_;
};

}  // namespace pellora
