// The Matrix view's eight table columns (Index, Source, Destination, a hidden Source and
// Destination pair, Bytes, Packets, Errors) and its font, for tests and benchmarks.
#pragma once

#include "table/ksc_table.h"

inline void AddMatrixColumns(KSCTable& table) {
    struct Spec {
        const char* title;
        uint32_t flags;
        int width;
    };
    static const Spec specs[] = {
        {"Index", COLUMN_NUMERIC, 50},
        {"Source", 0, 100},
        {"Destination", 0, 100},
        {"Source", COLUMN_HIDDEN, 100},
        {"Destination", COLUMN_HIDDEN, 100},
        {"Bytes", COLUMN_NUMERIC, 100},
        {"Packets", COLUMN_NUMERIC, 75},
        {"Errors", COLUMN_NUMERIC, 50},
    };
    for (const Spec& spec : specs) {
        TableColumn column;
        column.m_title = spec.title;
        column.m_flags = spec.flags;
        column.m_width = spec.width;
        table.InsertColumn(table.GetColumnCount(), column, TRUE);
    }
    CFont font;
    font.CreateStockObject(DEFAULT_GUI_FONT);
    table.SetFont(&font, TRUE);
    table.SetTransposed(0);
}
