#include "tests/table_window/table_fixture.h"

#include "tests/table_window/matrix_columns.h"

#include "platform/core/timer_clock.h"
#include "platform/toolkit/platform_app.h"

#include <cstdio>
#include <cstring>

int LoggingParent::Count(UINT message) const {
    int count = 0;
    for (const ParentMessage& entry : log) {
        count += entry.message == message;
    }
    return count;
}

std::vector<WPARAM> LoggingParent::Keys() const {
    std::vector<WPARAM> keys;
    for (const ParentMessage& entry : log) {
        if (entry.message == WM_KEYDOWN) {
            keys.push_back(entry.wParam);
        }
    }
    return keys;
}

LRESULT LoggingParent::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    bool table = message == WM_TABLE_LAYOUT || message == WM_NOTIFY || message == WM_KEYDOWN ||
                 message == WM_LBUTTONDBLCLK;
    if (table) {
        ParentMessage entry{message, wParam, lParam, {}, {}, false};
        if (message == WM_NOTIFY) {
            entry.notify = *reinterpret_cast<const TableNotify*>(lParam);
            entry.hasTyped = entry.notify.text != nullptr;
            if (entry.hasTyped) {
                entry.typed = entry.notify.text;
            }
        }
        log.push_back(entry);
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

LRESULT CountingTable::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    paints += message == WM_PAINT;
    return KSCTable::WindowProc(message, wParam, lParam);
}

void TableWindowTest::SetUpTestSuite() {
    PlatformApp::Init();
    TimerClock::UseManualClock(true);
}

void TableWindowTest::SetUp() {
    ASSERT_TRUE(parent.CreateEx(0, "TableParent", "", WS_POPUP | WS_VISIBLE, 0, 0, kParentWidth,
                                kParentHeight, NULL, NULL));
}

void TableWindowTest::TearDown() {
    table.reset();
    parent.DestroyWindow();
    PlatformApp::PumpMessages();
}

void TableWindowTest::MakeTable(UINT options) {
    table = std::make_unique<CountingTable>(&parent, 6301, options, nullptr);
    ASSERT_TRUE(table->GetSafeHwnd());
}

void TableWindowTest::AddMatrixColumns() {
    ::AddMatrixColumns(*table);
}

void TableWindowTest::AddRows(int count) {
    for (int i = 0; i < count; i++) {
        char line[256];
        std::snprintf(line, sizeof line, "%d;00 A0 C9 00 00 %02X;00 10 5A 00 01 %02X;;;%d;%d;%d",
                      i + 1, i & 0xFF, (i * 7) & 0xFF, (i * 37) % 101 * 1000, i, i % 3);
        table->Model().InsertRow(table->Model().GetRowCount(), line, ';', TRUE);
    }
}

void TableWindowTest::Settle() {
    TimerClock::Advance(25);
    PlatformApp::PumpMessages();
}

POINT TableWindowTest::CellCenter(int displayRow, int column) const {
    RECT cell;
    table->GetCellRect(displayRow, column, &cell);
    return POINT{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
}

POINT TableWindowTest::HeaderBorder(int column) const {
    RECT cell;
    table->GetCellRect(table->GetTopRow(), column, &cell);
    return POINT{cell.right, table->GetHeaderHeight() / 2};
}

POINT TableWindowTest::HeaderCenter(int column) const {
    RECT cell;
    table->GetCellRect(table->GetTopRow(), column, &cell);
    return POINT{(cell.left + cell.right) / 2, table->GetHeaderHeight() / 2};
}

LRESULT TableWindowTest::Mouse(UINT message, POINT point, UINT flags) {
    return table->SendMessage(message, flags, MAKELPARAM(point.x, point.y));
}

void TableWindowTest::Click(POINT point, UINT flags) {
    Mouse(WM_LBUTTONDOWN, point, flags | MK_LBUTTON);
    Mouse(WM_LBUTTONUP, point, flags);
}

// As the system delivers it: the second press arrives as the double click.
void TableWindowTest::DoubleClick(POINT point) {
    Click(point);
    Mouse(WM_LBUTTONDBLCLK, point, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, point);
}

void TableWindowTest::Key(UINT key) {
    table->SendMessage(WM_KEYDOWN, key, 1);
}

void TableWindowTest::Char(char c) {
    table->SendMessage(WM_CHAR, static_cast<unsigned char>(c), 1);
}

COLORREF TableWindowTest::Pixel(int x, int y) const {
    CClientDC dc(table.get());
    return dc.GetPixel(x, y);
}

std::vector<int> TableWindowTest::SelectedRows() const {
    std::vector<int> rows;
    for (int row = table->Model().GetNextSelectedRow(-1); row >= 0;
         row = table->Model().GetNextSelectedRow(row)) {
        rows.push_back(row);
    }
    return rows;
}
