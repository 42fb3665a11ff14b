#pragma once

// Where the toolbar and address-bar controls go for a window of outer width W whose address
// bar (Panel4) is P wide. Fixed offsets from the right edges.
struct TToolbarPositions {
    int selectAllLeft;    // LbSpeedButton1
    int deselectAllLeft;  // LbSpeedButton2
    int transferLeft;     // LbSpeedButton3
    int stopLeft;         // StopButton, left of the others
    int goLeft;           // LbSpeedButton6
    int addressWidth;     // UrlComBox
};

TToolbarPositions ArrangeToolbarPositions(int outerWidth, int addressBarWidth);
