// A registered message that Pellora's main window answers, so a test driver in
// another process can read what Windows (and Wine) won't tell across processes:
// the font a control really uses, the window's icons, the tally's counts.
// Read-only: answering it never changes anything.
//
//   SendMessageW(form1, RegisterWindowMessageW(kTestQueryMessage), wParam, query)
#pragma once

#define PELLORA_TEST_QUERY_MESSAGE L"Pellora.TestQuery"

enum PelloraTestQuery {
    // wParam = control id; the font the control draws its caption with.
    kQueryFontHeight = 1,   // LOGFONTW.lfHeight (negative: character height in px)
    kQueryFontWeight = 2,   // LOGFONTW.lfWeight
    kQueryFontFaceAtom = 3, // a global atom holding lfFaceName; the caller deletes it
    // wParam = row number 1..15: how many of its cards are marked played.
    kQueryRowPlayed = 4,
    // wParam ignored: width in px of the window's big / small icon, 0 if none.
    kQueryBigIconSize = 5,
    kQuerySmallIconSize = 6,
    // wParam ignored: the dpi the window laid itself out for.
    kQueryDpi = 7,
    // wParam ignored: the drawn scale (per cent, one of kArtScales) the
    // pictures show.
    kQueryArtScale = 8,
    // wParam ignored: how many GDI objects the process holds (GetGuiResources,
    // or, where that is not implemented, a count of its GDI handle table).
    kQueryGdiObjects = 9,
};
