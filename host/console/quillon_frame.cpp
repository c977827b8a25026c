#include "host/console/quillon_frame.h"

#include "host/console/node_list_wnd.h"
#include "host/console/node_window.h"
#include "host/console/plugin_host.h"
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

QuillonFrame::QuillonFrame(PluginHost& plugin, uint32_t hostContext, std::vector<ConsoleNode> nodes)
    : m_plugin(plugin), m_hostContext(hostContext), m_nodes(std::move(nodes)) {}

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

    m_plugin.LoadSubMenu();
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
    if (m_nodeWindow) {
        m_nodeWindow->MDIActivate();
        return m_nodeWindow->ShowNode(node->id, node->name);
    }
    m_nodeWindow = new NodeWindow(m_plugin, m_hostContext, [this] { m_nodeWindow = nullptr; });
    NodeWindow* window = m_nodeWindow;
    if (window->Open(this, node->id, node->name)) {
        return TRUE;
    }
    if (IsWindow(window->m_hWnd)) {
        window->DestroyWindow();
    } else {
        delete window;
    }
    m_nodeWindow = nullptr;
    return FALSE;
}

BOOL QuillonFrame::PostOpenNode(const std::string& name) {
    const ConsoleNode* node = FindNode(name);
    const UINT id = node ? ID_NODE_FIRST + static_cast<UINT>(node - m_nodes.data()) : 0;
    return node && id <= ID_NODE_LAST && PostMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

// The plug-in answers for its graph commands, enabled while table rows are selected; the
// console enables All and Conversations itself: while the node window shows its Matrix tab
// and the plug-in enables its graphs (rows are selected).
BOOL QuillonFrame::Enables(UINT id) const {
    if (id != ID_HOST_ALL && id != ID_CONVERSATIONS) {
        return m_plugin.MenuUpdate(id);
    }
    CWnd* page = nullptr;
    return m_nodeWindow && m_nodeWindow->Tabs().GetActiveTab(page) && page &&
           page == m_nodeWindow->View() && m_plugin.MenuUpdate(ID_HOST_UTILIZATION);
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
        m_plugin.Command(id);
    }
}

void QuillonFrame::OnPluginCommand(UINT id) {
    m_plugin.Command(id);
}

TableDriver QuillonFrame::MatrixTable() const {
    CWnd* view = m_nodeWindow ? m_nodeWindow->View() : nullptr;
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

void QuillonFrame::OnClose() {
    if (m_nodeWindow) {
        m_nodeWindow->DestroyWindow();
    }
    SECMDIFrameWnd::OnClose();
}
