#include "platform/framework/mdi_client_wnd.h"

#include "platform/core/window_private.h"

#include <QMdiArea>
#include <QMdiSubWindow>

BEGIN_MESSAGE_MAP(CMDIClientWnd, CWnd)
ON_MESSAGE(WM_MDIACTIVATE, OnMDIActivate)
ON_MESSAGE(WM_MDIDESTROY, OnMDIDestroy)
ON_MESSAGE(WM_MDIMAXIMIZE, OnMDIMaximize)
ON_MESSAGE(WM_MDIRESTORE, OnMDIRestore)
ON_MESSAGE(WM_MDINEXT, OnMDINext)
ON_MESSAGE(WM_MDICASCADE, OnMDICascade)
ON_MESSAGE(WM_MDITILE, OnMDITile)
ON_MESSAGE(WM_MDIGETACTIVE, OnMDIGetActive)
END_MESSAGE_MAP()

QWidget* CMDIClientWnd::CreateNativeWidget(QWidget* parentWidget) {
    m_area = new QMdiArea(parentWidget);
    m_area->setBackground(QColor(128, 128, 128)); // COLOR_APPWORKSPACE of the classic scheme
    // When the active child goes, Windows activates the next child in z-order: the one that
    // was active before it. Qt's default (creation order) raised the oldest child instead,
    // observed with real input: a plug-in window made and destroyed inside a double click
    // put the console's Nodes list over the maximized node window, which then took the
    // next click.
    m_area->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    // The area may outlive this object (Qt deletes it later): find the object by handle.
    HWND self = m_hWnd;
    QObject::connect(m_area, &QMdiArea::subWindowActivated, m_area, [self](QMdiSubWindow* window) {
        if (auto* client = dynamic_cast<CMDIClientWnd*>(CWnd::FromHandle(self))) {
            client->OnSubWindowActivated(window);
        }
    });
    return m_area;
}

void CMDIClientWnd::PostNcDestroy() {
    delete this;
}

// Qt reports NULL when the whole program loses activation; an MDI client keeps its active
// child then, as on Windows.
void CMDIClientWnd::OnSubWindowActivated(QMdiSubWindow* window) {
    HWND child = window == nullptr ? nullptr : platform::WindowFromWidget(window);
    if (child != nullptr && IsChildOfThis(child)) {
        Activate(child);
    }
}

bool CMDIClientWnd::IsChildOfThis(HWND child) const {
    return IsWindow(child) && ::GetParent(child) == m_hWnd;
}

HWND CMDIClientWnd::ActiveChild() const {
    return IsWindow(m_active) ? m_active : nullptr;
}

void CMDIClientWnd::Activate(HWND child) {
    if (child == ActiveChild() || !IsChildOfThis(child)) {
        return;
    }
    HWND previous = ActiveChild();
    m_active = child;
    if (auto* window = qobject_cast<QMdiSubWindow*>(platform::WindowWidget(child))) {
        m_area->setActiveSubWindow(window);
    }
    WPARAM wParam = reinterpret_cast<WPARAM>(previous);
    LPARAM lParam = reinterpret_cast<LPARAM>(child);
    if (previous != nullptr) {
        ::SendMessage(previous, WM_MDIACTIVATE, wParam, lParam);
    }
    ::SendMessage(child, WM_MDIACTIVATE, wParam, lParam);
}

LRESULT CMDIClientWnd::OnMDIActivate(WPARAM wParam, LPARAM) {
    Activate(reinterpret_cast<HWND>(wParam));
    return 0;
}

LRESULT CMDIClientWnd::OnMDIDestroy(WPARAM wParam, LPARAM) {
    HWND child = reinterpret_cast<HWND>(wParam);
    if (IsChildOfThis(child)) {
        ::DestroyWindow(child);
    }
    return 0;
}

LRESULT CMDIClientWnd::OnMDIMaximize(WPARAM wParam, LPARAM) {
    HWND child = reinterpret_cast<HWND>(wParam);
    if (IsChildOfThis(child)) {
        ::ShowWindow(child, SW_SHOWMAXIMIZED);
    }
    return 0;
}

LRESULT CMDIClientWnd::OnMDIRestore(WPARAM wParam, LPARAM) {
    HWND child = reinterpret_cast<HWND>(wParam);
    if (IsChildOfThis(child)) {
        ::ShowWindow(child, SW_RESTORE);
    }
    return 0;
}

LRESULT CMDIClientWnd::OnMDINext(WPARAM, LPARAM) {
    m_area->activateNextSubWindow();
    return 0;
}

LRESULT CMDIClientWnd::OnMDICascade(WPARAM, LPARAM) {
    m_area->cascadeSubWindows();
    return TRUE;
}

LRESULT CMDIClientWnd::OnMDITile(WPARAM, LPARAM) {
    m_area->tileSubWindows();
    return TRUE;
}

LRESULT CMDIClientWnd::OnMDIGetActive(WPARAM, LPARAM lParam) {
    HWND active = ActiveChild();
    if (auto* maximized = reinterpret_cast<BOOL*>(lParam)) {
        *maximized = active != nullptr && ::IsZoomed(active);
    }
    return reinterpret_cast<LRESULT>(active);
}
