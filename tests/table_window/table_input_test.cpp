// Mouse and keyboard on the table window: border drags and double clicks, header sorting,
// clicks and Shift+clicks, the drag distance, keys to the parent and the edit notification.
#include "tests/table_window/table_fixture.h"

#include "common/number_text.h"
#include "platform/toolkit/platform_app.h"

#include <algorithm>
#include <string>

namespace {

const COLORREF kFace = RGB(192, 192, 192);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kShadow = RGB(128, 128, 128);
const COLORREF kHighlight = RGB(0, 0, 128);

constexpr int kIndex = 0;
constexpr int kSource = 1;
constexpr int kDestination = 2;
constexpr int kBytes = 5;
constexpr int kErrors = 7;

} // namespace

class TableInputTest : public TableWindowTest {
  protected:
    void SetUp() override {
        TableWindowTest::SetUp();
        MakeTable(kMatrixOptions);
        AddMatrixColumns();
        AddRows(12);
        Settle();
        parent.log.clear();
    }

    void Drag(POINT from, POINT to) {
        Mouse(WM_LBUTTONDOWN, from, MK_LBUTTON);
        Mouse(WM_MOUSEMOVE, to, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, to);
    }

    int Width(int column) { return table->Model().GetColumnWidth(column); }
    int AutoSize(int column) {
        TableColumn* found = nullptr;
        table->Model().GetColumnPtr(column, &found);
        return found->GetAutoSize();
    }
    long Bytes(int displayRow) {
        long bytes = -1;
        const std::string text =
            table->Model().GetCellText(table->Model().DisplayRowToRow(displayRow), kBytes);
        EXPECT_EQ(ParseWholeInteger(text, bytes), NumberError::kNone) << text;
        return bytes;
    }
};

// A border drag never leaves a column narrower than 5 pixels, and the dragged width sticks:
// longer texts no longer widen the column.
TEST_F(TableInputTest, BorderDragSetsWidthWithFloorAndLatch) {
    struct Case {
        int releaseX;
        int width;
    };
    const Case cases[] = {{80, 80}, {-30, 5}, {3, 5}, {6, 6}};
    for (const Case& c : cases) {
        POINT border = HeaderBorder(kIndex);
        Drag(border, POINT{c.releaseX, border.y});
        EXPECT_EQ(Width(kIndex), c.width) << c.releaseX;
        EXPECT_EQ(AutoSize(kIndex), 0);
        Settle();
    }
    table->Model().SetRowText(0, "123456789012345", kIndex, 0, TRUE);
    EXPECT_EQ(Width(kIndex), 6);
}

// A double click on a border fits the column to its widest cell plus the arrow's room, at
// most 150 pixels, and for good.
TEST_F(TableInputTest, DoubleClickOnBorderFitsColumn) {
    table->Model().SetColumnWidth(kIndex, 200, TRUE);
    Settle();
    DoubleClick(HeaderBorder(kIndex));
    TableColumn* index = nullptr;
    table->Model().GetColumnPtr(kIndex, &index);
    int widest = index->GetTitleExtent().cx;
    for (int i = 0; i < table->Model().GetRowCount(); i++) {
        TableRow row;
        table->Model().GetRow(i, row);
        widest = std::max<int>(widest, row.GetCellExtent(kIndex).cx + 24);
    }
    EXPECT_EQ(Width(kIndex), std::min(widest, 150));
    EXPECT_LT(Width(kIndex), 200);
    EXPECT_EQ(AutoSize(kIndex), 0);

    table->Model().SetRowText(0, std::string(60, 'w').c_str(), kSource, 0, TRUE);
    table->Model().SetColumnWidth(kSource, 60, TRUE);
    Settle();
    DoubleClick(HeaderBorder(kSource));
    EXPECT_EQ(Width(kSource), 150);
    PlatformApp::PumpMessages();
    EXPECT_EQ(parent.Count(WM_LBUTTONDBLCLK), 2);
}

// The first double click on a header sorts largest first under a downward arrow, the second
// smallest first under an upward one; each is passed on to the parent.
TEST_F(TableInputTest, HeaderDoubleClickTogglesSortAndArrow) {
    POINT header = HeaderCenter(kBytes);
    RECT cell;
    table->GetCellRect(0, kBytes, &cell);
    int arrowX = cell.right - 14; // inside the arrow's horizontal edge
    int middle = table->GetHeaderHeight() / 2;

    DoubleClick(header);
    Settle();
    EXPECT_EQ(table->Model().GetSortColumn(), kBytes);
    EXPECT_EQ(table->Model().GetSortMode(), SORT_DESCENDING);
    for (int p = 1; p < table->Model().GetRowCount(); p++) {
        EXPECT_GE(Bytes(p - 1), Bytes(p));
    }
    EXPECT_EQ(Pixel(arrowX, middle - 4), kShadow); // dark top edge
    EXPECT_EQ(Pixel(arrowX, middle + 4), kFace);

    DoubleClick(header);
    Settle();
    EXPECT_EQ(table->Model().GetSortMode(), SORT_ASCENDING);
    for (int p = 1; p < table->Model().GetRowCount(); p++) {
        EXPECT_LE(Bytes(p - 1), Bytes(p));
    }
    EXPECT_EQ(Pixel(arrowX, middle + 4), kWhite); // lit base
    EXPECT_EQ(Pixel(arrowX, middle - 4), kFace);
    PlatformApp::PumpMessages();
    EXPECT_EQ(parent.Count(WM_LBUTTONDBLCLK), 2);
}

// With whole-row selection a click selects the clicked row and a Shift+click every row from
// the anchor to the clicked one; the drawn cells turn to the highlight colour.
TEST_F(TableInputTest, RowSelectClickAndShiftClick) {
    Click(CellCenter(3, kSource));
    EXPECT_EQ(SelectedRows(), (std::vector<int>{3}));
    for (int column = 0; column < table->Model().GetColumnCount(); column++) {
        EXPECT_TRUE(table->Model().GetCellState(3, column) & CELL_SELECTED) << column;
    }
    Click(CellCenter(6, kIndex), MK_SHIFT);
    EXPECT_EQ(SelectedRows(), (std::vector<int>{3, 4, 5, 6}));
    Click(CellCenter(1, kBytes));
    EXPECT_EQ(SelectedRows(), (std::vector<int>{1}));
    Settle();
    RECT selected;
    table->GetCellRect(1, kIndex, &selected);
    EXPECT_EQ(Pixel(selected.right - 2, selected.top + 2), kHighlight);
}

// Moving further than half the system drag distance between press and release cancels a
// click; a smaller tremble does not.
TEST_F(TableInputTest, DragBeyondDragDistanceCancelsClick) {
    struct Case {
        int dx;
        int dy;
        bool selects;
    };
    int half = GetSystemMetrics(SM_CXDRAG) / 2;
    const Case cases[] = {
        {half, 0, true}, {0, -half, true}, {half + 1, 0, false}, {0, half + 1, false}};
    for (const Case& c : cases) {
        table->Model().ClearSelection();
        POINT from = CellCenter(2, kSource);
        Drag(from, POINT{from.x + c.dx, from.y + c.dy});
        EXPECT_EQ(SelectedRows().size(), c.selects ? 1u : 0u) << c.dx << "," << c.dy;
    }
}

// Every key but Left and Right reaches the parent; Up and Down also move the focus.
TEST_F(TableInputTest, KeysPostedToParentExceptLeftRight) {
    Click(CellCenter(0, kSource));
    for (UINT key : {VK_LEFT, VK_DOWN, VK_RIGHT, 0x41, VK_RETURN, VK_UP, VK_SHIFT}) {
        Key(key);
    }
    PlatformApp::PumpMessages();
    EXPECT_EQ(parent.Keys(), (std::vector<WPARAM>{VK_DOWN, 'A', VK_RETURN, VK_UP, VK_SHIFT}));
    EXPECT_EQ(SelectedRows(), (std::vector<int>{0}));
}

// A printable character on a selected focus cell asks the parent to edit it with that
// character; on an unselected one nothing happens; Tab and Enter move the focus instead.
// Clicking the selected focus cell again asks for an edit without a character.
TEST_F(TableInputTest, TypingOnSelectedFocusCellBeginsEdit) {
    POINT cellPoint = CellCenter(2, kSource);
    Click(cellPoint);
    Char('k');
    ASSERT_EQ(parent.Count(WM_NOTIFY), 1);
    const ParentMessage& edit = parent.log.back();
    RECT cell;
    table->GetCellRect(2, kSource, &cell);
    EXPECT_EQ(edit.wParam, 6301u);
    EXPECT_EQ(edit.notify.hdr.code, static_cast<UINT>(TN_BEGINEDIT));
    EXPECT_EQ(edit.notify.hdr.hwndFrom, table->GetSafeHwnd());
    EXPECT_EQ(edit.notify.x, cell.left);
    EXPECT_EQ(edit.notify.y, cell.top);
    EXPECT_EQ(edit.notify.column, kSource);
    EXPECT_EQ(edit.notify.row, 2);
    EXPECT_EQ(edit.typed, "k");

    Char('\t');
    Char('\r');
    EXPECT_EQ(SelectedRows(), (std::vector<int>{3}));
    EXPECT_EQ(parent.Count(WM_NOTIFY), 1);
    table->Model().ClearSelection();
    Char('x');
    EXPECT_EQ(parent.Count(WM_NOTIFY), 1);

    Click(cellPoint);
    Click(cellPoint);
    ASSERT_EQ(parent.Count(WM_NOTIFY), 2);
    EXPECT_FALSE(parent.log.back().hasTyped);
    Mouse(WM_MOUSEMOVE, POINT{cellPoint.x + 10, cellPoint.y});
}

// Regression: Tab put the focus on the hidden address columns (no focus rectangle for two
// presses) and scrolled a scrolled table back to its first column. The focus column shows
// in the edit notification that a typed letter sends.
TEST_F(TableInputTest, TabStepsOverHiddenColumnsAndKeepsTheView) {
    auto focusColumn = [this] {
        Char('z');
        return parent.log.back().notify.column;
    };
    table->SetLeftColumn(2);
    Settle();
    Click(CellCenter(1, kDestination));
    Char('\t');
    EXPECT_EQ(focusColumn(), kBytes);
    EXPECT_EQ(table->GetLeftColumn(), 2);
    for (int press = 0; press < 4; press++) {
        Char('\t');
    }
    EXPECT_EQ(focusColumn(), kErrors) << "Tab stops at the last displayed column";
    EXPECT_EQ(table->GetLeftColumn(), 2);
    EXPECT_EQ(SelectedRows(), (std::vector<int>{1}));
}

// Shift held over arrow presses selects from the row focused when Shift went down to the
// new focus row, clamped at both ends of the table; after Shift's release a press selects
// the one row it lands on.
TEST_F(TableInputTest, ShiftWithArrowsSelectsFromTheAnchor) {
    struct Case {
        int clicked;
        UINT arrow;
        std::vector<int> selected;
    };
    const Case cases[] = {
        {2, VK_DOWN, {2, 3, 4}},
        {5, VK_UP, {3, 4, 5}},
        {1, VK_UP, {0, 1}},
        {10, VK_DOWN, {10, 11}},
    };
    for (const Case& c : cases) {
        Click(CellCenter(c.clicked, kSource));
        Key(VK_SHIFT);
        Key(c.arrow);
        Key(c.arrow);
        EXPECT_EQ(SelectedRows(), c.selected) << c.clicked;
        table->SendMessage(WM_KEYUP, VK_SHIFT, 1);
        Key(c.arrow);
        EXPECT_EQ(SelectedRows().size(), 1u) << c.clicked;
    }
}

// Deleting rows and columns keeps the first row and column shown inside the table, and moves
// a focus at or after the deleted place onto it; a focus before it stays.
TEST_F(TableInputTest, DeletionsKeepTopRowLeftColumnAndFocusInside) {
    // A typed letter names the focus cell when that cell is selected.
    auto focusCell = [this] {
        for (int p = 0; p < table->Model().GetRowCount(); p++) {
            table->Model().SelectRow(p, TRUE);
        }
        Char('z');
        return POINT{parent.log.back().notify.column, parent.log.back().notify.row};
    };
    TableModel& model = table->Model();
    Click(CellCenter(3, kBytes));
    model.DeleteRow(5, TRUE);
    EXPECT_EQ(focusCell().y, 3);
    model.DeleteRow(1, TRUE);
    EXPECT_EQ(focusCell().y, 1);
    model.DeleteColumn(kErrors, TRUE);
    EXPECT_EQ(focusCell().x, kBytes);
    model.DeleteColumn(kIndex, TRUE);
    EXPECT_EQ(focusCell().x, kIndex);

    // Left: Source, Destination, the two hidden addresses, Bytes, Packets.
    table->SetLeftColumn(3);
    model.DeleteColumn(5, TRUE);
    EXPECT_EQ(table->GetLeftColumn(), 3);
    model.DeleteColumn(kIndex, TRUE); // four columns left
    EXPECT_EQ(table->GetLeftColumn(), 3);
    model.DeleteColumn(kIndex, TRUE);
    EXPECT_EQ(table->GetLeftColumn(), 2);

    table->SetTopRow(9);
    model.DeleteRow(0, TRUE); // nine rows left: the top row is still one of them
    EXPECT_EQ(table->GetTopRow(), 8);
    model.DeleteRow(8, TRUE);
    EXPECT_EQ(table->GetTopRow(), 7);
    model.DeleteAllRows();
    EXPECT_EQ(table->GetTopRow(), 0);
}
