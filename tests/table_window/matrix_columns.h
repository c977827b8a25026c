// The Matrix view's table (view/matrix_columns.h) with the font the view gives it, for the
// table's tests and benchmarks.
#pragma once

#include "table/ksc_table.h"
#include "view/matrix_columns.h"

inline void AddMatrixColumns(KSCTable& table) {
    InsertMatrixColumns(table.Model());
    CFont font;
    font.CreateStockObject(DEFAULT_GUI_FONT);
    table.SetFont(&font, TRUE);
    table.Model().SetTransposed(0);
}
