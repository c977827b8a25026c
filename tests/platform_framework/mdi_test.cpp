// Multi-document frames: child creation, activation, maximizing, destruction and closing.
#include "framework_test_util.h"
#include "platform/framework/afx.h"
#include "platform/toolkit/platform_app.h"
#include "tests/support/logging_wnd.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QShortcut>

#include <gtest/gtest.h>

#include "platform/core/window_private.h"

namespace {

using framework_test::L;
using framework_test::Params;
using framework_test::Received;
using framework_test::W;

// A child frame that logs its messages and counts deletions.
class LoggingChild : public SECWorksheet {
  public:
    static int deleted;
    ~LoggingChild() override { ++deleted; }

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        MessageLog::Add(LoggedMessage{m_hWnd, message, wParam, lParam});
        return SECWorksheet::WindowProc(message, wParam, lParam);
    }
};

int LoggingChild::deleted = 0;

class MdiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(frame.Create(nullptr, "Quillon", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 CRect(0, 0, 800, 600)));
        PlatformApp::PumpMessages();
        LoggingChild::deleted = 0;
        MessageLog::Clear();
    }
    void TearDown() override {
        frame.DestroyWindow();
        PlatformApp::PumpMessages();
        MessageLog::Clear();
    }
    // A new child frame (deleted by the framework when its window goes).
    HWND NewChild(DWORD style = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW) {
        auto* child = new LoggingChild;
        if (!child->Create(nullptr, "child", style, CFrameWnd::rectDefault, &frame)) {
            delete child;
            return nullptr;
        }
        return child->m_hWnd;
    }

    // A menu bar whose Window popup (Cascade only, before the list) the frame keeps listing
    // its children in; answers the popup, or null when the bar could not be set.
    HMENU WindowMenu() {
        HMENU bar = CreateMenu();
        HMENU window = CreatePopupMenu();
        AppendMenu(window, MF_STRING, ID_WINDOW_CASCADE, "&Cascade");
        AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(window), "&Window");
        if (!SetMenu(frame.m_hWnd, bar)) {
            return nullptr;
        }
        frame.MDISetMenu(window);
        return window;
    }
    void DropWindowMenu() {
        HMENU bar = GetMenu(frame.m_hWnd);
        SetMenu(frame.m_hWnd, nullptr);
        DestroyMenu(bar);
    }

    // Where a child stands in the MDI client.
    static QRect Placed(HWND child) { return platform::WindowWidget(child)->geometry(); }
    QMdiArea* Area() const {
        return qobject_cast<QMdiArea*>(platform::WindowWidget(frame.m_hWndMDIClient));
    }
    HWND Active() const {
        CMDIChildWnd* active = frame.MDIGetActive();
        return active != nullptr ? active->m_hWnd : nullptr;
    }
    // Presses the client's shortcut for `keys` as the keyboard would.
    void Shortcut(const QKeySequence& keys) {
        for (QShortcut* shortcut : Area()->findChildren<QShortcut*>()) {
            if (shortcut->key() == keys) {
                emit shortcut->activated();
            }
        }
        PlatformApp::PumpMessages();
    }

    SECMDIFrameWnd frame;
};

TEST_F(MdiTest, ActivationTellsBothChildren) {
    HWND first = NewChild();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Received(first, WM_MDIACTIVATE), (Params{{0, L(first)}}));
    MessageLog::Clear();

    HWND second = NewChild();
    Params handover{{W(first), L(second)}};
    EXPECT_EQ(Received(first, WM_MDIACTIVATE), handover);
    EXPECT_EQ(Received(second, WM_MDIACTIVATE), handover);
    EXPECT_EQ(frame.GetActiveFrame()->m_hWnd, second);
    MessageLog::Clear();

    frame.MDIActivate(CWnd::FromHandle(first));
    Params back{{W(second), L(first)}};
    EXPECT_EQ(Received(second, WM_MDIACTIVATE), back);
    EXPECT_EQ(Received(first, WM_MDIACTIVATE), back);
    // Activating the active child again sends nothing.
    MessageLog::Clear();
    frame.MDIActivate(CWnd::FromHandle(first));
    EXPECT_TRUE(MessageLog::Messages().empty());
}

TEST_F(MdiTest, CaptionIsShownOnTheChildFrame) {
    HWND child = NewChild();
    QWidget* window = platform::WindowWidget(child);
    EXPECT_EQ(window->windowTitle(), "child");
    CWnd::FromHandle(child)->SetWindowText("Utilization");
    EXPECT_EQ(window->windowTitle(), "Utilization");
}

TEST_F(MdiTest, FrameWithoutChildrenIsItsOwnActiveFrame) {
    EXPECT_EQ(frame.GetActiveFrame(), &frame);
    EXPECT_EQ(frame.MDIGetActive(), nullptr);
    EXPECT_EQ(AfxGetMainWnd(), &frame);
}

TEST_F(MdiTest, MaximizeShowsInStyleAndActiveQuery) {
    HWND child = NewChild();
    EXPECT_FALSE(GetWindowLong(child, GWL_STYLE) & WS_MAXIMIZE);
    frame.MDIMaximize(CWnd::FromHandle(child));
    EXPECT_TRUE(GetWindowLong(child, GWL_STYLE) & WS_MAXIMIZE);
    BOOL maximized = FALSE;
    EXPECT_EQ(frame.MDIGetActive(&maximized)->m_hWnd, child);
    EXPECT_TRUE(maximized);
    frame.MDIRestore(CWnd::FromHandle(child));
    EXPECT_FALSE(GetWindowLong(child, GWL_STYLE) & WS_MAXIMIZE);

    HWND born = NewChild(WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW | WS_MAXIMIZE);
    EXPECT_TRUE(GetWindowLong(born, GWL_STYLE) & WS_MAXIMIZE);
    HWND hidden = NewChild(WS_CHILD | WS_OVERLAPPEDWINDOW);
    EXPECT_FALSE(IsWindowVisible(hidden));
    EXPECT_EQ(frame.MDIGetActive()->m_hWnd, born);
}

// Back in a child, the keys go where they went when it was last active, not to the child
// that had them meanwhile (the table took no keys after a graph window had been active).
TEST_F(MdiTest, ActivationGivesTheFocusBackWhereItWas) {
    HWND node = NewChild();
    CWnd table;
    ASSERT_TRUE(table.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 50),
                             CWnd::FromHandle(node), 1));
    table.SetFocus();
    HWND graph = NewChild();
    EXPECT_EQ(GetFocus(), graph);
    frame.MDIActivate(CWnd::FromHandle(node));
    EXPECT_EQ(GetFocus(), table.m_hWnd);
    EXPECT_TRUE(platform::WindowClientWidget(table.m_hWnd)->hasFocus());
}

// The Window menu lists the shown children in creation order after a separator, the active
// one checked, anew each time a popup opens; choosing one activates it.
TEST_F(MdiTest, WindowMenuListsAndActivatesTheChildren) {
    HMENU window = WindowMenu();
    ASSERT_NE(window, nullptr);
    HWND first = NewChild();
    NewChild(WS_CHILD | WS_OVERLAPPEDWINDOW); // hidden: not listed
    HWND last = NewChild();
    CWnd::FromHandle(last)->SetWindowText("graph");
    for (int round = 0; round < 2; ++round) {
        frame.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(window), 0);
        ASSERT_EQ(GetMenuItemCount(window), 4);
        char text[32] = "";
        GetMenuString(window, 3, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, "&2 graph");
        EXPECT_EQ(GetMenuItemID(window, 2), UINT(AFX_IDM_FIRST_MDICHILD));
        EXPECT_TRUE(GetMenuState(window, 3, MF_BYPOSITION) & MF_CHECKED);
    }
    frame.SendMessage(WM_COMMAND, AFX_IDM_FIRST_MDICHILD);
    EXPECT_EQ(frame.MDIGetActive()->m_hWnd, first);
    DropWindowMenu();
}

TEST_F(MdiTest, DestroyedOrClosedChildIsDeleted) {
    HWND first = NewChild();
    HWND second = NewChild();
    MessageLog::Clear();
    SendMessage(frame.m_hWndMDIClient, WM_MDIDESTROY, W(second), 0);
    PlatformApp::PumpMessages();
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(Received(second, WM_NCDESTROY).size(), 1u);
    EXPECT_EQ(LoggingChild::deleted, 1);

    // The person closes the child: WM_CLOSE, whose default destroys it.
    auto* window = qobject_cast<QMdiSubWindow*>(platform::WindowWidget(first));
    ASSERT_NE(window, nullptr);
    window->close();
    PlatformApp::PumpMessages();
    EXPECT_EQ(Received(first, WM_CLOSE).size(), 1u);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(LoggingChild::deleted, 2);
    EXPECT_EQ(frame.GetActiveFrame(), &frame);
}

// Regression: destroying the active child activated the oldest child (Qt's creation order)
// instead of the one active before it, as Windows does; a console's window list then came
// up over its maximized node window and took the next click.
TEST_F(MdiTest, DestroyingTheActiveChildActivatesTheOneBeforeIt) {
    HWND oldest = NewChild();
    HWND node = NewChild();
    HWND brief = NewChild();
    ASSERT_EQ(frame.MDIGetActive()->m_hWnd, brief);
    SendMessage(frame.m_hWndMDIClient, WM_MDIDESTROY, W(brief), 0);
    PlatformApp::PumpMessages();
    ASSERT_NE(frame.MDIGetActive(), nullptr);
    EXPECT_EQ(frame.MDIGetActive()->m_hWnd, node);
    EXPECT_NE(frame.MDIGetActive()->m_hWnd, oldest);
}

TEST_F(MdiTest, FirstPaneFillsTheChildFrameUnlessMinimised) {
    CWnd* child = CWnd::FromHandle(NewChild());
    ASSERT_NE(child, nullptr);
    CWnd pane;
    CWnd other;
    const CRect small(5, 5, 10, 10);
    ASSERT_TRUE(pane.Create(nullptr, nullptr, WS_CHILD, small, child, AFX_IDW_PANE_FIRST));
    ASSERT_TRUE(other.Create(nullptr, nullptr, WS_CHILD, small, child, AFX_IDW_PANE_FIRST + 1));
    child->MoveWindow(0, 0, 320, 240);
    CRect client;
    child->GetClientRect(&client);
    child->SendMessage(WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(1, 1));
    for (const auto& [window, expected] : {std::pair{&pane, client}, {&other, small}}) {
        CRect placed;
        window->GetWindowRect(&placed);
        child->ScreenToClient(&placed);
        EXPECT_EQ(placed, expected);
    }
}

// A frame made minimised and hidden, its pane laid out then, and shown normal: the pane
// stayed at the minimised size (the "All" window opened blank with its tabs cut short).
TEST_F(MdiTest, ChildMadeMinimisedIsLaidOutWhenShownNormal) {
    CWnd* child = CWnd::FromHandle(NewChild(WS_CHILD | WS_MINIMIZE | WS_OVERLAPPEDWINDOW));
    ASSERT_NE(child, nullptr);
    CWnd pane;
    ASSERT_TRUE(pane.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), child,
                            AFX_IDW_PANE_FIRST));
    static_cast<CFrameWnd*>(child)->RecalcLayout();
    child->ShowWindow(SW_SHOWNORMAL);
    PlatformApp::PumpMessages();
    CRect client;
    child->GetClientRect(&client);
    EXPECT_GT(client.Width(), 400); // three quarters of the frame's 800, less the borders
    CRect placed;
    pane.GetWindowRect(&placed);
    child->ScreenToClient(&placed);
    EXPECT_EQ(placed, client);
}

// Each new child goes one caption lower and to the right of the active one, both ways, also
// when the active one is maximised (it counts where it comes back to when restored), and
// back at the corner when the next place would not fit.
TEST_F(MdiTest, NewChildGoesOneCaptionDownAndRight) {
    HWND first = NewChild();
    HWND second = NewChild();
    EXPECT_EQ(Placed(first).topLeft(), QPoint(0, 0));
    EXPECT_EQ(Placed(second).topLeft(), QPoint(24, 24));
    EXPECT_EQ(Placed(second).size(), QSize(600, 450)); // three quarters of 800 x 600
    frame.MDIMaximize(CWnd::FromHandle(second));
    HWND third = NewChild(); // maximised as the active one was: restored, it shows where
    frame.MDIRestore(CWnd::FromHandle(third));
    EXPECT_EQ(Placed(third).topLeft(), QPoint(48, 48));
    struct Case {
        QPoint active;
        QPoint placed;
    };
    const Case cases[] = {
        {{176, 126}, {200, 150}}, // ends at 800 x 600 exactly
        {{177, 126}, {0, 0}},     // one pixel too far right
        {{176, 127}, {0, 0}},     // one pixel too low
    };
    for (const Case& c : cases) {
        frame.MDIActivate(CWnd::FromHandle(third));
        CWnd::FromHandle(third)->MoveWindow(c.active.x(), c.active.y(), 600, 450);
        EXPECT_EQ(Placed(NewChild()).topLeft(), c.placed) << c.active.x() << "," << c.active.y();
    }
}

// Ctrl+F6 activates the child under the active one and sends that one to the bottom;
// Ctrl+Shift+F6 activates the bottom one. With three children the two ways differ.
TEST_F(MdiTest, CtrlF6AndCtrlShiftF6GoOppositeWays) {
    const HWND a = NewChild();
    const HWND b = NewChild();
    const HWND c = NewChild();
    struct Step {
        QKeySequence keys;
        HWND active;
    };
    const Step steps[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_F6), b},             // z-order c b a -> b a c
        {QKeySequence(Qt::CTRL | Qt::Key_F6), a},             // -> a c b
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6), b}, // the bottom one
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6), c},
    };
    ASSERT_EQ(Active(), c);
    for (const Step& step : steps) {
        Shortcut(step.keys);
        EXPECT_EQ(Active(), step.active) << step.keys.toString().toStdString();
    }
}

// Cascaded, eleven children fit in one diagonal: each caption shows, and the active one
// ends last, in front, one step from the one before it in both directions.
TEST_F(MdiTest, CascadeEndsWithTheActiveChildInFront) {
    std::vector<HWND> children;
    for (int i = 0; i < 11; ++i) {
        children.push_back(NewChild());
    }
    frame.MDIActivate(CWnd::FromHandle(children[4]));
    frame.MDIMaximize(CWnd::FromHandle(children[4]));
    frame.MDICascade();
    const std::vector<HWND> order = frame.MDIGetChildren();
    ASSERT_EQ(order.size(), 11u);
    EXPECT_EQ(order.front(), children[4]);
    EXPECT_EQ(Active(), children[4]);
    EXPECT_FALSE(IsZoomed(children[4]));
    EXPECT_EQ(Placed(order[0]).topLeft(), Placed(order[1]).topLeft() + QPoint(24, 24));
    EXPECT_EQ(Placed(order[0]).topLeft(), QPoint(240, 240));
    EXPECT_EQ(Placed(order[10]).topLeft(), QPoint(0, 0));
    for (size_t i = 0; i < order.size(); ++i) {
        const QPoint caption = Placed(order[i]).topLeft() + QPoint(10, 10);
        for (size_t above = 0; above < i; ++above) {
            EXPECT_FALSE(Placed(order[above]).contains(caption)) << i << " under " << above;
        }
    }
}

// A minimised active child gives activation to the one active before it; the icons sit
// side by side, and Arrange Icons puts them in a row in front of a window covering them.
TEST_F(MdiTest, MinimisedChildrenLeaveActivationAndStayInSight) {
    HWND cover = NewChild();
    HWND first = NewChild();
    HWND second = NewChild();
    ShowWindow(second, SW_MINIMIZE);
    PlatformApp::PumpMessages();
    EXPECT_EQ(Active(), first);
    EXPECT_NE(Area()->activeSubWindow(), platform::WindowWidget(second));
    ShowWindow(first, SW_MINIMIZE);
    PlatformApp::PumpMessages();
    EXPECT_EQ(Active(), cover);
    EXPECT_FALSE(Placed(first).intersects(Placed(second)));
    CWnd::FromHandle(cover)->MoveWindow(0, 0, 800, 600);
    frame.MDIIconArrange();
    const std::vector<HWND> order = frame.MDIGetChildren();
    EXPECT_EQ(order.back(), cover);
    EXPECT_EQ(Placed(first).left(), 0);
    EXPECT_EQ(Placed(second).left(), Placed(first).right() + 1);
    EXPECT_EQ(Placed(second).bottom(), Area()->viewport()->height() - 1);
}

// Children past the edges of the area are reached by its scroll bars, both ways.
TEST_F(MdiTest, AreaScrollsToChildrenPastItsEdges) {
    HWND child = NewChild();
    CWnd::FromHandle(child)->MoveWindow(700, 550, 300, 200);
    PlatformApp::PumpMessages();
    QMdiArea* area = Area();
    for (QScrollBar* bar : {area->horizontalScrollBar(), area->verticalScrollBar()}) {
        EXPECT_TRUE(bar->isVisible());
        EXPECT_GT(bar->maximum(), 0);
    }
    CWnd::FromHandle(child)->MoveWindow(10, 10, 300, 200);
    PlatformApp::PumpMessages();
    EXPECT_FALSE(area->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(area->verticalScrollBar()->isVisible());
}

// Past nine children the Window menu ends with "More Windows...", the active child taking
// the ninth place when it is later, checked wherever it is listed.
TEST_F(MdiTest, MoreWindowsListsEveryChild) {
    HMENU window = WindowMenu();
    ASSERT_NE(window, nullptr);
    std::vector<HWND> children;
    for (int i = 0; i < 11; ++i) {
        children.push_back(NewChild());
        CWnd::FromHandle(children.back())->SetWindowText(("w" + std::to_string(i)).c_str());
    }
    auto text = [window](int position) {
        char shown[64] = "";
        GetMenuString(window, UINT(position), shown, sizeof shown, MF_BYPOSITION);
        return std::string(shown);
    };
    frame.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(window), 0);
    ASSERT_EQ(GetMenuItemCount(window), 12); // Cascade, separator, nine, More Windows...
    EXPECT_EQ(text(2), "&1 w0");
    EXPECT_EQ(text(10), "&9 w10");
    EXPECT_TRUE(GetMenuState(window, 10, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_EQ(text(11), "&More Windows...");

    EXPECT_EQ(GetMenuItemID(window, 11), UINT(AFX_IDM_FIRST_MDICHILD + 9));
    frame.MDIActivate(CWnd::FromHandle(children[2]));
    frame.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(window), 0);
    EXPECT_EQ(text(10), "&9 w8");
    EXPECT_TRUE(GetMenuState(window, 4, MF_BYPOSITION) & MF_CHECKED); // "&3 w2"
    EXPECT_FALSE(GetMenuState(window, 10, MF_BYPOSITION) & MF_CHECKED);
    DropWindowMenu();
}

// A pane whose child frame a maximised child covers, or that is minimised, gets no WM_PAINT
// and holds no image until it shows again; then it is painted and shows what it drew. A
// pane in front, or only partly covered, paints at once.
TEST_F(MdiTest, CoveredOrMinimisedPanesPaintWhenTheyShowAgain) {
    COLORREF color = RGB(255, 0, 0);
    LoggingWnd pane([&color](LoggingWnd& self, UINT message, WPARAM, LPARAM, LRESULT&) {
        if (message != WM_PAINT) {
            return false;
        }
        PAINTSTRUCT paint;
        self.BeginPaint(&paint);
        HBRUSH brush = CreateSolidBrush(color);
        FillRect(paint.hdc, &paint.rcPaint, brush);
        DeleteObject(brush);
        self.EndPaint(&paint);
        return true;
    });
    HWND below = NewChild();
    ASSERT_TRUE(pane.CreateChild(CWnd::FromHandle(below), 1, CRect(0, 0, 100, 80)));
    HWND above = NewChild(); // one caption down and right: below shows around it
    auto paintsAfter = [&pane](COLORREF next, COLORREF& color) {
        color = next;
        PlatformApp::PumpMessages();
        MessageLog::Clear();
        pane.Invalidate(FALSE);
        PlatformApp::PumpMessages();
        return Received(pane.m_hWnd, WM_PAINT).size();
    };
    auto shown = [&pane] { return platform::WindowImage(pane.m_hWnd)->pixel(50, 40); };
    EXPECT_EQ(paintsAfter(RGB(0, 0, 255), color), 1u) << "partly covered";
    EXPECT_EQ(shown(), qRgb(0, 0, 255));

    frame.MDIMaximize(CWnd::FromHandle(above));
    EXPECT_EQ(paintsAfter(RGB(0, 255, 0), color), 0u) << "under a maximised child";
    EXPECT_TRUE(platform::LookupWindow(pane.m_hWnd)->image.isNull()) << "image kept";
    frame.MDIActivate(CWnd::FromHandle(below));
    PlatformApp::PumpMessages();
    EXPECT_EQ(Received(pane.m_hWnd, WM_PAINT).size(), 1u) << "brought forward";
    EXPECT_EQ(shown(), qRgb(0, 255, 0));
    EXPECT_EQ(paintsAfter(RGB(255, 0, 0), color), 1u) << "maximised in front";

    frame.MDIRestore(CWnd::FromHandle(below));
    ShowWindow(below, SW_MINIMIZE);
    EXPECT_EQ(paintsAfter(RGB(0, 0, 0), color), 0u) << "minimised";
    EXPECT_TRUE(platform::LookupWindow(pane.m_hWnd)->image.isNull()) << "image kept";
    frame.MDIRestore(CWnd::FromHandle(below));
    PlatformApp::PumpMessages();
    EXPECT_EQ(Received(pane.m_hWnd, WM_PAINT).size(), 1u) << "restored";
    EXPECT_EQ(shown(), qRgb(0, 0, 0));
    pane.DestroyWindow();
}

// Children that gave their images back under a maximised child are laid out anew when Tile
// resizes them: each first pane fills its frame's new client area (a graph kept its old size
// and showed its legends outside the window).
TEST_F(MdiTest, CoveredChildrenFollowTile) {
    std::vector<std::pair<CWnd*, std::unique_ptr<CWnd>>> children;
    for (int i = 0; i < 3; ++i) {
        CWnd* child = CWnd::FromHandle(NewChild());
        auto pane = std::make_unique<CWnd>();
        ASSERT_TRUE(pane->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 5, 5), child,
                                 AFX_IDW_PANE_FIRST));
        children.emplace_back(child, std::move(pane));
    }
    frame.MDIMaximize(children.back().first);
    PlatformApp::PumpMessages();
    ASSERT_TRUE(platform::LookupWindow(children.front().second->m_hWnd)->imageReleased);
    frame.MDITile();
    PlatformApp::PumpMessages();
    for (const auto& [child, pane] : children) {
        CRect client;
        child->GetClientRect(&client);
        CRect placed;
        pane->GetWindowRect(&placed);
        child->ScreenToClient(&placed);
        EXPECT_EQ(std::pair(placed.Width(), placed.Height()),
                  std::pair(client.Width(), client.Height()));
    }
}

TEST(MdiClassTest, RunTimeClassesNameTheirBases) {
    std::unique_ptr<CObject> made(RUNTIME_CLASS(SECWorksheet)->CreateObject());
    ASSERT_NE(made, nullptr);
    EXPECT_STREQ(made->GetRuntimeClass()->m_lpszClassName, "SECWorksheet");
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CMDIChildWnd)));
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CFrameWnd)));
    EXPECT_FALSE(made->IsKindOf(RUNTIME_CLASS(CMDIFrameWnd)));
    SECMDIFrameWnd frame;
    EXPECT_TRUE(frame.IsKindOf(RUNTIME_CLASS(CMDIFrameWnd)));
    // The downcast answers the object as the class it is, or of a base, and NULL otherwise.
    EXPECT_EQ(DYNAMIC_DOWNCAST(CFrameWnd, made.get()), made.get());
    EXPECT_EQ(DYNAMIC_DOWNCAST(CMDIChildWnd, made.get()), made.get());
    EXPECT_EQ(DYNAMIC_DOWNCAST(CMDIFrameWnd, made.get()), nullptr);
    EXPECT_EQ(DYNAMIC_DOWNCAST(CMDIFrameWnd, static_cast<CObject*>(nullptr)), nullptr);
    EXPECT_EQ(DYNAMIC_DOWNCAST(CMDIFrameWnd, &frame), &frame);
    // Without a frame to live in, a child frame is not created.
    SECWorksheet orphan;
    EXPECT_FALSE(orphan.Create(nullptr, "orphan"));
}

} // namespace
