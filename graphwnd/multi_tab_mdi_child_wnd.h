// CMultiTabMDIChildWnd: a multi-document child frame holding a tab window with one page
// per graph; the frame's caption follows the active tab.
#pragma once

#include "platform/framework/afx.h"

#include <memory>
#include <string>
#include <vector>

// One tab: the frame caption shown while it is active, and its page window object.
struct TabPageEntry {
    std::string caption;
    CWnd* page = nullptr;
};

class CMultiTabMDIChildWnd : public CMDIChildWnd {
    DECLARE_DYNCREATE(CMultiTabMDIChildWnd)
  public:
    CMultiTabMDIChildWnd();
    // Deletes the page objects with their entries; their windows went with the tab window.
    ~CMultiTabMDIChildWnd() override;

    // Creates the tab window as the frame's first pane, so the frame's layout sizes it,
    // with its three tab fonts. FALSE when it exists already or cannot be made.
    BOOL CreateTabWnd(DWORD style);
    // Adds a tab for page (a child of the tab window) and takes the page object.
    void AddTab(CWnd* page, LPCSTR label, LPCSTR caption);

    // Empty until CreateTabWnd. The toolkit's tab window as it is: the frame needs nothing
    // beyond it.
    SECTabWnd* GetTabWnd() { return &m_tabWnd; }

  protected:
    afx_msg LRESULT OnTabSelected(WPARAM position, LPARAM);
    afx_msg void OnSize(UINT type, int cx, int cy);
    DECLARE_MESSAGE_MAP()

  private:
    SECTabWnd m_tabWnd;
    std::vector<std::unique_ptr<TabPageEntry>> m_tabEntries;
};
