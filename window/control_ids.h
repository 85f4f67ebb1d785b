// Control identifiers of form1, in bands; each control's own id stands in the
// layout table (ControlSpec::id), made from these.
#pragma once

// Buttons: 100 + row number, so Command<N> is 100 + N (there is no Command16).
constexpr int IDC_FRAME1 = 100;
constexpr int IDC_COMMAND_BASE = 100;
constexpr int IDC_COMMAND1 = 101;
constexpr int IDC_COMMAND15 = 115;
constexpr int IDC_COMMAND17 = 117;
constexpr int IDC_CHECK1 = 120;

// The one window that draws all the card pictures (Image1 ... Image15).
constexpr int IDC_PICTURES = 1000;
