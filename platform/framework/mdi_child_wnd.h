// CMDIChildWnd: a child frame inside a multi-document frame (a QMdiSubWindow).
//
// Create places the child in the frame's MDI client. WS_MAXIMIZE and WS_MINIMIZE take effect
// at creation; without WS_VISIBLE the child stays hidden until shown. Activation sends
// WM_MDIACTIVATE to the child losing and to the child gaining activation, each with
// wParam = the HWND deactivated and lParam = the HWND activated (either may be NULL).
// When the user closes a child (or on WM_MDIDESTROY / MDIDestroy) its window is destroyed and,
// through PostNcDestroy, its object deleted: create child frames with new.
#pragma once

#include "platform/core/win32_types.h"
#include "platform/framework/frame_wnd.h"
#include "platform/framework/rect.h"

class CMDIFrameWnd;

class CMDIChildWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMDIChildWnd)
  public:
    CMDIChildWnd();
    ~CMDIChildWnd() override;

    // parent NULL: the application's main window, when it is a multi-document frame.
    // rect: rectDefault lets the MDI client place and size the child.
    virtual BOOL Create(LPCSTR className, LPCSTR title,
                        DWORD style = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                        const RECT& rect = rectDefault, CMDIFrameWnd* parent = nullptr,
                        CCreateContext* context = nullptr);

    CMDIFrameWnd* GetMDIFrame() const;
    // Where the child stands when neither maximised nor minimised (in the MDI client).
    CRect NormalRect() const { return m_normalRect; }
    void MDIActivate();
    void MDIDestroy();
    void MDIMaximize();
    void MDIRestore();

  protected:
    void PostNcDestroy() override; // deletes the object
    QWidget* CreateNativeWidget(QWidget* parentWidget) override;
    QWidget* NativeClientWidget() const override;

  private:
    friend class ChildFrameFilter;
    void SendToClient(UINT message) const;

    CRect m_normalRect;
    QWidget* m_content = nullptr; // the painting widget inside the QMdiSubWindow
};
