#include "host/console/quillon_frame.h"

#include "host/console/node_list_wnd.h"
#include "host/console/node_window.h"
#include "host/console/plugin_host.h"
#include "host/console/plugin_pool.h"
#include "hostapi/ksmem32.h"
#include "hostapi/tessaran_ids.h"
#include "platform/framework/menu.h"
#include "platform/toolkit/save_file_dialog.h"

#include <utility>

namespace {

struct HostMenuItem {
    UINT id;
    const char* text;
};

const HostMenuItem kMatrixMenuItems[] = {
    {ID_HOST_UTILIZATION, "&Utilization"},
    {ID_HOST_ERRORS, "&Errors"},
    {ID_HOST_BYTES, "&Bytes"},
    {ID_HOST_PACKETS, "&Packets"},
    {ID_HOST_ALL, "&All"},
    {ID_CONVERSATIONS, "&Conversations"},
};

// The graph commands of the plug-in's context menu, handed back through Command, are the
// five ids from ID_GRAPH_UTILIZATION to ID_GRAPH_ALL.
static_assert(ID_GRAPH_UTILIZATION < ID_GRAPH_PACKETS && ID_GRAPH_PACKETS < ID_GRAPH_BYTES &&
              ID_GRAPH_BYTES < ID_GRAPH_ERRORS && ID_GRAPH_ERRORS < ID_GRAPH_ALL &&
              ID_GRAPH_ALL - ID_GRAPH_UTILIZATION == 4);

} // namespace

BEGIN_MESSAGE_MAP(QuillonFrame, SECMDIFrameWnd)
ON_COMMAND_RANGE(ID_NODE_FIRST, ID_NODE_LAST, OnOpenNode)
ON_COMMAND_RANGE(ID_HOST_UTILIZATION, ID_HOST_PACKETS, OnHostCommand)
ON_COMMAND_RANGE(ID_HOST_ALL, ID_HOST_ALL, OnHostCommand)
ON_COMMAND_RANGE(ID_CONVERSATIONS, ID_CONVERSATIONS, OnHostCommand)
ON_COMMAND_RANGE(ID_GRAPH_UTILIZATION, ID_GRAPH_ALL, OnPluginCommand)
ON_COMMAND(ID_FILE_EXPORT_CSV, OnExportCsv)
ON_COMMAND(ID_APP_EXIT, OnExit)
ON_MESSAGE(WM_INITMENUPOPUP, OnInitMenuPopup)
ON_WM_CLOSE()
END_MESSAGE_MAP()

QuillonFrame::QuillonFrame(PluginPool& plugins, uint32_t hostContext,
                           std::vector<ConsoleNode> nodes)
    : m_plugins(plugins), m_hostContext(hostContext), m_nodes(std::move(nodes)) {}

BOOL QuillonFrame::CreateFrame(const char* title) {
    const CRect rect(0, 0, 1180, 720);
    if (!Create(nullptr, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, rect)) {
        return FALSE;
    }
    SetMenu(m_hWnd, BuildMenuBar());
    DrawMenuBar(m_hWnd);
    std::vector<std::string> names;
    for (const ConsoleNode& node : m_nodes) {
        names.push_back(node.name);
    }
    auto* list =
        new NodeListWnd(std::move(names), [this](const std::string& name) { OpenNode(name); });
    if (!list->CreateList(this)) {
        delete list;
    }
    return TRUE;
}

HMENU QuillonFrame::BuildMenuBar() {
    HMENU file = CreatePopupMenu();
    AppendMenu(file, MF_STRING, ID_FILE_EXPORT_CSV, Localize("&Export table as CSV..."));
    AppendMenu(file, MF_SEPARATOR, 0, nullptr);
    AppendMenu(file, MF_STRING, ID_APP_EXIT, Localize("E&xit"));

    HMENU nodes = CreatePopupMenu();
    for (size_t i = 0; i < m_nodes.size() && ID_NODE_FIRST + i <= ID_NODE_LAST; ++i) {
        AppendMenu(nodes, MF_STRING, ID_NODE_FIRST + i, m_nodes[i].name.c_str());
    }

    m_plugins.First().LoadSubMenu();
    m_matrixMenu = CreatePopupMenu();
    for (const HostMenuItem& item : kMatrixMenuItems) {
        AppendMenu(m_matrixMenu, MF_STRING | MF_GRAYED, item.id, Localize(item.text));
    }

    // The frame lists the open windows at the Window menu's end.
    HMENU window = CreatePopupMenu();
    AppendMenu(window, MF_STRING, ID_WINDOW_CASCADE, Localize("&Cascade"));
    AppendMenu(window, MF_STRING, ID_WINDOW_TILE_HORZ, Localize("&Tile"));
    AppendMenu(window, MF_STRING, ID_WINDOW_ARRANGE, Localize("&Arrange Icons"));
    MDISetMenu(window);

    HMENU bar = CreateMenu();
    AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), Localize("&File"));
    AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(nodes), Localize("&Nodes"));
    AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(m_matrixMenu), Localize("&Matrix"));
    AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(window), Localize("&Window"));
    return bar;
}

const ConsoleNode* QuillonFrame::FindNode(const std::string& name) const {
    for (const ConsoleNode& node : m_nodes) {
        if (node.name == name) {
            return &node;
        }
    }
    return nullptr;
}

BOOL QuillonFrame::OpenNode(const std::string& name) {
    const ConsoleNode* node = FindNode(name);
    if (!node) {
        return FALSE;
    }
    if (NodeWindow* open = NodeWindowOf(node->id)) {
        BringForward(open);
        return TRUE;
    }
    return OpenNodeWindow(*node);
}

void QuillonFrame::BringForward(NodeWindow* window) {
    if (::IsIconic(window->m_hWnd)) {
        MDIRestore(window);
    }
    MDIActivate(window);
}

// The window takes a plug-in instance of its own and gives it back when it closes.
BOOL QuillonFrame::OpenNodeWindow(const ConsoleNode& node) {
    std::string error;
    PluginHost* plugin = m_plugins.Take(node.id, error);
    if (!plugin) {
        const std::string text = Localize("Cannot open ") + node.name + ": " + error;
        MessageBox(text.c_str(), Localize("Open node"), MB_OK | MB_ICONSTOP);
        return FALSE;
    }
    auto* window = new NodeWindow(*plugin, m_hostContext, [this, id = node.id, plugin] {
        m_nodeWindows.erase(id);
        m_plugins.Give(plugin);
    });
    m_nodeWindows[node.id] = window;
    if (window->Open(this, node.id, node.name)) {
        return TRUE;
    }
    if (IsWindow(window->m_hWnd)) {
        window->DestroyWindow();
    } else {
        m_nodeWindows.erase(node.id);
        m_plugins.Give(plugin);
        delete window;
    }
    const std::string text = Localize("The plug-in did not show ") + node.name;
    MessageBox(text.c_str(), Localize("Open node"), MB_OK | MB_ICONSTOP);
    return FALSE;
}

NodeWindow* QuillonFrame::NodeWindowOf(uint32_t node) const {
    auto found = m_nodeWindows.find(node);
    return found == m_nodeWindows.end() ? nullptr : found->second;
}

NodeWindow* QuillonFrame::FrontNodeWindow() const {
    for (HWND child : MDIGetChildren()) {
        for (const auto& [node, window] : m_nodeWindows) {
            if (window->m_hWnd == child) {
                return window;
            }
        }
    }
    return nullptr;
}

std::vector<NodeWindow*> QuillonFrame::NodeWindows() const {
    std::vector<NodeWindow*> windows;
    for (const ConsoleNode& node : m_nodes) {
        if (NodeWindow* window = NodeWindowOf(node.id)) {
            windows.push_back(window);
        }
    }
    return windows;
}

BOOL QuillonFrame::PostOpenNode(const std::string& name) {
    const ConsoleNode* node = FindNode(name);
    const UINT id = node ? ID_NODE_FIRST + static_cast<UINT>(node - m_nodes.data()) : 0;
    return node && id <= ID_NODE_LAST && PostMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

// The plug-in answers for its graph commands, enabled while table rows are selected; the
// console enables All and Conversations itself: while the node window in front shows its
// Matrix tab and its plug-in enables its graphs (rows are selected).
BOOL QuillonFrame::Enables(UINT id) const {
    NodeWindow* front = FrontNodeWindow();
    if (!front) {
        return FALSE;
    }
    if (id != ID_HOST_ALL && id != ID_CONVERSATIONS) {
        return front->Plugin().MenuUpdate(id);
    }
    CWnd* page = nullptr;
    return front->Tabs().GetActiveTab(page) && page && page == front->View() &&
           front->Plugin().MenuUpdate(ID_HOST_UTILIZATION);
}

BOOL QuillonFrame::Command(UINT id) const {
    NodeWindow* front = FrontNodeWindow();
    return front && front->Plugin().Command(id);
}

void QuillonFrame::UpdateMatrixMenu() {
    for (const HostMenuItem& item : kMatrixMenuItems) {
        const UINT state = Enables(item.id) ? MF_ENABLED : MF_GRAYED;
        EnableMenuItem(m_matrixMenu, item.id, MF_BYCOMMAND | state);
    }
}

void QuillonFrame::OnOpenNode(UINT id) {
    const size_t index = id - ID_NODE_FIRST;
    if (index < m_nodes.size()) {
        OpenNode(m_nodes[index].name);
    }
}

// A Matrix menu item is carried out only while it is enabled.
void QuillonFrame::OnHostCommand(UINT id) {
    if (Enables(id)) {
        Command(id);
    }
}

// The view tracks its context menu on the main window; the choice goes back to the view of
// the node window in front, where the menu was opened.
void QuillonFrame::OnPluginCommand(UINT id) {
    Command(id);
}

TableDriver QuillonFrame::MatrixTable() const {
    NodeWindow* front = FrontNodeWindow();
    CWnd* view = front ? front->View() : nullptr;
    return TableDriver(view ? view->GetSafeHwnd() : NULL, IDC_MATRIX_TABLE);
}

void QuillonFrame::OnExportCsv() {
    const TableDriver table = MatrixTable();
    if (!table.IsOpen()) {
        MessageBox(Localize("Open a node first: there is no table to export."),
                   Localize("Export table"), MB_OK);
        return;
    }
    const std::string path = platform::AskSaveFileName(
        nullptr, {Localize("Export table as CSV"), "", Localize("CSV files (*.csv)"), "csv"});
    std::string reason;
    if (!path.empty() && !platform::WriteWholeFile(path, table.Csv(), reason)) {
        MessageBox((Localize("Cannot write ") + path + ": " + reason).c_str(),
                   Localize("Export table"), MB_OK | MB_ICONSTOP);
    }
}

void QuillonFrame::OnExit() {
    SendMessage(WM_CLOSE);
}

LRESULT QuillonFrame::OnInitMenuPopup(WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HMENU>(wParam) == m_matrixMenu) {
        UpdateMatrixMenu();
    }
    return SECMDIFrameWnd::OnInitMenuPopup(wParam, lParam);
}

// The plug-in instances hear Close before the frame goes.
void QuillonFrame::OnClose() {
    for (NodeWindow* window : NodeWindows()) {
        window->DestroyWindow();
    }
    SECMDIFrameWnd::OnClose();
}
