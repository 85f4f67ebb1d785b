// What a screen reader finds in form1, through Microsoft Active Accessibility
// (which UI Automation clients see too): each card picture a graphic named for
// its card ("方块K"), invisible while its card is played; each rank and joker
// button described by how many of its cards remain ("剩 3 张").
//
// Nothing of it is loaded or made until an assistive technology first asks
// (WM_GETOBJECT): then oleacc, oleaut32 and ole32 are loaded from the system
// folder, and the objects are made. Telling a listener of a change costs a
// NotifyWinEvent, which does nothing when no one listens.
#pragma once

#include <windows.h>

#include "card_pictures.h"
#include "tally.h"

namespace pellora {

class CardsAccessible;
class ButtonAccessible;

class Accessibility {
public:
    // `cells` and `tally` must outlive this object.
    Accessibility(const CardCells& cells, const Tally& tally) : cells_(cells), tally_(tally) {}
    ~Accessibility();
    Accessibility(const Accessibility&) = delete;
    Accessibility& operator=(const Accessibility&) = delete;

    // Answers WM_GETOBJECT for the pictures' window, or for the button of
    // `row`. `handled` is false when the request is not for an object of ours
    // (pass it on to the window's default handling).
    LRESULT answerPictures(HWND pictures, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT answerButton(HWND button, int row, WPARAM wParam, LPARAM lParam, bool& handled);

    // After the picture of (row, element) was shown or hidden, and the row's
    // count changed with it.
    void pictureChanged(HWND pictures, HWND button, int row, int element, bool visible) const;

private:
    bool load();

    const CardCells& cells_;
    const Tally& tally_;
    bool tried_ = false;   // loading was tried: it is not tried again
    bool loaded_ = false;
    bool comStarted_ = false;
    CardsAccessible* cards_ = nullptr;
    ButtonAccessible* buttons_[kRowCount] = {};
};

}  // namespace pellora
