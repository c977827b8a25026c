// The per-node window: a multi-document child holding a tab window whose Matrix tab is the
// view of a plug-in instance of its own (plugin_pool.h), over a status line that tells how
// the node answers (node_status.h). The view walks the node on its own schedule whether the
// window is in front or not; closing the window closes the view (its walks end, its rows go).
#pragma once

#include "host/console/status_line_wnd.h"
#include "platform/framework/afx.h"
#include "platform/framework/sec_tab_wnd.h"
#include "platform/framework/sec_worksheet.h"

#include <cstdint>
#include <functional>
#include <string>

class PluginHost;

class NodeWindow : public SECWorksheet {
  public:
    // onClosed runs when the window is being destroyed, after the plug-in's Close.
    NodeWindow(PluginHost& plugin, uint32_t hostContext, std::function<void()> onClosed);

    // Creates the window in frame, builds the Matrix tab through InitTab and hands the view
    // the node; FALSE when the plug-in did not take it.
    BOOL Open(CMDIFrameWnd* frame, uint32_t nodeId, const std::string& nodeName);

    PluginHost& Plugin() const { return m_plugin; }
    CWnd* View() const { return m_view; }
    SECTabWnd& Tabs() { return m_tabs; }
    StatusLineWnd& StatusLine() { return m_status; }
    // Shows the node's status as the host database has it now (a timer does it each second).
    void RefreshStatus();
    uint32_t NodeId() const { return m_nodeId; }
    const std::string& NodeName() const { return m_nodeName; }
    // Walks of the whole table of the node that ended since the window opened, as the host
    // database counts them.
    int WalksSinceOpen() const;

  protected:
    afx_msg int OnCreate(LPCREATESTRUCT createStruct);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnDestroy();
    afx_msg void OnTimer(UINT id);
    DECLARE_MESSAGE_MAP()

  private:
    BOOL BuildMatrixTab(CWnd* frame);

    PluginHost& m_plugin;
    uint32_t m_hostContext;
    std::function<void()> m_onClosed;
    SECTabWnd m_tabs;
    StatusLineWnd m_status;
    CWnd* m_view = nullptr;
    uint32_t m_nodeId = 0;
    std::string m_nodeName; // handed to the plug-in as the node's host data
    int m_walksAtOpen = 0;
};
