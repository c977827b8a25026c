// CMDIFrameWnd: the multi-document frame. Its client area is the MDI client window (a QMdiArea)
// that holds the child frames; the frame itself is a QMainWindow with an optional menu bar.
#pragma once

#include "platform/core/win32_types.h"
#include "platform/framework/frame_wnd.h"

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

  protected:
    QWidget* CreateNativeWidget(QWidget* parentWidget) override;
    afx_msg int OnCreate(LPCREATESTRUCT createStruct);
    DECLARE_MESSAGE_MAP()

  private:
    LRESULT SendToClient(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
};
