// What the window is, whatever the platform: every control and every picture
// cell, in twips (1/1440 inch), exactly once. Front ends loop over these tables.
#pragma once

#include <array>

#include "control_ids.h"

namespace pellora {

struct Rect {
    int left;
    int top;
    int width;
    int height;

    int right() const { return left + width; }
    int bottom() const { return top + height; }
    friend bool operator==(const Rect& a, const Rect& b) {
        return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
    }
    friend bool operator!=(const Rect& a, const Rect& b) { return !(a == b); }
};

enum class ControlKind { GroupBox, PushButton, CheckBox };

// Which font a control uses. Default is the platform's own dialog font.
enum class FontRole { Default, Rank, Joker };

struct FontSpec {
    const char* face;  // UTF-8
    int decipoints;    // 105 = 10.5 pt
    int weight;        // 700 = bold
};

// Default has no face and no weight: it is the platform's own font, which the
// layout was made for at 9 pt (90), the size of Windows' message font.
const FontSpec& fontSpec(FontRole role);

struct ControlSpec {
    const char* name;     // the designer's: Frame1, Command1 ... Command17, Check1
    int id;               // control id (control_ids.h): IDC_ROW_BUTTON_BASE + row for a rank or joker button
    ControlKind kind;
    const char* caption;  // UTF-8
    Rect twips;           // in the window's client area
    FontRole font;
    int tab;              // place in the tab order, 0 = first
    int row;              // tally row 1..15 for a rank or joker button, else 0
};

// A card picture's cell: the 14 x 28 px art drawn one pixel inside a frame line.
struct PictureCell {
    int card;     // 0..53 (board.h); pictureTable()[card] is this cell
    int row;      // 1..15, the picture group Image<row>
    int element;  // 0..3 (0 for a joker)
    Rect twips;   // in the window's client area
};

constexpr int kClientWidthTwips = 2295;
constexpr int kClientHeightTwips = 8415;
// Where the client area opens on the screen, when it fits there.
constexpr int kDesignedLeftTwips = 12795;
constexpr int kDesignedTopTwips = 1110;
// Picture cells are placed from the group box's top-left corner.
constexpr int kFrameLeftTwips = 120;
constexpr int kFrameTopTwips = 120;

constexpr int kControlCount = 18;
constexpr int kPictureCount = 54;

const std::array<ControlSpec, kControlCount>& controlTable();   // in creation (z) order
const std::array<PictureCell, kPictureCount>& pictureTable();   // by card

// The cards in the order a reader meets their pictures: line by line from the
// top (the jokers, then 2, A, K ... 3), left to right in a line (spade, heart,
// club, diamond).
std::array<int, kPictureCount> readingOrder();

// A direction on the screen, from one picture to another.
enum class Toward { Left, Right, Up, Down };
// The card whose picture stands next to `card`'s: left or right in its line,
// or in the line above or below the one nearest across (the two jokers stand
// above the outer columns of four). kNoCard at an edge or for no card.
int cardBeside(int card, Toward toward);

// nullptr when there is no such control.
const ControlSpec* findControl(const char* name);
const ControlSpec* buttonForRow(int row);
// The group box "剩牌" around the pictures.
const ControlSpec& groupBox();

// twips * dpi / 1440, rounded to the nearest pixel (halves away from zero).
int twipsToPixels(int twips, int dpi);
// Left, top, width and height each converted on their own.
Rect toPixels(const Rect& twips, int dpi);

}  // namespace pellora
