// The console's main window: a multi-document frame with a Nodes menu listing the nodes of
// the host database, the node window, a Matrix menu whose items the plug-in enables
// (MenuUpdate) and carries out (Command), and a Window menu (Cascade, Tile, Arrange Icons,
// the open windows) that the frame carries out.
#pragma once

#include "hostapi/tessaran_ids.h"
#include "platform/framework/afx.h"
#include "platform/framework/sec_mdi_frame_wnd.h"

#include "host/console/script/table_driver.h"

#include <cstdint>
#include <string>
#include <vector>

class NodeWindow;
class PluginHost;

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
    QuillonFrame(PluginHost& plugin, uint32_t hostContext, std::vector<ConsoleNode> nodes);

    BOOL CreateFrame(const char* title);
    // Opens the node's window (or points the open one at the node) and activates it.
    BOOL OpenNode(const std::string& name);
    // Opens the node's window from the event loop as the Nodes menu does; FALSE when there is
    // no such node.
    BOOL PostOpenNode(const std::string& name);
    NodeWindow* NodeWnd() const { return m_nodeWindow; }
    const std::vector<ConsoleNode>& Nodes() const { return m_nodes; }
    // Enables each Matrix menu item (Enables).
    void UpdateMatrixMenu();
    BOOL Enables(UINT id) const;
    // The Matrix view's table, found by its child id; not open while no node window shows one.
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

    PluginHost& m_plugin;
    uint32_t m_hostContext;
    std::vector<ConsoleNode> m_nodes;
    NodeWindow* m_nodeWindow = nullptr; // deletes itself when closed
    HMENU m_matrixMenu = nullptr;
};
