#pragma once

// What the table window keeps of its own over the model: the first row and column shown, the
// focus cell, the anchor of a keyboard selection and the header's size. The window moves them
// when the model's rows and columns change.
struct TableViewState {
    int topRow = 0;       // display row
    int leftColumn = 0;   // scrolled display position
    int focusColumn = -1; // column index
    int focusRow = -1;    // display row
    int keyAnchorColumn = -1;
    int keyAnchorRow = -1;
    int headerHeight = 0; // the title row
    int titleWidth = 0;   // the title column in transposed mode
};
