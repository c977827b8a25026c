#include "table/table_model.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kWindowText = 0x00123456;

// The host of a model, as the window is: records the redraws asked for and the rows and
// columns deleted (-1 for all rows). Text measures 7x13 pixels per character.
class RecordingHost : public TableModelHost {
  public:
    void Redraw(uint32_t flags) override { m_redraws |= flags; }
    uint32_t TakeRedraws() { return std::exchange(m_redraws, 0u); }
    void ColumnDeleted(int index) override { deletedColumns.push_back(index); }
    void RowDeleted(int index) override { deletedRows.push_back(index); }
    void RowsCleared() override { deletedRows.push_back(-1); }

    std::vector<int> deletedRows;
    std::vector<int> deletedColumns;

  private:
    uint32_t m_redraws = 0;
};

class RecordingModel : public RecordingHost, public TableModel {
  public:
    explicit RecordingModel(uint32_t options = 0) : TableModel(options, kWindowText, this) {}
};

TableColumn MakeColumn(const char* title, uint32_t flags = 0, int width = 40, int autoSize = 0) {
    TableColumn column;
    column.SetTitle(title);
    column.SetFlags(flags);
    column.SetWidth(width);
    column.SetAutoSize(autoSize);
    return column;
}

void AddColumns(TableModel& model, int count, uint32_t flags = 0) {
    for (int i = 0; i < count; ++i) {
        model.InsertColumn(model.GetColumnCount(), MakeColumn("C", flags), 0);
    }
}

std::vector<std::string> Cells(const TableModel& model, int row) {
    std::vector<std::string> cells;
    for (int c = 0; c < model.GetColumnCount(); ++c) {
        cells.push_back(model.GetCellText(row, c));
    }
    return cells;
}

struct RowTextCase {
    const char* text;
    int firstColumn;
    char delimiter;
    int result;
    std::vector<std::string> cells; // of a five-column row that held "0".."4"
};

TEST(SetRowText, SplitsFieldsIntoCellsFromTheFirstColumn) {
    const RowTextCase cases[] = {
        {"a;b;", 0, ';', 1, {"a", "b", "", "3", "4"}}, // trailing delimiter: one empty cell
        {"x;y", 5, ';', 0, {"0", "1", "2", "3", "4"}}, // first column past the end
        {"x;y", 4, ';', 1, {"0", "1", "2", "3", "x"}}, // fields past the last column dropped
        {"x;y", -1, ';', 0, {"0", "1", "2", "3", "4"}},
        {"a;b", 1, '\0', 1, {"0", "a;b", "2", "3", "4"}},      // delimiter 0 takes the whole text
        {"a,b", 2, ';', 1, {"0", "1", "a,b", "3", "4"}},       // a delimiter that never occurs
        {" a ; b ", 0, ';', 1, {" a ", " b ", "2", "3", "4"}}, // no trimming
        {nullptr, 0, ';', 1, {"0", "1", "2", "3", "4"}},
        {"", 3, ';', 1, {"0", "1", "2", "", "4"}},
    };
    for (const RowTextCase& c : cases) {
        RecordingModel model;
        AddColumns(model, 5);
        model.InsertRow(0, "0;1;2;3;4", ';', 0);
        EXPECT_EQ(model.SetRowText(0, c.text, c.firstColumn, c.delimiter, 0), c.result)
            << (c.text ? c.text : "null") << " from " << c.firstColumn;
        EXPECT_EQ(Cells(model, 0), c.cells) << (c.text ? c.text : "null");
    }
}

struct NumericCase {
    const char* text;
    uint32_t flags;
    const char* stored;
};

TEST(SetRowText, ReformatsNumbersInNumericColumnsOnly) {
    const NumericCase cases[] = {
        {"1024", COLUMN_NUMERIC, "1024"},
        {"1024.0", COLUMN_NUMERIC, "1024"},
        {"UNK", COLUMN_NUMERIC, "UNK"},
        {"", COLUMN_NUMERIC, ""},
        {"3000000000", COLUMN_NUMERIC, "3000000000"}, // plain digits are kept as they are
        {"3000000000.0", COLUMN_NUMERIC, "3G"},
        {"-7", COLUMN_NUMERIC, "4294967289"},
        {"-7", COLUMN_NUMERIC | COLUMN_SIGNED, "-7"},
        {" 12", COLUMN_NUMERIC, "12"},
        {"abc", COLUMN_NUMERIC, "0"},
        {"1024.0", 0, "1024.0"},
    };
    for (const NumericCase& c : cases) {
        RecordingModel model;
        model.InsertColumn(0, MakeColumn("N", c.flags), 0);
        model.InsertRow(0, c.text, '\0', 0);
        EXPECT_EQ(model.GetCellText(0, 0), c.stored) << c.text;
    }
}

TEST(SetRowText, MeasuresCellsAndGrowsAutoSizedColumnsUpToTheCap) {
    RecordingModel model;
    model.InsertColumn(0, MakeColumn("A", 0, 40, 1), 0);
    model.InsertColumn(1, MakeColumn("B", 0, 40, 0), 0);
    model.InsertRow(0, "0123456789;0123456789", ';', 0);
    TableRow row;
    ASSERT_TRUE(model.GetRow(0, row));
    EXPECT_EQ(row.GetCellExtent(0).cx, 76); // 10 characters of 7 pixels, plus 6
    EXPECT_EQ(row.GetCellExtent(0).cy, 18); // 13 plus 5
    EXPECT_EQ(model.GetColumnWidth(0), 76);
    EXPECT_EQ(model.GetColumnWidth(1), 40); // auto-size off: never grows

    model.SetRowText(0, "ab", 0, '\0', 0);
    EXPECT_EQ(model.GetColumnWidth(0), 76); // never shrinks

    model.SetRowText(0, std::string(30, 'w').c_str(), 0, '\0', 0);
    TableColumn column;
    model.GetColumn(0, column);
    EXPECT_EQ(column.GetWidth(), MAX_AUTOSIZE_EXTENT);
    EXPECT_FALSE(column.GetAutoSize());

    // Once latched off by the cap, a narrower width stays put.
    model.SetColumnWidth(0, 60, 0);
    model.SetRowText(0, std::string(12, 'w').c_str(), 0, '\0', 0);
    EXPECT_EQ(model.GetColumnWidth(0), 60);
}

// A row's texts past 65,535 bytes in all need wider offsets than the rows below that; a
// row that grows past it and shrinks back keeps every cell, states and extents included,
// in the first, a middle and the last column, and so does a copy of it.
TEST(SetRowText, RowsGrowPastAndShrinkBelowSixtyFourKilobytes) {
    const std::string big(40000, 'x');
    const std::string bigger(70000, 'y');
    struct Store {
        int column;
        const std::string* text;
    };
    const Store stores[] = {
        {0, &big},    {2, &big},    {1, &bigger}, {2, nullptr},
        {1, nullptr}, {3, &bigger}, {0, nullptr}, {3, nullptr},
    };
    TableRow row(4);
    std::vector<std::string> expected(4);
    for (int column = 0; column < 4; ++column) {
        row.SetCellState(column, 0x100u + static_cast<uint32_t>(column));
        row.SetCellExtent(column, {10 + column, 20});
    }
    for (size_t step = 0; step < std::size(stores); ++step) {
        const Store& s = stores[step];
        const std::string text = s.text ? *s.text : "t" + std::to_string(step);
        row.SetCellText(s.column, text.c_str(), text.size());
        expected[static_cast<size_t>(s.column)] = text;
        const TableRow copy(row);
        const TableRow* const rows[] = {&row, &copy};
        for (const TableRow* r : rows) {
            for (int column = 0; column < 4; ++column) {
                const std::string& want = expected[static_cast<size_t>(column)];
                ASSERT_EQ(r->GetCellLength(column), want.size()) << "step " << step;
                ASSERT_EQ(std::string(r->GetCellText(column)), want) << "step " << step;
                ASSERT_EQ(r->GetCellState(column), 0x100u + static_cast<uint32_t>(column));
                ASSERT_EQ(r->GetCellExtent(column).cx, 10 + column);
            }
        }
    }
}

TEST(SetRowText, GrowsRowHeightsInTransposedMode) {
    RecordingModel model;
    model.InsertColumn(0, MakeColumn("A", 0, 40, 1), 0);
    model.InsertRow(0, nullptr, '\0', 0);
    model.SetTransposed(1);
    model.SetRowText(0, "0123456789", 0, '\0', 0);
    EXPECT_EQ(model.GetRowHeight(0), 76);
    EXPECT_EQ(model.GetColumnWidth(0), model.GetNewRowHeight());
    model.SetRowText(0, std::string(40, 'w').c_str(), 0, '\0', 0);
    EXPECT_EQ(model.GetRowHeight(0), MAX_AUTOSIZE_EXTENT);
    TableRow row;
    model.GetRow(0, row);
    EXPECT_FALSE(row.GetAutoSize());
}

TEST(AutoSizeColumn, FitsTitleAndCellsWithArrowRoomOnSortableTables) {
    for (uint32_t options : {0u, TABLE_SORTABLE}) {
        RecordingModel model(options);
        model.InsertColumn(0, MakeColumn("Title", 0, 40, 0), 0);
        model.InsertRow(0, "abc", '\0', 0);
        EXPECT_EQ(model.AutoSizeColumn(0, 0), 0);            // auto-size off and not forced
        int expected = options ? 3 * 7 + 6 + 24 : 5 * 7 + 6; // cell + arrow, else title
        EXPECT_EQ(model.AutoSizeColumn(0, 1), expected);
        model.SetRowText(0, std::string(40, 'w').c_str(), 0, '\0', 0);
        EXPECT_EQ(model.AutoSizeColumn(0, 1), MAX_AUTOSIZE_EXTENT);
    }
}

TEST(InsertColumn, AppendsAtTheCountAndRefusesBeyond) {
    RecordingModel model;
    AddColumns(model, 2);
    model.InsertRow(0, "a;b", ';', 0);
    model.SetCellState(0, 1, 0x0000FF);
    model.TakeRedraws();

    EXPECT_EQ(model.InsertColumn(3, MakeColumn("X"), 1), 0);
    EXPECT_EQ(model.GetColumnCount(), 2);
    EXPECT_EQ(model.TakeRedraws() & REDRAW_LAYOUT, 0u);

    EXPECT_EQ(model.InsertColumn(1, MakeColumn("M"), 1), 1);
    EXPECT_EQ(model.TakeRedraws(), REDRAW_LAYOUT | REDRAW_PAINT);
    EXPECT_EQ(Cells(model, 0), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(model.GetCellState(0, 1), kWindowText); // added to an existing row
    EXPECT_EQ(model.GetCellState(0, 2), 0x0000FFu);   // moved with its cell

    EXPECT_EQ(model.InsertColumn(3, MakeColumn("Z"), 0), 1);
    EXPECT_EQ(model.GetColumnTitle(3), "Z");
    model.InsertRow(1, nullptr, '\0', 0);
    EXPECT_EQ(model.GetCellState(1, 3), 0u); // cells of a new row start black
}

TEST(Columns, DisplayOrderPutsKeyColumnsFirstAndLeavesHiddenOnesOut) {
    RecordingModel model;
    const uint32_t flags[] = {0, COLUMN_KEY, COLUMN_HIDDEN, COLUMN_KEY | COLUMN_HIDDEN,
                              0, COLUMN_KEY};
    for (uint32_t f : flags) {
        model.InsertColumn(model.GetColumnCount(), MakeColumn("C", f), 0);
    }
    std::vector<int> order;
    for (int p = 0; p < model.GetDisplayedCount(); ++p) {
        order.push_back(model.GetDisplayColumn(p));
    }
    EXPECT_EQ(order, (std::vector<int>{1, 5, 0, 4}));
    EXPECT_EQ(model.GetFrozenCount(), 2);
    EXPECT_EQ(model.GetDisplayColumn(4), -1);

    model.DeleteColumn(1, 0);
    order.clear();
    for (int p = 0; p < model.GetDisplayedCount(); ++p) {
        order.push_back(model.GetDisplayColumn(p));
    }
    EXPECT_EQ(order, (std::vector<int>{4, 0, 3}));
    EXPECT_EQ(model.GetFrozenCount(), 1);
}

TEST(Columns, CopiesLeaveTheMeasuredTitleExtentBehind) {
    RecordingModel model;
    model.InsertColumn(0, MakeColumn("Title"), 0);
    TableColumn out;
    out.SetTitleExtent({1, 2});
    ASSERT_TRUE(model.GetColumn(0, out));
    EXPECT_EQ(out.GetTitle(), "Title");
    EXPECT_EQ(out.GetTitleExtent().cx, 1);
    TableColumn* column = nullptr;
    ASSERT_TRUE(model.GetColumnPtr(0, &column));
    EXPECT_EQ(column->GetTitleExtent().cx, 5 * 7 + 6);
    EXPECT_EQ(model.GetNewRowHeight(), 13 + 6);
}

TEST(Model, BadIndicesChangeNothing) {
    RecordingModel model;
    AddColumns(model, 2);
    model.InsertRow(0, "a;b", ';', 0);
    TableRow row;
    TableColumn column;
    uint32_t states[] = {1, 2};
    EXPECT_EQ(model.InsertRow(2, "x", '\0', 0), 0);
    EXPECT_EQ(model.InsertRow(-1, "x", '\0', 0), 0);
    EXPECT_EQ(model.GetRowCount(), 1);
    EXPECT_EQ(model.GetCellText(1, 0), "");
    EXPECT_EQ(model.GetCellText(0, 2), "");
    EXPECT_EQ(model.GetCellText(-1, 0), "");
    EXPECT_EQ(model.GetColumnTitle(5), "");
    EXPECT_EQ(model.DeleteRow(1, 0), 0);
    EXPECT_EQ(model.DeleteColumn(2, 0), 0);
    EXPECT_EQ(model.GetRow(1, row), 0);
    EXPECT_EQ(model.GetColumn(-1, column), 0);
    EXPECT_EQ(model.SetCellState(0, 2, 1), 0);
    EXPECT_EQ(model.SetCellStates(0, 2, states, 2, ~0u), 0);
    EXPECT_EQ(model.GetRowHeight(3), 0);
    EXPECT_EQ(model.SetRowData(3, 1), 0);
    EXPECT_EQ(model.SelectCell(1, 0, 1), 0);
    EXPECT_EQ(model.SelectCell(0, 2, 1), 0);
    EXPECT_EQ(model.AutoSizeRow(4, 1), 0);
    EXPECT_EQ(model.SetRowKey(1, 1), 0);
    EXPECT_EQ(Cells(model, 0), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(model.GetNextSelectedRow(-1), -1);
}

TEST(Model, SetCellStatesMasksAndStopsAtTheLastColumn) {
    RecordingModel model;
    AddColumns(model, 3);
    model.InsertRow(0, nullptr, '\0', 0);
    for (int c = 0; c < 3; ++c) {
        model.SetCellState(0, c, 0x00FF00FF);
    }
    const uint32_t values[] = {0x0000FFFF, 0x0000FFFF, 0x0000FFFF, 0x0000FFFF};
    EXPECT_EQ(model.SetCellStates(0, 1, values, 4, 0x0000FF00), 1);
    EXPECT_EQ(model.GetCellState(0, 0), 0x00FF00FFu);
    EXPECT_EQ(model.GetCellState(0, 1), 0x00FFFFFFu);
    EXPECT_EQ(model.GetCellState(0, 2), 0x00FFFFFFu);
}

TEST(Selection, SelectsCellsOrWholeRowsAndFindsThemInOrder) {
    for (uint32_t options : {0u, TABLE_ROWSELECT}) {
        RecordingModel model(options);
        AddColumns(model, 3);
        for (int r = 0; r < 4; ++r) {
            model.InsertRow(r, "a;b;c", ';', 0);
        }
        model.SetCellState(2, 0, 0x00ABCDEF);
        model.TakeRedraws();
        EXPECT_EQ(model.SelectCell(2, 1, 1), 1);
        EXPECT_EQ(model.TakeRedraws(), REDRAW_PAINT);
        model.SelectRow(3, 1);
        bool rowSelect = options != 0;
        EXPECT_EQ(model.GetCellState(2, 0) & CELL_SELECTED, rowSelect ? CELL_SELECTED : 0u);
        EXPECT_EQ(model.GetCellState(2, 0) & CELL_COLOR_MASK, 0x00ABCDEFu);
        EXPECT_EQ(model.GetNextSelectedRow(-5), 2);
        EXPECT_EQ(model.GetNextSelectedRow(-1), 2);
        EXPECT_EQ(model.GetNextSelectedRow(2), 3);
        EXPECT_EQ(model.GetNextSelectedRow(3), -1);
        model.SelectCell(3, -1, 0);
        EXPECT_EQ(model.GetNextSelectedRow(2), -1);
        model.ClearSelection();
        EXPECT_EQ(model.GetNextSelectedRow(-1), -1);
        EXPECT_EQ(model.GetCellState(2, 0), 0x00ABCDEFu);
    }
}

TEST(DeleteRow, TellsTheHostWhichRowWent) {
    RecordingModel model;
    AddColumns(model, 2);
    for (int r = 0; r < 4; ++r) {
        model.InsertRow(r, "x", '\0', 0);
    }
    model.TakeRedraws();
    model.DeleteRow(1, 0);
    EXPECT_EQ(model.TakeRedraws(), REDRAW_LAYOUT);
    model.DeleteRow(0, 1);
    EXPECT_EQ(model.TakeRedraws(), REDRAW_LAYOUT | REDRAW_PAINT);
    model.DeleteRow(5, 1);
    model.DeleteAllRows();
    model.DeleteColumn(1, 0);
    EXPECT_EQ(model.deletedRows, (std::vector<int>{1, 0, -1}));
    EXPECT_EQ(model.deletedColumns, (std::vector<int>{1}));
    EXPECT_EQ(model.GetRowCount(), 0);
}

} // namespace
