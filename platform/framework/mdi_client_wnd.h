// Platform-private: the MDI client window of a multi-document frame (a QMdiArea). It holds
// the child frames' windows, knows the active one and answers the WM_MDI messages. An
// activated child gets the keyboard focus back where it was when the child was last active
// (the child itself the first time), as on Windows. The window menu (WM_MDISETMENU) ends
// with a list of the shown children, refilled on WM_MDIREFRESHMENU, and "More Windows..."
// when they are more than nine; Ctrl+F6 and Ctrl+Shift+F6 activate the next and the
// previous child (WM_MDINEXT), Ctrl+F4 closes the active one. The area scrolls to children
// placed past its edges.
#pragma once

#include "platform/framework/msg_map.h"
#include "platform/framework/wnd.h"

#include <map>
#include <vector>

class QMdiArea;
class QMdiSubWindow;

class CMDIClientWnd : public CWnd {
    DECLARE_DYNAMIC(CMDIClientWnd)
  public:
    // The window menu's "More Windows..." is AFX_IDM_FIRST_MDICHILD + kMoreWindows.
    static constexpr UINT kMoreWindows = 9;

    CMDIClientWnd() = default;

    // Makes `child` the active child: WM_MDIACTIVATE to the child losing activation, then to
    // `child`, each with wParam = the one deactivated and lParam = the one activated.
    void Activate(HWND child);
    HWND ActiveChild() const;
    // The shown children, top of the z-order first.
    std::vector<HWND> ChildrenInZOrder() const;
    // The child at that place of the window menu's list as last filled, or NULL.
    HWND ListedChild(UINT index) const;
    // Where a new child frame goes: three quarters of the client area, one caption lower and
    // to the right of the active child's normal place (back at the corner when it would not
    // fit), so that its caption and the active child's both show.
    RECT NewChildRect() const;
    // The dialog of "More Windows...": activates the child chosen there.
    void ChooseFromAllChildren();
    // `child` was minimised: when active, activation goes to another child.
    void ActivateAfterMinimise(HWND child);

  protected:
    QWidget* CreateNativeWidget(QWidget* parentWidget) override;
    void PostNcDestroy() override; // the frame made this object with new

    afx_msg LRESULT OnMDIActivate(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnMDIDestroy(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnMDIMaximize(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnMDIRestore(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnMDINext(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnMDICascade(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnMDITile(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnMDIGetActive(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnMDIIconArrange(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnMDISetMenu(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnMDIRefreshMenu(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

  private:
    bool IsChildOfThis(HWND child) const;
    void OnSubWindowActivated(QMdiSubWindow* window);
    void RememberFocus(HWND child);
    void RestoreFocus(HWND child);
    std::vector<HWND> ShownChildren(int order) const;
    void AddShortcuts();

    QMdiArea* m_area = nullptr;
    HWND m_active = nullptr;
    std::map<HWND, HWND> m_lastFocus; // child -> the window inside it that had the focus
    HMENU m_windowMenu = nullptr;
    std::vector<HWND> m_listed; // the children the window menu lists, in its order
    int m_listedItems = 0;      // items the list put at the end of the window menu
};
