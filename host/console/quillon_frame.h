// The console's main window: a multi-document frame with a Nodes menu listing the nodes of
// the host database, a node window for each open node (kept by node: opening an open node
// brings its window forward), a Matrix menu whose items the plug-in instance of the node
// window in front enables (MenuUpdate) and carries out (Command), and a Window menu
// (Cascade, Tile, Arrange Icons, the open windows) that the frame carries out.
#pragma once

#include "hostapi/tessaran_ids.h"
#include "platform/framework/afx.h"
#include "platform/framework/sec_mdi_frame_wnd.h"

#include "host/console/script/table_driver.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class NodeWindow;
class PluginPool;

// Console menu ids: the nodes, the table export, then exit.
constexpr UINT ID_NODE_FIRST = 1000;
constexpr UINT ID_NODE_LAST = 1999;
constexpr UINT ID_FILE_EXPORT_CSV = 2000;
constexpr UINT ID_APP_EXIT = 57665;

struct ConsoleNode {
    uint32_t id;
    std::string name;
};

class QuillonFrame : public SECMDIFrameWnd {
  public:
    QuillonFrame(PluginPool& plugins, uint32_t hostContext, std::vector<ConsoleNode> nodes);

    BOOL CreateFrame(const char* title);
    // Opens the node's window and activates it; an open node's window is brought forward
    // (restored first when minimised) instead. FALSE (told in a message box when the plug-in
    // failed) when it does not open.
    BOOL OpenNode(const std::string& name);
    // Opens the node's window from the event loop as the Nodes menu does; FALSE when there is
    // no such node.
    BOOL PostOpenNode(const std::string& name);
    // The open node's window, or null.
    NodeWindow* NodeWindowOf(uint32_t node) const;
    // The node window in front: the active one, else the highest of them; null when none is
    // open. The Matrix menu, the plug-in's context menu and script mode act on its view.
    NodeWindow* FrontNodeWindow() const;
    // The open node windows, in the order of the nodes.
    std::vector<NodeWindow*> NodeWindows() const;
    const std::vector<ConsoleNode>& Nodes() const { return m_nodes; }
    // Enables each Matrix menu item (Enables).
    void UpdateMatrixMenu();
    BOOL Enables(UINT id) const;
    // Hands a command id to the plug-in instance of the node window in front; FALSE when no
    // view took it.
    BOOL Command(UINT id) const;
    // The Matrix view's table of the node window in front, found by its child id; not open
    // while no node window shows one.
    TableDriver MatrixTable() const;

  protected:
    afx_msg void OnOpenNode(UINT id);
    afx_msg void OnHostCommand(UINT id);
    afx_msg void OnPluginCommand(UINT id);
    // File > Export table as CSV: asks for a file (save_file_dialog.h) and writes the Matrix
    // table there (TableDriver::Csv); a failure is told in a message box.
    afx_msg void OnExportCsv();
    afx_msg void OnExit();
    afx_msg LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
    afx_msg void OnClose();
    DECLARE_MESSAGE_MAP()

  private:
    HMENU BuildMenuBar();
    const ConsoleNode* FindNode(const std::string& name) const;
    void BringForward(NodeWindow* window);
    BOOL OpenNodeWindow(const ConsoleNode& node);
    void OnNodeWindowClosed(uint32_t node);

    PluginPool& m_plugins;
    uint32_t m_hostContext;
    std::vector<ConsoleNode> m_nodes;
    std::map<uint32_t, NodeWindow*> m_nodeWindows; // by node; each deletes itself when closed
    HMENU m_matrixMenu = nullptr;
};
