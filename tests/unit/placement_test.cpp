#include "placement.h"

#include <gtest/gtest.h>

using pellora::fitIntoWorkArea;
using pellora::Rect;

namespace {
// A 1280 x 1024 screen with a 30 px task bar at the bottom.
const Rect kWork{0, 0, 1280, 994};
// The window at its designed place at 96 dpi: client (853, 74) 153 x 561 plus a frame.
const Rect kDesigned{850, 51, 159, 587};
}  // namespace

TEST(Placement, AWindowThatFitsStaysWhereItWasDesigned) {
    EXPECT_EQ(fitIntoWorkArea(kDesigned, kWork), kDesigned);
    // Touching the edges is still inside.
    const Rect corner{1280 - 159, 994 - 587, 159, 587};
    EXPECT_EQ(fitIntoWorkArea(corner, kWork), corner);
    EXPECT_EQ(fitIntoWorkArea(Rect{0, 0, 159, 587}, kWork), (Rect{0, 0, 159, 587}));
}

TEST(Placement, AWindowPastAnEdgeMovesJustEnoughToBeInside) {
    // An 800 x 600 screen: the right and bottom edges cut the window off.
    EXPECT_EQ(fitIntoWorkArea(kDesigned, Rect{0, 0, 800, 600}), (Rect{641, 13, 159, 587}));
    // Off the left and top edges.
    EXPECT_EQ(fitIntoWorkArea(Rect{-40, -5, 159, 587}, kWork), (Rect{0, 0, 159, 587}));
    // Only the axis that is out moves.
    EXPECT_EQ(fitIntoWorkArea(Rect{1200, 100, 159, 587}, kWork), (Rect{1121, 100, 159, 587}));
    EXPECT_EQ(fitIntoWorkArea(Rect{100, 500, 159, 587}, kWork), (Rect{100, 407, 159, 587}));
}

TEST(Placement, WorkAreasThatDoNotStartAtTheOrigin) {
    // Task bar on the left or top, or a second monitor left of the main one.
    EXPECT_EQ(fitIntoWorkArea(Rect{10, 20, 159, 587}, Rect{48, 40, 1232, 984}), (Rect{48, 40, 159, 587}));
    EXPECT_EQ(fitIntoWorkArea(Rect{-200, 74, 159, 587}, Rect{-1920, 0, 1920, 1040}), (Rect{-200, 74, 159, 587}));
    EXPECT_EQ(fitIntoWorkArea(Rect{-100, 74, 159, 587}, Rect{-1920, 0, 1920, 1040}), (Rect{-159, 74, 159, 587}));
}

TEST(Placement, AWindowLargerThanTheWorkAreaAlignsToItsTopLeft) {
    // Too tall only: aligned to the top, still moved just enough sideways.
    const Rect tiny{0, 0, 640, 480};
    EXPECT_EQ(fitIntoWorkArea(kDesigned, tiny), (Rect{481, 0, 159, 587}));
    EXPECT_EQ(fitIntoWorkArea(Rect{300, 300, 700, 587}, Rect{10, 20, 640, 480}), (Rect{10, 20, 700, 587}));
    // Exactly as large as the work area: the only place that fits.
    EXPECT_EQ(fitIntoWorkArea(Rect{5, 5, 640, 480}, tiny), (Rect{0, 0, 640, 480}));
}
