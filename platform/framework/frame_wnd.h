// CFrameWnd: the framework's frame window base, with its default rectangle and the active
// frame query.
#pragma once

#include "platform/core/win32_types.h"
#include "platform/framework/msg_map.h"
#include "platform/framework/wnd.h"

#define AFX_IDW_PANE_FIRST 0xE900 // 59648: the framework's first pane id

class CMenu;

struct CCreateContext {
    CRuntimeClass* m_pNewViewClass = nullptr;
    void* m_pCurrentDoc = nullptr;
    void* m_pNewDocTemplate = nullptr;
    void* m_pLastView = nullptr;
    class CFrameWnd* m_pCurrentFrame = nullptr;
};

class CFrameWnd : public CWnd {
    DECLARE_DYNCREATE(CFrameWnd)
  public:
    // (CW_USEDEFAULT, CW_USEDEFAULT, 0, 0): the system places and sizes the window.
    static const CRect rectDefault;

    CFrameWnd();
    ~CFrameWnd() override;

    virtual BOOL Create(LPCSTR className, LPCSTR title, DWORD style = WS_OVERLAPPEDWINDOW,
                        const RECT& rect = rectDefault, CWnd* parent = nullptr,
                        LPCSTR menuName = nullptr, DWORD exStyle = 0,
                        CCreateContext* context = nullptr);
    // The active child frame of a multi-document frame, else this frame.
    virtual CFrameWnd* GetActiveFrame();
    // The frame that holds this window (for a multi-document child: its multi-document frame).
    CFrameWnd* GetParentFrame() const;
    // Lays out the client area: the child with id AFX_IDW_PANE_FIRST fills it. Runs after
    // every WM_SIZE but a minimising one.
    virtual void RecalcLayout();

  protected:
    afx_msg void OnSize(UINT type, int cx, int cy);
    // Windows destroys a window's menu bar with the window.
    afx_msg void OnNcDestroy();
    // The caption is shown by the Qt window that stands for the frame.
    afx_msg LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
