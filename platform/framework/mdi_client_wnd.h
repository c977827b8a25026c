// Platform-private: the MDI client window of a multi-document frame (a QMdiArea). It holds
// the child frames' windows, knows the active one and answers the WM_MDI messages.
#pragma once

#include "platform/framework/msg_map.h"
#include "platform/framework/wnd.h"

class QMdiArea;
class QMdiSubWindow;

class CMDIClientWnd : public CWnd {
  public:
    CMDIClientWnd() = default;

    // Makes `child` the active child: WM_MDIACTIVATE to the child losing activation, then to
    // `child`, each with wParam = the one deactivated and lParam = the one activated.
    void Activate(HWND child);
    HWND ActiveChild() const;

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
    DECLARE_MESSAGE_MAP()

  private:
    bool IsChildOfThis(HWND child) const;
    void OnSubWindowActivated(QMdiSubWindow* window);

    QMdiArea* m_area = nullptr;
    HWND m_active = nullptr;
};
