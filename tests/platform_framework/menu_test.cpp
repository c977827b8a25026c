// Menus: the handle model, and tracked popups answered by the scripted hook.
#include "framework_test_util.h"
#include "platform/core/window_private.h"
#include "platform/framework/afx.h"
#include "platform/framework/menu.h"
#include "platform/toolkit/platform_app.h"
#include "platform/toolkit/scripted_ui.h"
#include "tests/support/logging_wnd.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

#include <string>

namespace {

using framework_test::W;

// File: Open 1, (grayed) Save 2, separator, Recent > { One 10, Two 11 }
HMENU MakeFileMenu() {
    HMENU recent = CreatePopupMenu();
    AppendMenu(recent, MF_STRING, 10, "One");
    AppendMenu(recent, MF_STRING, 11, "Two");
    HMENU file = CreatePopupMenu();
    AppendMenu(file, MF_STRING, 1, "&Open");
    AppendMenu(file, MF_STRING | MF_GRAYED, 2, "&Save");
    AppendMenu(file, MF_SEPARATOR, 0, nullptr);
    AppendMenu(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), "&Recent");
    return file;
}

TEST(MenuModelTest, ItemsFoundByCommandThroughPopupsAndByPosition) {
    HMENU file = MakeFileMenu();
    HMENU recent = GetSubMenu(file, 3);
    ASSERT_NE(recent, nullptr);
    EXPECT_EQ(GetSubMenu(file, 0), nullptr);
    EXPECT_EQ(GetSubMenu(file, -1), nullptr);

    // EnableMenuItem answers the previous state; by command it reaches into popups.
    EXPECT_EQ(EnableMenuItem(file, 2, MF_BYCOMMAND | MF_ENABLED), UINT{MF_GRAYED});
    EXPECT_EQ(EnableMenuItem(file, 11, MF_BYCOMMAND | MF_GRAYED), UINT{MF_ENABLED});
    EXPECT_EQ(GetMenuState(recent, 1, MF_BYPOSITION), UINT{MF_GRAYED});
    EXPECT_EQ(EnableMenuItem(file, 99, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_EQ(CheckMenuItem(file, 0, MF_BYPOSITION | MF_CHECKED), DWORD{MF_UNCHECKED});
    EXPECT_EQ(GetMenuState(file, 1, MF_BYCOMMAND), UINT{MF_CHECKED});
    EXPECT_EQ(GetMenuState(file, 3, MF_BYPOSITION), UINT{(2 << 8) | MF_POPUP});

    // Inserting by command puts the item before that command, in the popup holding it.
    EXPECT_TRUE(InsertMenu(file, 11, MF_BYCOMMAND | MF_STRING, 12, "One and a half"));
    EXPECT_EQ(GetMenuItemID(recent, 1), 12u);
    EXPECT_EQ(GetMenuItemCount(file), 4);

    char text[5];
    EXPECT_EQ(GetMenuString(file, 1, text, sizeof text, MF_BYCOMMAND), 4);
    EXPECT_STREQ(text, "&Ope");
    EXPECT_EQ(GetMenuString(file, 1, nullptr, 0, MF_BYCOMMAND), 5);
    EXPECT_TRUE(DestroyMenu(file));
}

TEST(MenuModelTest, DestroyedMenusAndTheirPopupsAreStale) {
    HMENU file = MakeFileMenu();
    HMENU recent = GetSubMenu(file, 3);
    CMenu* temporary = CMenu::FromHandle(recent);
    ASSERT_NE(temporary, nullptr);
    EXPECT_EQ(CMenu::FromHandle(recent), temporary);
    ASSERT_TRUE(DestroyMenu(file));

    for (HMENU stale : {file, recent}) {
        EXPECT_FALSE(IsMenu(stale));
        EXPECT_FALSE(DestroyMenu(stale));
        EXPECT_FALSE(AppendMenu(stale, MF_STRING, 5, "x"));
        EXPECT_EQ(GetMenuItemCount(stale), -1);
        EXPECT_EQ(EnableMenuItem(stale, 0, MF_BYPOSITION), static_cast<UINT>(-1));
        EXPECT_EQ(CMenu::FromHandle(stale), nullptr);
    }
    // A new menu may reuse the slot, never the handle.
    HMENU fresh = CreateMenu();
    EXPECT_NE(fresh, file);
    EXPECT_NE(fresh, recent);
    EXPECT_FALSE(AppendMenu(fresh, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), "stale"));
    DestroyMenu(fresh);
}

TEST(MenuModelTest, CMenuOwnsWhatItAttaches) {
    HMENU handle = nullptr;
    {
        CMenu menu;
        ASSERT_TRUE(menu.CreatePopupMenu());
        handle = menu.m_hMenu;
        EXPECT_EQ(CMenu::FromHandle(handle), &menu);
        CMenu other;
        EXPECT_FALSE(other.Attach(handle));
    }
    EXPECT_FALSE(IsMenu(handle));

    CMenu kept;
    ASSERT_TRUE(kept.CreateMenu());
    handle = kept.Detach();
    EXPECT_TRUE(IsMenu(handle));
    EXPECT_NE(CMenu::FromHandle(handle), &kept);
    DestroyMenu(handle);
}

} // namespace

namespace {

using framework_test::Params;
using framework_test::Received;

// A context menu tracked on a top-level owner, answered by the scripted hook.
class TrackMenuTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(owner.CreateTopLevel(CRect(0, 0, 200, 100)));
        PlatformApp::PumpMessages();
        platform::ClearOfferedMenus();
        MessageLog::Clear();
        popup = MakeFileMenu();
    }
    void TearDown() override {
        DestroyMenu(popup);
        platform::ClearOfferedMenus();
        MessageLog::Clear();
    }
    Params Commands() {
        PlatformApp::PumpMessages();
        return Received(owner.m_hWnd, WM_COMMAND);
    }

    LoggingWnd owner;
    HMENU popup = nullptr;
};

TEST_F(TrackMenuTest, ChosenCommandIsPostedToTheOwner) {
    struct {
        const char* name;
        void (*choose)();
        Params commands;
    } const cases[] = {
        {"by command", [] { platform::ChooseMenuCommand(1); }, {{1, 0}}},
        {"by command inside a popup", [] { platform::ChooseMenuCommand(11); }, {{11, 0}}},
        {"by position", [] { platform::ChooseMenuPosition(0); }, {{1, 0}}},
        {"grayed item", [] { platform::ChooseMenuCommand(2); }, {}},
        {"separator", [] { platform::ChooseMenuPosition(2); }, {}},
        {"popup item", [] { platform::ChooseMenuPosition(3); }, {}},
        {"unknown command", [] { platform::ChooseMenuCommand(77); }, {}},
        {"dismissed", [] { platform::DismissNextMenu(); }, {}},
        {"no answer queued", [] {}, {}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        test.choose();
        EXPECT_TRUE(TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, 30, 40, 0, owner.m_hWnd,
                                   nullptr));
        // The owner prepares the popup before it shows; the command comes after it closed.
        EXPECT_EQ(Received(owner.m_hWnd, WM_INITMENUPOPUP), (Params{{W(popup), 0}}));
        EXPECT_EQ(Commands(), test.commands);
        MessageLog::Clear();
    }
}

TEST_F(TrackMenuTest, ReturnCommandPostsNothing) {
    platform::ChooseMenuCommand(10);
    EXPECT_EQ(TrackPopupMenu(popup, TPM_RETURNCMD, 0, 0, 0, owner.m_hWnd, nullptr), 10);
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(TrackPopupMenu(popup, TPM_RETURNCMD, 0, 0, 0, owner.m_hWnd, nullptr), 0);
}

TEST_F(TrackMenuTest, OfferedMenuIsRecorded) {
    platform::ChooseMenuCommand(1);
    CMenu::FromHandle(popup)->TrackPopupMenu(TPM_RIGHTBUTTON, 30, 40, &owner);
    const std::vector<platform::OfferedMenu>& offered = platform::OfferedMenus();
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0].owner, owner.m_hWnd);
    EXPECT_EQ(offered[0].flags, UINT{TPM_RIGHTBUTTON});
    EXPECT_EQ(offered[0].point.x, 30);
    EXPECT_EQ(offered[0].chosen, 1u);
    ASSERT_EQ(offered[0].items.size(), 4u);
    EXPECT_EQ(offered[0].items[1].text, "&Save");
    EXPECT_EQ(offered[0].items[1].state, UINT{MF_GRAYED});
    EXPECT_EQ(offered[0].items[3].state, UINT{MF_POPUP});
    ASSERT_EQ(offered[0].items[3].popup.size(), 2u);
    EXPECT_EQ(offered[0].items[3].popup[1].id, 11u);
}

// The picture of a recorded menu shows its items: more items, a taller picture.
TEST_F(TrackMenuTest, OfferedMenuPictureShowsTheItems) {
    HMENU single = CreatePopupMenu();
    AppendMenu(single, MF_STRING, 1, "&Open");
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, 0, 0, 0, owner.m_hWnd, nullptr);
    TrackPopupMenu(single, TPM_RIGHTBUTTON, 0, 0, 0, owner.m_hWnd, nullptr);
    DestroyMenu(single);
    const std::string path = testing::TempDir() + "offered-menu.png";
    QSize sizes[2];
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(platform::SaveOfferedMenuImage(platform::OfferedMenus()[i], path.c_str()));
        sizes[i] = QImage(QString::fromStdString(path)).size();
    }
    EXPECT_GT(sizes[1].height(), 0);
    EXPECT_GT(sizes[0].height(), sizes[1].height());
    EXPECT_FALSE(platform::SaveOfferedMenuImage(platform::OfferedMenus()[0], "/nonexistent/m.png"));
}

TEST_F(TrackMenuTest, BadMenuOrOwnerFails) {
    HMENU stale = CreatePopupMenu();
    DestroyMenu(stale);
    EXPECT_FALSE(TrackPopupMenu(stale, 0, 0, 0, 0, owner.m_hWnd, nullptr));
    EXPECT_FALSE(TrackPopupMenu(popup, 0, 0, 0, 0, nullptr, nullptr));
    EXPECT_TRUE(platform::OfferedMenus().empty());
}

} // namespace

namespace {

// A frame with a menu bar and a focused window in a child frame, as the console has them.
class MenuBarModeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(frame.Create(nullptr, "Quillon", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 CRect(0, 0, 400, 300)));
        bar = CreateMenu();
        AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(MakeFileMenu()), "&File");
        ASSERT_TRUE(SetMenu(frame.m_hWnd, bar));
        auto* child = new SECWorksheet;
        ASSERT_TRUE(child->Create(nullptr, "child", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                                  CFrameWnd::rectDefault, &frame));
        ASSERT_TRUE(focus.CreateChild(child, 1, CRect(0, 0, 50, 50)));
        focus.SetFocus();
        PlatformApp::PumpMessages();
        MessageLog::Clear();
    }
    void TearDown() override {
        SetMenu(frame.m_hWnd, nullptr);
        DestroyMenu(bar);
        frame.DestroyWindow();
        PlatformApp::PumpMessages();
        MessageLog::Clear();
    }
    QMenuBar* Bar() const {
        return qobject_cast<QMainWindow*>(platform::WindowWidget(frame.m_hWnd))->menuBar();
    }
    // A key pressed and released where the keyboard is (an open popup has it), as Qt
    // delivers it.
    static void Key(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QWidget* popup = QApplication::activePopupWidget();
            QKeyEvent event(type, qtKey, modifiers);
            QApplication::sendEvent(popup != nullptr ? popup : QApplication::focusWidget(), &event);
            PlatformApp::PumpMessages();
        }
    }
    // Pixels of the first title in the highlight colour.
    int Highlighted() const {
        const QImage shown = Bar()->grab().toImage();
        const QRect title = Bar()->actionGeometry(Bar()->actions().first());
        const QRgb highlight = Bar()->palette().color(QPalette::Highlight).rgb();
        int count = 0;
        for (int y = title.top(); y <= title.bottom(); ++y) {
            for (int x = title.left(); x <= title.right(); ++x) {
                count += shown.pixel(x, y) == highlight ? 1 : 0;
            }
        }
        return count;
    }

    SECMDIFrameWnd frame;
    HMENU bar = nullptr;
    LoggingWnd focus;
};

// F10 opens the menu bar's first popup; Escape closes it and leaves the bar with the
// keyboard, its title shown highlighted; F10 there gives the keyboard back, Shift+F10 also
// makes the focus window's context menu.
TEST_F(MenuBarModeTest, F10OpensTheMenuBarAndLeavesItVisibly) {
    QWidget* window = platform::WindowClientWidget(focus.m_hWnd);
    ASSERT_TRUE(window->hasFocus());
    EXPECT_EQ(Highlighted(), 0);
    Key(Qt::Key_F10);
    auto* shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown, Bar()->actions().first()->menu());
    Key(Qt::Key_Escape);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(Bar()->hasFocus());
    EXPECT_GT(Highlighted(), 0);
    Key(Qt::Key_F10);
    EXPECT_TRUE(window->hasFocus());
    EXPECT_EQ(Highlighted(), 0);

    Key(Qt::Key_F10);
    Key(Qt::Key_Escape);
    ASSERT_TRUE(Bar()->hasFocus());
    MessageLog::Clear();
    Key(Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(window->hasFocus());
    EXPECT_EQ(Received(focus.m_hWnd, WM_CONTEXTMENU).size(), 1u);
}

} // namespace
