// Menus: the handle model, and tracked popups answered by the scripted hook.
#include "platform/afx.h"
#include "platform/menu.h"
#include "platform/scripted_ui.h"

#include <gtest/gtest.h>

namespace {

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
