// The table model under random edits: rows inserted, filled by SetRowText with random
// texts and delimiters, deleted, looked up. After every input each column's sorted order
// holds every row once, in order, and FindRow finds a row by its own key cells.
#include "common/number_text.h"
#include "table/format_number.h"
#include "table/table_model.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kMaxColumns = 8;
constexpr int kMaxOperations = 64;

enum Operation { kInsert, kSetText, kDelete, kFind, kSort, kDeleteAll, kField, kOperationCount };

void AddColumns(TableModel& table, FuzzedDataProvider& input) {
    const int count = input.ConsumeIntegralInRange(1, kMaxColumns);
    for (int i = 0; i < count; ++i) {
        TableColumn column;
        column.SetTitle("c" + std::to_string(i));
        column.SetFlags(input.ConsumeIntegral<uint32_t>() &
                        (COLUMN_NUMERIC | COLUMN_SIGNED | COLUMN_KEY | COLUMN_HIDDEN));
        table.InsertColumn(i, column, 0);
    }
}

// The order of one column walked from its head: no row twice, values never falling
// (numeric columns: NaN rows may stand anywhere). A row whose cell of the column was
// never stored is not in its order.
void CheckOrder(TableModel& table, int column, bool numeric) {
    std::vector<bool> seen(table.GetRowCount());
    int count = 0;
    double last = -INFINITY;
    std::string lastText;
    for (int row = table.GetSortedRow(0, nullptr, column); row != -1;
         row = table.GetNextSortedRow(row, nullptr, column)) {
        if (row < 0 || row >= table.GetRowCount() || seen[row]) {
            abort();
        }
        seen[row] = true;
        ++count;
        const std::string text = table.GetCellText(row, column);
        if (numeric) {
            const double value = ReadNumber(text.c_str());
            if (value < last) {
                abort();
            }
            last = std::isnan(value) ? last : value;
        } else if (count > 1 && strcmp(text.c_str(), lastText.c_str()) < 0) {
            abort();
        }
        lastText = text;
    }
}

// A row is found by the text of its own key cells (those without trailing blanks or the
// delimiter inside).
void CheckFind(TableModel& table, int row) {
    std::string text;
    for (int column = 0; column < table.GetColumnCount(); ++column) {
        TableColumn col;
        table.GetColumn(column, col);
        if ((col.GetFlags() & COLUMN_KEY) == 0) {
            break;
        }
        const std::string cell = table.GetCellText(row, column);
        if (cell.find('\t') != std::string::npos || cell.find_first_of(" \r\n") == 0 ||
            (!cell.empty() && strchr(" \t\r\n", cell.back()) != nullptr)) {
            return;
        }
        text += (column > 0 ? "\t" : "") + cell;
    }
    const int found = table.FindRow(text.c_str(), '\t');
    if (found < 0 || found > row) {
        abort();
    }
}

void RunOperation(TableModel& table, FuzzedDataProvider& input) {
    const int rows = table.GetRowCount();
    const int row = input.ConsumeIntegralInRange(-1, rows);
    switch (input.ConsumeIntegralInRange(0, kOperationCount - 1)) {
    case kInsert:
        table.InsertRow(row, input.ConsumeRandomLengthString(64).c_str(),
                        input.ConsumeIntegral<char>(), input.ConsumeBool());
        break;
    case kSetText: {
        const int column = input.ConsumeIntegralInRange(-1, table.GetColumnCount());
        const char delimiter = input.ConsumeIntegral<char>();
        table.SetRowText(row, input.ConsumeRandomLengthString(64).c_str(), column, delimiter,
                         input.ConsumeBool());
        break;
    }
    case kDelete:
        table.DeleteRow(row, 0);
        break;
    case kFind:
        table.FindRow(input.ConsumeRandomLengthString(64).c_str(), input.ConsumeIntegral<char>());
        break;
    case kSort:
        table.SetSortColumn(input.ConsumeIntegralInRange(-1, table.GetColumnCount()),
                            input.ConsumeIntegralInRange(0, 3));
        break;
    case kDeleteAll:
        table.DeleteAllRows();
        break;
    case kField: {
        char buffer[16];
        GetField(input.ConsumeIntegralInRange(-1, 4), input.ConsumeRandomLengthString(64).c_str(),
                 buffer, sizeof buffer, input.ConsumeIntegral<char>());
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    TableModel table(input.ConsumeBool() ? TABLE_SORTABLE : 0);
    AddColumns(table, input);
    for (int i = 0; i < kMaxOperations && input.remaining_bytes() > 0; ++i) {
        RunOperation(table, input);
    }
    table.SetSortColumn(0, SORT_ASCENDING);
    for (int column = 0; table.IsSortable() && column < table.GetColumnCount(); ++column) {
        TableColumn col;
        table.GetColumn(column, col);
        CheckOrder(table, column, col.HasFlag(COLUMN_NUMERIC));
    }
    for (int row = 0; row < table.GetRowCount(); ++row) {
        CheckFind(table, row);
    }
    return 0;
}
