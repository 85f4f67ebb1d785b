// Control identifiers of form1, in bands. Shared by Pellora.exe and its test driver.
#pragma once

// Buttons: 100 + row number, so Command<N> is 100 + N (there is no Command16).
#define IDC_FRAME1 100
#define IDC_COMMAND_BASE 100
#define IDC_COMMAND1 101
#define IDC_COMMAND15 115
#define IDC_COMMAND17 117
#define IDC_CHECK1 120

// Pictures: 1000 + 10 * row + element (Image1(0) = 1010 ... Image15 = 1150).
#define IDC_PICTURE_BASE 1000
#define IDC_PICTURE(row, element) (IDC_PICTURE_BASE + 10 * (row) + (element))
