#include "table/table_view_state.h"

#include <algorithm>

void TableViewState::ColumnDeleted(int index, int columnCount) {
    leftColumn = std::min(leftColumn, columnCount - 1);
    focusColumn = std::min(focusColumn, index);
}

void TableViewState::RowDeleted(int index, int rowCount) {
    topRow = std::max(0, std::min(topRow, rowCount - 1));
    focusRow = std::min(focusRow, index);
}

void TableViewState::RowsCleared() {
    focusRow = 0;
    topRow = 0;
}
