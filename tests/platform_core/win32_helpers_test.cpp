// Bounded strings, rectangles, system colours and metrics, and cursors.
#include "platform/core/window_private.h"
#include "platform/framework/afx.h"
#include "platform/toolkit/platform_app.h"
#include "tests/support/input_simulator.h"
#include "tests/support/logging_wnd.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(Lstrcpyn, CutsToTheBufferAndAlwaysTerminates) {
    struct Case {
        const char* source;
        int size;
        const char* expected;
    } cases[] = {
        {"hello", 10, "hello"}, {"hello", 6, "hello"}, {"hello", 5, "hell"},
        {"hello", 1, ""},       {"", 4, ""},
    };
    for (const Case& c : cases) {
        char buffer[16];
        memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(lstrcpyn(buffer, c.source, c.size), buffer);
        EXPECT_STREQ(buffer, c.expected) << c.source << " into " << c.size;
        EXPECT_EQ(buffer[c.size], 'x') << "wrote past the buffer";
    }
    char buffer[4] = "abc";
    EXPECT_EQ(lstrcpyn(buffer, "zz", 0), nullptr);
    EXPECT_EQ(lstrcpyn(buffer, nullptr, 4), nullptr);
    EXPECT_EQ(lstrcpyn(nullptr, "zz", 4), nullptr);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(lstrlen(nullptr), 0);
    EXPECT_LT(lstrcmp(nullptr, ""), 0);
    EXPECT_EQ(lstrcmpi("MiXed", "mixed"), 0);
}

TEST(Rectangles, EmptyResultsAreZeroedAndReported) {
    RECT out = {1, 2, 3, 4};
    RECT a = {0, 0, 10, 10};
    RECT b = {10, 0, 20, 10}; // touches a but does not overlap
    EXPECT_FALSE(IntersectRect(&out, &a, &b));
    EXPECT_TRUE(IsRectEmpty(&out));
    EXPECT_EQ(CRect(out), CRect(0, 0, 0, 0));

    RECT empty = {5, 5, 5, 50};
    EXPECT_TRUE(UnionRect(&out, &a, &empty));
    EXPECT_EQ(CRect(out), CRect(a));
    EXPECT_TRUE(UnionRect(&out, &a, &b));
    EXPECT_EQ(CRect(out), CRect(0, 0, 20, 10));

    CRect rect(0, 0, 10, 10);
    EXPECT_TRUE(rect.PtInRect(CPoint(9, 9)));
    EXPECT_FALSE(rect.PtInRect(CPoint(10, 5))); // right and bottom are exclusive
    CRect swapped(10, 20, 0, 5);
    swapped.NormalizeRect();
    EXPECT_EQ(swapped, CRect(0, 5, 10, 20));
}

TEST(SystemValues, ClassicColoursAndMetrics) {
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(192, 192, 192));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(0, 0, 128));
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), RGB(128, 128, 128));
    EXPECT_EQ(GetSysColor(-1), 0u);
    EXPECT_EQ(GetSysColor(25), 0u);

    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
    EXPECT_EQ(GetSystemMetrics(SM_CYHSCROLL), 16);
    EXPECT_EQ(GetSystemMetrics(SM_CXHTHUMB), 16);
    EXPECT_EQ(GetSystemMetrics(SM_CXDRAG), 4);
    EXPECT_EQ(GetSystemMetrics(SM_CYDRAG), 4);
    EXPECT_EQ(GetSystemMetrics(SM_CXEDGE), 2);
    EXPECT_EQ(GetSystemMetrics(SM_CXBORDER), 1);
    EXPECT_EQ(GetSystemMetrics(-5), 0);

    // A system brush is shared and survives DeleteObject.
    HBRUSH brush = GetSysColorBrush(COLOR_BTNFACE);
    ASSERT_NE(brush, nullptr);
    DeleteObject(brush);
    EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), brush);
    LOGBRUSH info;
    EXPECT_NE(GetObject(brush, sizeof info, &info), 0);
    EXPECT_EQ(GetSysColorBrush(99), nullptr);
}

// The cursor a handler sets shows over the window that got the mouse message.
TEST(Cursors, SystemCursorsMapToQtShapes) {
    struct Case {
        LPCSTR id;
        Qt::CursorShape shape;
    } cases[] = {{IDC_ARROW, Qt::ArrowCursor},
                 {IDC_SIZEWE, Qt::SizeHorCursor},
                 {IDC_SIZENS, Qt::SizeVerCursor}};
    LoggingWnd wnd;
    ASSERT_TRUE(wnd.CreateTopLevel(CRect(0, 0, 50, 50)));
    for (const Case& c : cases) {
        HCURSOR cursor = LoadCursor(nullptr, c.id);
        ASSERT_NE(cursor, nullptr);
        wnd.SetHandler([cursor](LoggingWnd&, UINT message, WPARAM, LPARAM, LRESULT&) {
            if (message == WM_MOUSEMOVE) {
                SetCursor(cursor);
            }
            return false;
        });
        input::Move(wnd, 10, 10);
        EXPECT_EQ(GetCursor(), cursor);
        EXPECT_EQ(platform::WindowWidget(wnd)->cursor().shape(), c.shape);
    }
}

} // namespace
