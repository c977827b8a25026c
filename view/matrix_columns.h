// The Matrix view's table: its options and its eight columns. The addresses as answered stay
// hidden beside the visible names. Benchmarks and tests of the table build the same table
// from here.
#pragma once

#include "table/table_model.h"

#include <stdint.h>

struct MatrixColumnSpec {
    const char* title; // English; the view shows it through Localize
    int width;
    uint32_t flags;
};

inline constexpr MatrixColumnSpec kMatrixTableColumns[] = {
    {"Index", 50, COLUMN_NUMERIC},
    {"Source", 100, 0},
    {"Destination", 100, 0},
    {"Source", 100, COLUMN_HIDDEN},
    {"Destination", 100, COLUMN_HIDDEN},
    {"Bytes", 100, COLUMN_NUMERIC},
    {"Packets", 75, COLUMN_NUMERIC},
    {"Errors", 50, COLUMN_NUMERIC},
};

inline constexpr uint32_t kMatrixTableOptions =
    TABLE_ROWSELECT | TABLE_NOSCROLLBARS | TABLE_SORTABLE;

// Appends the columns, each from TableColumn's defaults, with redraw; titles pass through
// translate when one is given.
inline void InsertMatrixColumns(TableModel& model,
                                const char* (*translate)(const char*) = nullptr) {
    for (const MatrixColumnSpec& spec : kMatrixTableColumns) {
        TableColumn column;
        column.SetTitle(translate != nullptr ? translate(spec.title) : spec.title);
        column.SetWidth(spec.width);
        column.SetFlags(spec.flags);
        model.InsertColumn(model.GetColumnCount(), column, 1);
    }
}
