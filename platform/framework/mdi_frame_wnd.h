// CMDIFrameWnd: the multi-document frame. Its client area is the MDI client window (a QMdiArea)
// that holds the child frames; the frame itself is a QMainWindow with an optional menu bar.
//
// The Window menu: the frame carries out ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ and
// ID_WINDOW_ARRANGE, and, once MDISetMenu named the popup, lists the shown children at its
// end whenever a popup of the menu bar opens; choosing one (AFX_IDM_FIRST_MDICHILD + n)
// restores it if minimised and activates it; past nine children "More Windows..." offers
// them all in a dialog.
#pragma once

#include "platform/core/win32_types.h"
#include "platform/framework/frame_wnd.h"

#include <vector>

#define ID_WINDOW_ARRANGE 0xE131
#define ID_WINDOW_CASCADE 0xE132
#define ID_WINDOW_TILE_HORZ 0xE133
#define AFX_IDM_FIRST_MDICHILD 0xFF00

class CMDIChildWnd;

class CMDIFrameWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMDIFrameWnd)
  public:
    CMDIFrameWnd();
    ~CMDIFrameWnd() override;

    // The MDI client window, parent of the child frames' windows.
    HWND m_hWndMDIClient;

    BOOL Create(LPCSTR className, LPCSTR title, DWORD style = WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CWnd* parent = nullptr, LPCSTR menuName = nullptr,
                DWORD exStyle = 0, CCreateContext* context = nullptr) override;
    CFrameWnd* GetActiveFrame() override;
    // The MDI client is the main window's central widget, placed by Qt's layout under the
    // menu bar; the frame moves nothing itself.
    void RecalcLayout() override {}

    CMDIChildWnd* MDIGetActive(BOOL* maximized = nullptr) const;
    void MDIActivate(CWnd* child);
    void MDIMaximize(CWnd* child);
    void MDIRestore(CWnd* child);
    void MDINext();
    void MDICascade();
    void MDITile();
    void MDIIconArrange();
    // windowMenu: the popup of the menu bar that lists the children (the frame's own menu
    // bar stays; SetMenu changes it).
    void MDISetMenu(HMENU windowMenu);
    // The shown child frames' windows, top of the z-order first.
    std::vector<HWND> MDIGetChildren() const;

  protected:
    QWidget* CreateNativeWidget(QWidget* parentWidget) override;
    afx_msg int OnCreate(LPCREATESTRUCT createStruct);
    afx_msg void OnWindowChild(UINT id);
    // Refills the window menu's list of children before a popup shows.
    afx_msg LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

  private:
    LRESULT SendToClient(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
};
