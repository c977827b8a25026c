// A small host for libtessaran.so: it loads the library through the platform's
// LoadLibrary with a prepared win.ini, builds a frame and a tab window and calls
// the exports in the order the host does.
#include "host/console/plugin_host.h"
#include "hostapi/convert_mapped_address.h"
#include "hostapi/ksmem32.h"
#include "hostapi/tessaran_exports.h"
#include "platform/framework/afx.h"
#include "platform/framework/module.h"
#include "platform/framework/resource.h"
#include "platform/toolkit/platform_app.h"
#include "platform/toolkit/scripted_ui.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fstream>
#include <stdlib.h>

namespace {

std::vector<std::string> g_openedPaths;

void* RecordingOpen(const char* path) {
    g_openedPaths.push_back(path);
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}

const platform::ModuleLoader kRecordingLoader = {
    &RecordingOpen, [](void* handle, const char* name) { return dlsym(handle, name); },
    [](void* handle) { return dlclose(handle); }};

// An export by name, in its own type.
template <typename Proc> Proc ProcAs(HMODULE module, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

const std::string kBuildDir = TESSARAN_TEST_BINARY_DIR;
const std::string kRecordingDir = kBuildDir + "/recording_sibling";
const std::string kWithoutFunctionDir = kBuildDir + "/sibling_without_function";

// The conversion module that records its calls, reached the way the plug-in
// reaches it.
struct RecordingSibling {
    RecordingSibling() : module(LoadLibrary((kRecordingDir + "\\Parlance.dll").c_str())) {}
    ~RecordingSibling() { FreeLibrary(module); }
    std::vector<int> Commands() const {
        auto command = ProcAs<int (*)(int)>(module, "RecordedCommand");
        std::vector<int> commands;
        for (int i = 0; command(i) != -1; ++i) {
            commands.push_back(command(i));
        }
        return commands;
    }
    bool Consistent() const { return ProcAs<int (*)()>(module, "RecordedCallsConsistent")(); }
    void Clear() const { ProcAs<void (*)()>(module, "ClearRecordedCommands")(); }
    HMODULE module;
};

std::vector<std::string> MessageTexts() {
    std::vector<std::string> texts;
    for (const platform::MessageBoxRecord& record : platform::MessageBoxRecords()) {
        texts.push_back(record.text);
    }
    return texts;
}

class PluginTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        PlatformApp::Init();
        platform::SetScriptedUi(TRUE);
    }

    void SetUp() override {
        g_openedPaths.clear();
        platform::ClearMessageBoxRecords();
        platform::SetModuleLoader(&kRecordingLoader);
        sibling.Clear();
    }

    void TearDown() override {
        DestroyHostWindows();
        EXPECT_TRUE(plugin.Unload());
        platform::SetModuleLoader(nullptr);
    }

    // Loads the plug-in with a win.ini of the given text, or with none.
    void Load(const char* iniText) {
        const std::string path = kBuildDir + "/plugin_test_win.ini";
        remove(path.c_str());
        if (iniText != nullptr) {
            std::ofstream(path) << iniText;
        }
        setenv("TESSARAN_WININI", path.c_str(), 1);
        g_openedPaths.clear();
        std::string error;
        ASSERT_TRUE(plugin.Load("Tessaran.dll", error)) << error;
    }

    void LoadWithRecordingSibling() {
        Load(("[Quillon Network Manager]\nDir=" + kRecordingDir).c_str());
    }

    void CreateHostWindows() {
        frame = std::make_unique<SECMDIFrameWnd>();
        ASSERT_TRUE(frame->Create(nullptr, "Host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 640, 480)));
        tabs = std::make_unique<SECTabWnd>();
        ASSERT_TRUE(tabs->Create(frame.get(), WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL));
    }

    // The host destroys its tab window (and with it the view window) before it
    // unloads the plug-in.
    void DestroyHostWindows() {
        if (tabs != nullptr) {
            tabs->DestroyWindow();
            tabs.reset();
        }
        if (frame != nullptr) {
            frame->DestroyWindow();
            frame.reset();
        }
    }

    HWND ShowTab(CWnd* frameArgument, CWnd** viewOut = nullptr) {
        CWnd* view = nullptr;
        const HWND hwnd =
            plugin.InitTab(0, tabs.get(), frameArgument, viewOut ? viewOut : &view, 0);
        return hwnd;
    }

    RecordingSibling sibling;
    PluginHost plugin;
    std::unique_ptr<SECMDIFrameWnd> frame;
    std::unique_ptr<SECTabWnd> tabs;
};

struct IniCase {
    const char* name;
    std::string ini;        // win.ini text; empty: no file
    std::string moduleName; // the Windows name the plug-in must try
    bool boundToRecorder;
};

class PluginIniTest : public PluginTest, public ::testing::WithParamInterface<IniCase> {};

TEST_P(PluginIniTest, WinIniNamesTheConversionModule) {
    const IniCase& c = GetParam();
    Load(c.ini.empty() ? nullptr : c.ini.c_str());
    // A bare name is tried in the library folder first, where the build puts libparlance.so.
    const std::string expected = platform::ModulePathFromName(c.moduleName.c_str());
    const std::string inLibraryFolder = platform::LibraryFolder() + "/" + expected;
    EXPECT_TRUE(std::any_of(
        g_openedPaths.begin(), g_openedPaths.end(),
        [&](const std::string& path) { return path == expected || path == inLibraryFolder; }))
        << expected;
    // Close before any InitTab reaches only the conversion module, when it is bound.
    EXPECT_TRUE(plugin.Close());
    EXPECT_EQ(sibling.Commands(),
              c.boundToRecorder ? std::vector<int>{CONVERT_UNREGISTER} : std::vector<int>{});
    EXPECT_TRUE(platform::MessageBoxRecords().empty());
}

const std::string kSection = "[Quillon Network Manager]\n";

INSTANTIATE_TEST_SUITE_P(
    Sections, PluginIniTest,
    ::testing::Values(
        IniCase{"DirFirst", kSection + "Dir=" + kRecordingDir + "\nLanguage=en\n",
                kRecordingDir + "\\Parlance.dll", true},
        IniCase{"DirNotFirst", kSection + "Language=en\nDir=" + kRecordingDir + "\n",
                "Parlance.dll", false},
        IniCase{"EmptyDir", kSection + "Dir=\n", "Parlance.dll", false},
        IniCase{"NoSection", "[Other]\nDir=" + kRecordingDir + "\n", "Parlance.dll", false},
        IniCase{"NoFile", "", "Parlance.dll", false},
        IniCase{"SiblingMissing", kSection + "Dir=" + kBuildDir + "/nowhere\n",
                kBuildDir + "/nowhere\\Parlance.dll", false},
        IniCase{"SiblingWithoutFunction", kSection + "Dir=" + kWithoutFunctionDir + "\n",
                kWithoutFunctionDir + "\\Parlance.dll", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PluginTest, ExportsBeforeInitTabDoNothing) {
    LoadWithRecordingSibling();
    CScrollBar notCreated;
    EXPECT_FALSE(plugin.SetNode(5, nullptr));
    EXPECT_FALSE(plugin.Command(ID_GRAPH_ALL));
    EXPECT_FALSE(plugin.MenuUpdate(ID_HOST_UTILIZATION));
    EXPECT_FALSE(plugin.SetScrollBars(&notCreated, &notCreated));
    EXPECT_TRUE(plugin.LoadSubMenu(0, 0));
    EXPECT_TRUE(plugin.LoadSubMenu(7, 0xFFFFFFFF));
    EXPECT_TRUE(sibling.Commands().empty());
}

TEST_F(PluginTest, InitTabCreatesTheViewWindowOnce) {
    LoadWithRecordingSibling();
    CreateHostWindows();
    CWnd* view = nullptr;
    const HWND hwnd = ShowTab(frame.get(), &view);
    ASSERT_TRUE(IsWindow(hwnd));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetSafeHwnd(), hwnd);
    EXPECT_EQ(view->GetDlgCtrlID(), IDC_MATRIX_VIEW);
    EXPECT_EQ(view->GetParent(), tabs.get());
    EXPECT_EQ(view->GetStyle() & (WS_CHILD | WS_VISIBLE), DWORD(WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(sibling.Commands(), std::vector<int>{CONVERT_REGISTER});

    EXPECT_EQ(ShowTab(frame.get()), hwnd);
    EXPECT_TRUE(MessageTexts().empty());
    EXPECT_EQ(sibling.Commands(), std::vector<int>{CONVERT_REGISTER});

    // A rebuilt tab gets a new window, and the menu loads again without a message.
    tabs->DestroyWindow();
    tabs = std::make_unique<SECTabWnd>();
    ASSERT_TRUE(tabs->Create(frame.get(), WS_CHILD | WS_VISIBLE));
    const HWND rebuilt = ShowTab(frame.get());
    EXPECT_TRUE(IsWindow(rebuilt));
    EXPECT_TRUE(MessageTexts().empty());
    EXPECT_EQ(sibling.Commands(), (std::vector<int>{CONVERT_REGISTER, CONVERT_REGISTER}));
    EXPECT_TRUE(sibling.Consistent());
}

TEST_F(PluginTest, InitTabWithoutParentWindowCreatesNothing) {
    LoadWithRecordingSibling();
    CWnd* view = nullptr;
    CWnd notCreated;
    EXPECT_EQ(plugin.InitTab(0, &notCreated, nullptr, &view, 0), nullptr);
    EXPECT_NE(view, nullptr);
    EXPECT_FALSE(plugin.Command(ID_GRAPH_ALL));
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(PluginTest, InitTabReportsMissingFrameAndMenu) {
    LoadWithRecordingSibling();
    CreateHostWindows();
    platform::RegisterModuleResources(plugin.Module(), nullptr);
    EXPECT_TRUE(IsWindow(ShowTab(nullptr)));
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{Localize("Unable to load menu handle"),
                                                        Localize("Error in Frame window")}));
}

TEST_F(PluginTest, ExportsWhileTheTabIsShown) {
    LoadWithRecordingSibling();
    CreateHostWindows();
    const HWND hwnd = ShowTab(frame.get());
    ASSERT_TRUE(IsWindow(hwnd));

    int nodeData = 0;
    EXPECT_TRUE(plugin.SetNode(5, &nodeData));
    EXPECT_FALSE(plugin.SetNode(5, &nodeData));
    EXPECT_TRUE(plugin.SetNode(6, nullptr));

    EXPECT_TRUE(plugin.Command(ID_GRAPH_UTILIZATION));
    EXPECT_TRUE(plugin.Command(12345));
    // Without a selected row no graph command applies; menu ids never do.
    EXPECT_FALSE(plugin.MenuUpdate(ID_HOST_UTILIZATION));
    EXPECT_FALSE(plugin.MenuUpdate(ID_GRAPH_UTILIZATION));

    CScrollBar* horizontal = tabs->GetScrollBar(SB_HORZ);
    CScrollBar* vertical = tabs->GetScrollBar(SB_VERT);
    ASSERT_NE(horizontal, nullptr);
    EXPECT_TRUE(plugin.SetScrollBars(horizontal, vertical));
    CScrollBar notCreated;
    EXPECT_FALSE(plugin.SetScrollBars(horizontal, &notCreated));
    EXPECT_FALSE(plugin.SetScrollBars(nullptr, vertical));

    sibling.Clear();
    EXPECT_TRUE(plugin.Close());
    EXPECT_EQ(sibling.Commands(), std::vector<int>{CONVERT_UNREGISTER});
    EXPECT_TRUE(IsWindow(hwnd));
}

// The labels of a popup, in order, with their command ids.
using MenuItems = std::vector<std::pair<std::string, UINT>>;

MenuItems PopupItems(HMENU menu) {
    MenuItems items;
    const HMENU popup = GetSubMenu(menu, 0);
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        char text[64] = "";
        GetMenuString(popup, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        items.emplace_back(text, GetMenuItemID(popup, i));
    }
    return items;
}

// Both context menus come in English and Chinese; the user's language picks one, with
// English for every language the module does not have.
TEST_F(PluginTest, ResourcesOfTheModule) {
    LoadWithRecordingSibling();
    const MenuItems chinese = {{"应用(&U)", ID_GRAPH_UTILIZATION},
                               {"错误(&E)", ID_GRAPH_ERRORS},
                               {"字节(&B)", ID_GRAPH_BYTES},
                               {"数据包(&P)", ID_GRAPH_PACKETS},
                               {"全部(&A)", ID_GRAPH_ALL}};
    const MenuItems english = {{"&Utilization", ID_GRAPH_UTILIZATION},
                               {"&Errors", ID_GRAPH_ERRORS},
                               {"&Bytes", ID_GRAPH_BYTES},
                               {"&Packets", ID_GRAPH_PACKETS},
                               {"&All", ID_GRAPH_ALL}};
    const std::pair<const char*, const MenuItems*> cases[] = {
        {"zh_CN", &chinese}, {"zh_CN.UTF-8", &chinese},
        {"zh", &chinese},    {"fr:zh_CN", &chinese},
        {"", &english},      {"C", &english},
        {"de_DE", &english}, {"en_US:zh_CN", &english}};
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        unsetenv(variable);
    }
    for (const auto& [language, labels] : cases) {
        setenv("LANGUAGE", language, 1);
        for (UINT menuId : {IDR_MATRIX_POPUP, IDR_MATRIX_WINDOW_POPUP}) {
            const HMENU menu = LoadMenu(plugin.Module(), MAKEINTRESOURCE(menuId));
            ASSERT_NE(menu, nullptr) << menuId;
            EXPECT_EQ(PopupItems(menu), *labels) << language << " " << menuId;
            DestroyMenu(menu);
        }
    }
    unsetenv("LANGUAGE");
    for (LANGID language : {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED),
                            MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)}) {
        EXPECT_NE(
            FindResourceEx(plugin.Module(), RT_MENU, MAKEINTRESOURCE(IDR_MATRIX_POPUP), language),
            nullptr);
    }
    EXPECT_EQ(FindResourceEx(plugin.Module(), RT_MENU, MAKEINTRESOURCE(IDR_MATRIX_POPUP),
                             MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL)),
              nullptr);
    for (UINT iconId : {IDI_NODE_SHADOW, IDI_NODE, IDI_NODE_HIGHLIGHTED}) {
        EXPECT_NE(LoadIcon(plugin.Module(), MAKEINTRESOURCE(iconId)), nullptr) << iconId;
    }
    const HBITMAP box = LoadBitmap(plugin.Module(), MAKEINTRESOURCE(IDB_NODE_BOX));
    BITMAP info = {};
    ASSERT_TRUE(GetObject(box, sizeof info, &info));
    EXPECT_EQ(info.bmWidth, 48);
    EXPECT_EQ(info.bmHeight, 48);
    DeleteObject(box);
}

} // namespace
