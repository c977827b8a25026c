// The table window: layout and its scroll records, the message to the parent, redraw
// coalescing, the empty table's paint and the mouse wheel.
#include "tests/table_window/table_fixture.h"

#include "platform/core/timer_clock.h"
#include "platform/toolkit/platform_app.h"

namespace {

const COLORREF kFace = RGB(192, 192, 192);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kShadow = RGB(128, 128, 128);

SCROLLINFO Record(KSCTable& table, int bar) {
    SCROLLINFO info{};
    info.cbSize = sizeof(SCROLLINFO);
    table.GetTableScrollInfo(bar, &info, SIF_ALL);
    return info;
}

} // namespace

// Every layout ends with one WM_USER+1 to the parent, and the scroll records describe what
// fits. The horizontal bar's room is taken from the rows before counting them (one pixel
// when the table shows no bars of its own), and the bars themselves stay hidden then while
// still holding the state that the parent copies.
TEST_F(TableWindowTest, LayoutFillsRecordsAndTellsTheParent) {
    struct Case {
        UINT options;
        int horizontalRoom;
        BOOL barsVisible;
    };
    const int barSize = GetSystemMetrics(SM_CXHTHUMB);
    const Case cases[] = {{TABLE_SORTABLE, barSize, TRUE}, {kMatrixOptions, 1, FALSE}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        MakeTable(c.options);
        AddMatrixColumns();
        AddRows(40);
        parent.log.clear();
        Settle();
        EXPECT_EQ(parent.Count(WM_TABLE_LAYOUT), 1);

        int rowHeight = table->Model().GetRowHeight(0);
        int fit = (kParentHeight - c.horizontalRoom - table->GetHeaderHeight()) / rowHeight;
        SCROLLINFO v = Record(*table, SB_VERT);
        EXPECT_EQ(v.nMin, 0);
        EXPECT_EQ(v.nMax, 39);
        EXPECT_EQ(v.nPage, static_cast<UINT>(fit));
        EXPECT_EQ(v.nPos, 0);
        // Six displayed columns; those that fit beside the vertical bar make the page.
        int right = barSize;
        UINT fitting = 0;
        while (right + table->Model().GetColumnWidth(table->Model().GetDisplayColumn(fitting)) <=
               kParentWidth) {
            right += table->Model().GetColumnWidth(table->Model().GetDisplayColumn(fitting++));
        }
        SCROLLINFO h = Record(*table, SB_HORZ);
        EXPECT_EQ(h.nMax, 5);
        EXPECT_EQ(h.nPage, fitting);

        SCROLLINFO shown{};
        table->GetScrollBarInfo(&shown, SB_VERT);
        EXPECT_EQ(shown.cbSize, sizeof(SCROLLINFO));
        EXPECT_EQ(shown.nMax, 39);
        EXPECT_EQ(shown.nPage, v.nPage);
        EXPECT_EQ(table->GetScrollBarCtrl(SB_VERT)->IsWindowVisible(), c.barsVisible);
        EXPECT_EQ(table->GetScrollBarCtrl(SB_HORZ)->IsWindowVisible(), c.barsVisible);

        table->SetTopRow(5);
        Settle();
        EXPECT_EQ(parent.Count(WM_TABLE_LAYOUT), 2);
        EXPECT_EQ(Record(*table, SB_VERT).nPos, 5);
        table.reset();
    }
}

// Rows that exactly fill the height need no bar; one more row, or a scrolled table, does.
TEST_F(TableWindowTest, VerticalBarOnlyWhenRowsOverflowOrScrolled) {
    struct Case {
        int rows;
        int topRow;
        bool needed;
    };
    const Case cases[] = {{10, 0, false}, {11, 0, true}, {10, 1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows * 10 + c.topRow);
        MakeTable(kMatrixOptions);
        AddMatrixColumns();
        AddRows(c.rows);
        for (int row = 0; row < c.rows; row++) {
            table->Model().SetRowHeight(row, 20, TRUE);
        }
        table->MoveWindow(0, 0, 600, table->GetHeaderHeight() + 10 * 20);
        table->SetTopRow(c.topRow);
        Settle();
        SCROLLINFO v = Record(*table, SB_VERT);
        EXPECT_EQ(v.nMax, c.needed ? c.rows - 1 : 0);
        EXPECT_EQ(v.nPage, c.needed ? static_cast<UINT>(10 - c.topRow) : 0u);
        table.reset();
    }
}

// A table without rows or columns paints a raised empty header across the width and the
// window colour below it; its records stay zeroed.
TEST_F(TableWindowTest, EmptyTablePaintsHeaderAndBackground) {
    MakeTable(kMatrixOptions);
    CFont font;
    font.CreateStockObject(DEFAULT_GUI_FONT);
    table->SetFont(&font, TRUE);
    Settle();
    ASSERT_GE(table->paints, 1);
    int header = table->GetHeaderHeight();
    ASSERT_GT(header, 6);
    EXPECT_EQ(Pixel(kParentWidth / 2, header / 2), kFace);
    EXPECT_EQ(Pixel(kParentWidth / 2, 1), kWhite);           // lit top edge
    EXPECT_EQ(Pixel(kParentWidth / 2, header - 1), kShadow); // shaded bottom edge
    EXPECT_EQ(Pixel(kParentWidth / 2, header + 20), kWhite);
    EXPECT_EQ(Pixel(kParentWidth - 5, kParentHeight - 5), kWhite);
    SCROLLINFO h = Record(*table, SB_HORZ);
    SCROLLINFO v = Record(*table, SB_VERT);
    EXPECT_EQ(h.nMax + h.nPos + static_cast<int>(h.nPage), 0);
    EXPECT_EQ(v.nMax + v.nPos + static_cast<int>(v.nPage), 0);
}

// Any number of changes closer together than 25 ms give one layout and one paint.
TEST_F(TableWindowTest, ChangesWithin25msCoalesce) {
    MakeTable(kMatrixOptions);
    AddMatrixColumns();
    AddRows(20);
    Settle();
    int paints = table->paints;
    parent.log.clear();
    for (int i = 0; i < 30; i++) {
        table->Model().SetRowText(i % 20, "999", 5, 0, TRUE);
        TimerClock::Advance(20);
        PlatformApp::PumpMessages();
    }
    EXPECT_EQ(parent.Count(WM_TABLE_LAYOUT), 0);
    EXPECT_EQ(table->paints, paints);
    Settle();
    EXPECT_EQ(parent.Count(WM_TABLE_LAYOUT), 1);
    EXPECT_EQ(table->paints, paints + 1);
    Settle();
    EXPECT_EQ(parent.Count(WM_TABLE_LAYOUT), 1);
}

// One notch scrolls one row; half a notch scrolls nothing.
TEST_F(TableWindowTest, WheelScrollsWholeNotches) {
    MakeTable(kMatrixOptions);
    AddMatrixColumns();
    AddRows(40);
    Settle();
    struct Step {
        short delta;
        int topRow;
    };
    const Step steps[] = {{-120, 1}, {-60, 1}, {-240, 3}, {120, 2}, {60, 2}, {360, 0}};
    for (const Step& step : steps) {
        table->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, step.delta), MAKELPARAM(50, 50));
        EXPECT_EQ(table->GetTopRow(), step.topRow) << step.delta;
    }
}

// Scroll commands move the rows through the bar's state, within the range.
TEST_F(TableWindowTest, ScrollCommandsMoveTopRow) {
    MakeTable(kMatrixOptions);
    AddMatrixColumns();
    AddRows(40);
    Settle();
    int page = static_cast<int>(Record(*table, SB_VERT).nPage);
    struct Step {
        UINT code;
        UINT position;
        int topRow;
    };
    const Step steps[] = {{SB_LINEDOWN, 0, 1},  {SB_PAGEDOWN, 0, 1 + page},
                          {SB_LINEUP, 0, page}, {SB_THUMBTRACK, 7, 7},
                          {SB_ENDSCROLL, 0, 7}, {SB_BOTTOM, 0, 40 - page},
                          {SB_TOP, 0, 0}};
    for (const Step& step : steps) {
        table->SendMessage(WM_VSCROLL, MAKEWPARAM(step.code, step.position), 0);
        EXPECT_EQ(table->GetTopRow(), step.topRow) << step.code;
    }
}
