// What a host reads of the table and how it drives it: the report (WM_GETREPORT), the cell
// rectangles (WM_GETCELLRECT), and the console's TableDriver sorting and selecting through
// them with clicks.
#include "host/console/script/table_driver.h"
#include "tests/table_window/table_fixture.h"

#include <algorithm>
#include <cstdlib>

namespace {

std::string Report(CWnd& table, WPARAM size) {
    std::string buffer(size, '#');
    const LRESULT length =
        table.SendMessage(WM_GETREPORT, size, reinterpret_cast<LPARAM>(buffer.data()));
    return std::to_string(length) + ":" + buffer.substr(0, buffer.find('\0'));
}

RECT CellRect(CWnd& table, WPARAM row, int column, LRESULT* shown) {
    RECT rect{column, 0, 0, 0};
    *shown = table.SendMessage(WM_GETCELLRECT, row, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

} // namespace

// Titles, then the rows in display order with every cell, hidden ones too; a tab inside a
// text becomes a blank, so a line always has eight fields. A short buffer gets the start.
TEST_F(TableWindowTest, ReportIsTheTableInDisplayOrderTabSeparated) {
    MakeTable(kMatrixOptions);
    AddMatrixColumns();
    table->Model().InsertRow(0, "1;a\tb;c;A;C;20;2;0", ';', TRUE);
    table->Model().InsertRow(1, "2;d;e;D;E;300;3;1", ';', TRUE);
    table->Model().SetSortColumn(5, SORT_DESCENDING);
    const std::string report = "Index\tSource\tDestination\tSource\tDestination\tBytes\tPackets\t"
                               "Errors\n"
                               "2\td\te\tD\tE\t300\t3\t1\n"
                               "1\ta b\tc\tA\tC\t20\t2\t0\n";
    const std::string length = std::to_string(report.size());
    EXPECT_EQ(table->SendMessage(WM_GETREPORT, 0, 0), LRESULT(report.size()));
    EXPECT_EQ(Report(*table, report.size() + 1), length + ":" + report);
    EXPECT_EQ(Report(*table, 6), length + ":Index");
}

// A cell is where painting puts it; a header cell spans the header; hidden columns and rows
// out of sight have no rectangle until they are scrolled in.
TEST_F(TableWindowTest, CellRectanglesAreWherePaintingPutsTheCells) {
    MakeTable(kMatrixOptions);
    AddMatrixColumns();
    AddRows(40);
    Settle();
    LRESULT shown = 0;
    RECT expected{};
    table->GetCellRect(1, 5, &expected);
    EXPECT_TRUE(SameRect(CellRect(*table, 1, 5, &shown), expected));
    EXPECT_TRUE(shown);

    const RECT header = CellRect(*table, CELLRECT_HEADER, 5, &shown);
    EXPECT_TRUE(shown);
    EXPECT_EQ(header.left, expected.left);
    EXPECT_EQ(header.right, expected.right);
    EXPECT_EQ(header.top, 0);
    EXPECT_EQ(header.bottom, table->GetHeaderHeight());

    for (WPARAM row : {WPARAM(1), CELLRECT_HEADER}) {
        CellRect(*table, row, 3, &shown);
        EXPECT_FALSE(shown) << "hidden column, row " << row;
    }
    CellRect(*table, 39, 0, &shown);
    EXPECT_FALSE(shown) << "below the window";
    CellRect(*table, 40, 0, &shown);
    EXPECT_FALSE(shown) << "no such row";
    table->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30), 0);
    CellRect(*table, 39, 0, &shown);
    EXPECT_TRUE(shown) << "scrolled into view";
}

// The console's script commands: a double click on a header sorts, a header click clears
// the selection and Ctrl-clicks select rows, scrolling to one out of sight.
TEST_F(TableWindowTest, HostDriverSortsAndSelectsThroughClicks) {
    MakeTable(kMatrixOptions);
    AddMatrixColumns();
    AddRows(40);
    Settle();
    TableDriver driver(parent.GetSafeHwnd(), 6301);
    ASSERT_TRUE(driver.IsOpen());
    EXPECT_FALSE(TableDriver(parent.GetSafeHwnd(), 6302).IsOpen());
    EXPECT_EQ(driver.Titles().size(), 8u);
    EXPECT_EQ(driver.RowCount(), 40);
    EXPECT_EQ(driver.ColumnByName("Bytes"), 5);
    EXPECT_EQ(driver.ColumnByName("7"), 7);
    EXPECT_EQ(driver.ColumnByName("8"), -1);
    EXPECT_EQ(driver.ColumnByName("Nothing"), -1);

    EXPECT_FALSE(driver.DoubleClickHeader(3)) << "a hidden column has no header";
    ASSERT_TRUE(driver.DoubleClickHeader(5));
    EXPECT_EQ(table->Model().GetSortColumn(), 5);
    EXPECT_EQ(table->Model().GetSortMode(), SORT_DESCENDING);
    ASSERT_TRUE(driver.DoubleClickHeader(5));
    EXPECT_EQ(table->Model().GetSortMode(), SORT_ASCENDING) << "a second double click toggles";

    table->Model().SelectRow(7, TRUE);
    ASSERT_TRUE(driver.ClearSelection());
    EXPECT_TRUE(SelectedRows().empty());
    for (int row : {0, 2, 35}) {
        ASSERT_TRUE(driver.CtrlClickRow(row)) << row;
    }
    EXPECT_FALSE(driver.CtrlClickRow(40));
    std::vector<int> expected = {table->Model().DisplayRowToRow(0),
                                 table->Model().DisplayRowToRow(2),
                                 table->Model().DisplayRowToRow(35)};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(SelectedRows(), expected);
}

// The CSV export: shown columns in display order, then the hidden address columns, quoted
// where RFC 4180 wants it; rows in display order. The column order message answers the
// shown columns only, scrolled ones included.
TEST_F(TableWindowTest, HostDriverExportsTheTableAsCsv) {
    MakeTable(kMatrixOptions);
    AddMatrixColumns();
    table->Model().InsertRow(0, "1;Acme, Inc;say \"hi\";A;C;20;2;0", ';', TRUE);
    table->Model().InsertRow(1, "2;d;e;D;E;300;3;", ';', TRUE);
    table->Model().SetSortColumn(5, SORT_DESCENDING);
    table->SetLeftColumn(2);
    Settle();
    TableDriver driver(parent.GetSafeHwnd(), 6301);
    EXPECT_EQ(driver.ColumnOrder(), (std::vector<int>{0, 1, 2, 5, 6, 7}));
    int first = -1;
    EXPECT_EQ(table->SendMessage(WM_GETCOLUMNORDER, 1, reinterpret_cast<LPARAM>(&first)), 6);
    EXPECT_EQ(first, 0) << "a short buffer gets the leftmost";
    EXPECT_EQ(driver.Csv(), "Index,Source,Destination,Bytes,Packets,Errors,Source address,"
                            "Destination address\r\n"
                            "2,d,e,300,3,,D,E\r\n"
                            "1,\"Acme, Inc\",\"say \"\"hi\"\"\",20,2,0,A,C\r\n");
    // The hidden columns' titles in the language of the titles: one language per title.
    setenv("LANGUAGE", "zh_CN", 1);
    const std::string titles = driver.Csv().substr(0, driver.Csv().find('\r'));
    unsetenv("LANGUAGE");
    EXPECT_EQ(titles.substr(titles.find("Errors,")),
              "Errors,Source（物理地址）,Destination（物理地址）");
}
