// What a screen reader finds in form1, through Microsoft Active Accessibility
// (which UI Automation clients see too): each card picture a graphic named for
// its card ("方块K"), invisible while its card is played; each rank and joker
// button described by how many of its cards remain ("剩 3 张"), its help
// saying how to play and put back a card.
//
// Nothing of it is loaded or made until an assistive technology first asks
// (WM_GETOBJECT): then oleacc, oleaut32 and ole32 are loaded from the system
// folder, and the objects are made. Telling a listener of a change costs a
// NotifyWinEvent, which does nothing when no one listens.
#pragma once

#include <windows.h>

#include "board.h"

struct IAccessible;
struct IStream;
struct IUnknown;

namespace pellora {

class CardPictures;
class CardsAccessible;
class ButtonAccessible;

class Accessibility {
public:
    // `pictures` and `board` must outlive this object.
    Accessibility(const CardPictures& pictures, const Board& board) : pictures_(pictures), board_(board) {}
    ~Accessibility();
    Accessibility(const Accessibility&) = delete;
    Accessibility& operator=(const Accessibility&) = delete;

    // Answers WM_GETOBJECT for the pictures' window, or for the button of
    // `row`. `handled` is false when the request is not for an object of ours
    // (pass it on to the window's default handling).
    LRESULT answerPictures(HWND pictures, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT answerButton(HWND button, int row, WPARAM wParam, LPARAM lParam, bool& handled);

    // Tells a listening reader that a card's picture was shown or hidden, or
    // that a button's description (its row's count) changed.
    void cardShown(HWND pictures, int card, bool shown) const;
    void rowChanged(HWND button) const;

private:
    // An answer handed out that no reader has collected yet: under Wine a
    // global atom naming a file mapping in this process.
    struct Outstanding {
        unsigned short atom;
        wchar_t name[40];   // the atom's name when it was made
        HANDLE mapping;     // the mapping the name gives, in this process
        HANDLE copy;        // our own handle on the same mapping
        ULONGLONG at;
    };
    // Each object is marshalled once more, table-strong, and kept so while
    // the window lives; see pin() in accessibility.cpp.
    struct Pin {
        IUnknown* object;
        IStream* stream;
    };

    bool load();
    void pinFirst(IUnknown* object, IAccessible* standard);
    void pin(IUnknown* object, const IID& iid);
    LRESULT answer(IUnknown* object, WPARAM wParam, bool& handled);
    bool roomForAnswer();
    void remember(LRESULT answer);
    void release(Outstanding& answer, bool takeBack);

    const CardPictures& pictures_;
    const Board& board_;
    bool tried_ = false;   // loading was tried: it is not tried again
    bool loaded_ = false;
    bool comStarted_ = false;
    CardsAccessible* cards_ = nullptr;
    ButtonAccessible* buttons_[kRowCount] = {};
    Pin pins_[kRowCount + 5] = {};
    int pinCount_ = 0;
    Outstanding outstanding_[8] = {};
};

}  // namespace pellora
