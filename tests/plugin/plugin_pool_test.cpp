// The plug-in instances behind several node windows: each window's instance has a view of
// its own, and a window closed and opened again gets a view that takes its node.
#include "host/console/plugin_pool.h"
#include "hostapi/tessaran_exports.h"
#include "platform/framework/afx.h"
#include "platform/toolkit/platform_app.h"
#include "platform/toolkit/scripted_ui.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdlib.h>
#include <vector>

namespace {

class PluginPoolTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        PlatformApp::Init();
        platform::SetScriptedUi(TRUE);
    }

    void SetUp() override {
        // No win.ini: the instances load without the conversion module.
        setenv("TESSARAN_WININI", TESSARAN_TEST_BINARY_DIR "/plugin_pool_no_win.ini", 1);
        std::string error;
        ASSERT_TRUE(pool.Load("Tessaran.dll", error)) << error;
        ASSERT_TRUE(frame.Create(nullptr, "Host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 640, 480)));
    }

    void TearDown() override {
        for (auto& tab : tabs) {
            tab->DestroyWindow();
        }
        frame.DestroyWindow();
        EXPECT_TRUE(pool.Unload());
    }

    // What a node window does: a tab window, the view through InitTab, the node.
    HWND Show(PluginHost& plugin, uint32_t node) {
        tabs.push_back(std::make_unique<SECTabWnd>());
        if (!tabs.back()->Create(&frame, WS_CHILD | WS_VISIBLE)) {
            return nullptr;
        }
        CWnd* view = nullptr;
        const HWND hwnd = plugin.InitTab(0, tabs.back().get(), &frame, &view, 0);
        return plugin.SetNode(node, nullptr) ? hwnd : nullptr;
    }

    // What closing a node window does: Close, the tab window with the view goes, the
    // instance goes back.
    void Hide(PluginHost& plugin, size_t tab) {
        EXPECT_TRUE(plugin.Close());
        tabs[tab]->DestroyWindow();
        pool.Give(&plugin);
    }

    PluginPool pool;
    SECMDIFrameWnd frame;
    std::vector<std::unique_ptr<SECTabWnd>> tabs;
};

TEST_F(PluginPoolTest, ThreeNodeWindowsHaveThreeViews) {
    std::vector<PluginHost*> plugins;
    std::vector<HWND> views;
    std::string error;
    for (uint32_t node : {5u, 6u, 7u}) {
        plugins.push_back(pool.Take(node, error));
        ASSERT_NE(plugins.back(), nullptr) << error;
        views.push_back(Show(*plugins.back(), node));
        ASSERT_TRUE(IsWindow(views.back())) << "node " << node;
    }
    EXPECT_EQ(pool.Loaded(), 3u);
    EXPECT_NE(plugins[0]->Module(), plugins[1]->Module());
    EXPECT_NE(plugins[1]->Module(), plugins[2]->Module());
    EXPECT_NE(views[0], views[1]);
    EXPECT_NE(views[1], views[2]);
    EXPECT_NE(views[0], views[2]);

    // Closing the middle one leaves the others' views and tables.
    Hide(*plugins[1], 1);
    EXPECT_FALSE(IsWindow(views[1]));
    for (size_t i : {0u, 2u}) {
        EXPECT_TRUE(IsWindow(views[i]));
        EXPECT_NE(GetDlgItem(views[i], IDC_MATRIX_TABLE), nullptr) << i;
        EXPECT_TRUE(plugins[i]->Command(ID_HOST_UTILIZATION)) << i;
    }
}

TEST_F(PluginPoolTest, AClosedWindowsInstanceServesTheNextWindow) {
    std::string error;
    PluginHost* first = pool.Take(5, error);
    ASSERT_NE(first, nullptr) << error;
    ASSERT_TRUE(IsWindow(Show(*first, 5)));
    Hide(*first, 0);

    // Another node: the free instance, whose new view takes it.
    EXPECT_EQ(pool.Take(6, error), first);
    EXPECT_TRUE(IsWindow(Show(*first, 6)));
    Hide(*first, 1);

    // The same node again: a view that has it would refuse it, so a copy serves.
    PluginHost* again = pool.Take(6, error);
    ASSERT_NE(again, nullptr) << error;
    EXPECT_NE(again, first);
    EXPECT_TRUE(IsWindow(Show(*again, 6))) << "the node opened again is not shown";
    EXPECT_EQ(pool.Loaded(), 2u);

    // The first instance, free, takes any other node.
    EXPECT_EQ(pool.Take(5, error), first);
    EXPECT_TRUE(IsWindow(Show(*first, 5)));
    EXPECT_EQ(pool.Loaded(), 2u);
}

} // namespace
