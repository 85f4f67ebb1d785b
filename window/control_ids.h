// Control identifiers of the window, in bands; each control's own id stands
// in the layout table (ControlSpec::id), made from these.
#pragma once

constexpr int IDC_GROUP_BOX = 90;
// Rank and joker buttons: the base plus the row number 1..15.
constexpr int IDC_ROW_BUTTON_BASE = 100;
constexpr int IDC_FIRST_ROW_BUTTON = IDC_ROW_BUTTON_BASE + 1;
constexpr int IDC_LAST_ROW_BUTTON = IDC_ROW_BUTTON_BASE + 15;
constexpr int IDC_RESET = 117;
constexpr int IDC_STAY_ON_TOP = 120;

// The one window that draws all the card pictures.
constexpr int IDC_PICTURES = 1000;
