// Control identifiers of form1, in bands. Shared by Pellora.exe and its test driver.
#pragma once

// Buttons: 100 + row number, so Command<N> is 100 + N (there is no Command16).
#define IDC_FRAME1 100
#define IDC_COMMAND_BASE 100
#define IDC_COMMAND1 101
#define IDC_COMMAND15 115
#define IDC_COMMAND17 117
#define IDC_CHECK1 120

// The one window that draws all the card pictures (Image1 ... Image15).
#define IDC_PICTURES 1000
