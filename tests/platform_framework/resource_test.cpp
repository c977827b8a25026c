// Module resources: menu templates, images, and the framework's resource chain.
#include "module_events.h"
#include "platform/framework/afx.h"
#include "platform/framework/extension_module.h"
#include "platform/framework/module.h"
#include "platform/framework/resource.h"
#include "platform/gdi/gdi_surface.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

namespace {

std::string MenuText(HMENU menu, int position) {
    char text[64];
    GetMenuString(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    return text;
}

// The label of the first item of the first popup of menu 150 as the framework finds it.
std::string FrameworkMenu150() {
    CMenu menu;
    if (!menu.LoadMenu(150)) {
        return "(none)";
    }
    return MenuText(GetSubMenu(menu.m_hMenu, 0), 0);
}

class ResourceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_a = LoadLibrary("FrameworkTestA.dll");
        m_b = LoadLibrary("FrameworkTestB.dll");
        ASSERT_NE(m_a, nullptr);
        ASSERT_NE(m_b, nullptr);
    }
    void TearDown() override {
        AfxSetResourceHandle(nullptr);
        FreeLibrary(m_b);
        FreeLibrary(m_a);
    }
    HMODULE m_a = nullptr;
    HMODULE m_b = nullptr;
};

TEST_F(ResourceTest, MenuTemplateBuildsNestedPopups) {
    HMENU menu = LoadMenu(m_a, MAKEINTRESOURCE(150));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_EQ(GetMenuItemCount(popup), 5);
    EXPECT_EQ(MenuText(popup, 0), "&Utilization");
    EXPECT_EQ(GetMenuItemID(popup, 0), 32779u);
    EXPECT_EQ(GetMenuState(popup, 32782, MF_BYCOMMAND), UINT{MF_GRAYED});
    EXPECT_EQ(GetMenuState(popup, 2, MF_BYPOSITION), UINT{MF_SEPARATOR});
    EXPECT_EQ(GetMenuItemID(popup, 3), static_cast<UINT>(-1));
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(popup, 3)), 1);
    // After the nested popup ends, its parent level goes on.
    EXPECT_EQ(GetMenuItemID(popup, 4), 32784u);
    EXPECT_TRUE(DestroyMenu(menu));
    EXPECT_FALSE(IsMenu(popup));
}

TEST_F(ResourceTest, MissingResourcesGiveNull) {
    EXPECT_EQ(LoadMenu(m_a, MAKEINTRESOURCE(151)), nullptr);
    EXPECT_EQ(LoadMenu(m_a, "IDR_MATRIX_POPUP"), nullptr);
    EXPECT_EQ(LoadMenu(nullptr, MAKEINTRESOURCE(150)), nullptr);
    EXPECT_EQ(LoadIcon(m_a, MAKEINTRESOURCE(136)), nullptr);
    EXPECT_EQ(LoadBitmap(m_a, MAKEINTRESOURCE(135)), nullptr);
    EXPECT_EQ(LoadMenu(GetModuleHandle(nullptr), MAKEINTRESOURCE(150)), nullptr);
}

TEST_F(ResourceTest, IconsAndBitmapsBecomeGdiObjects) {
    int argc = 0;
    QGuiApplication* app = qGuiApp ? nullptr : new QGuiApplication(argc, nullptr);
    HICON icon = LoadIcon(m_a, MAKEINTRESOURCE(135));
    HBITMAP bitmap = LoadBitmap(m_a, MAKEINTRESOURCE(133));
    ASSERT_NE(icon, nullptr);
    ASSERT_NE(bitmap, nullptr);
    const QImage* image = GdiIconImage(icon);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->size(), QSize(4, 2));
    EXPECT_EQ(image->pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(image->pixelColor(3, 0).alpha(), 0);
    EXPECT_EQ(GdiBitmapImage(bitmap)->size(), QSize(4, 2));
    DestroyIcon(icon);
    DeleteObject(bitmap);
    delete app;
}

TEST_F(ResourceTest, LookupsSearchCurrentHandleThenChain) {
    // The program has no menu 150; the chain's head is the module loaded last.
    EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandle(nullptr));
    EXPECT_EQ(FrameworkMenu150(), "B item");
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(150), RT_MENU), m_b);

    AfxSetResourceHandle(m_a);
    EXPECT_EQ(FrameworkMenu150(), "&Utilization");
    // Menu 200 is only in B: found through the chain behind the current handle.
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(200), RT_MENU), m_b);
    AfxSetResourceHandle(GetModuleHandle(nullptr));
    EXPECT_EQ(FrameworkMenu150(), "B item");
    // A bitmap too: the program has none, an extension module in the chain has.
    CBitmap bitmap;
    EXPECT_TRUE(bitmap.LoadBitmap(133));
}

TEST_F(ResourceTest, UnloadedModuleLeavesChainAndCurrentHandle) {
    AfxSetResourceHandle(m_b);
    ASSERT_TRUE(FreeLibrary(m_b));
    m_b = nullptr;
    // Its extension record is gone with it: neither current handle nor chain names it.
    EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandle(nullptr));
    EXPECT_EQ(FrameworkMenu150(), "&Utilization");
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(200), RT_MENU), GetModuleHandle(nullptr));
    FreeLibrary(m_a);
    m_a = nullptr;
    EXPECT_EQ(FrameworkMenu150(), "(none)");
}

} // namespace
