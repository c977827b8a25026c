// CWnd's device contexts and font, over the GDI's objects.
#include "platform/framework/cdc.h"
#include "platform/framework/gdi_object.h"
#include "platform/framework/wnd.h"

CDC* CWnd::GetDC() {
    HDC hdc = ::GetDC(m_hWnd);
    return hdc == nullptr ? nullptr : CDC::FromHandle(hdc);
}

int CWnd::ReleaseDC(CDC* pDC) {
    if (pDC == nullptr) {
        return 0;
    }
    return ::ReleaseDC(m_hWnd, pDC->m_hDC);
}

CDC* CWnd::BeginPaint(LPPAINTSTRUCT lpPaint) {
    HDC hdc = ::BeginPaint(m_hWnd, lpPaint);
    return hdc == nullptr ? nullptr : CDC::FromHandle(hdc);
}

void CWnd::EndPaint(LPPAINTSTRUCT lpPaint) {
    ::EndPaint(m_hWnd, lpPaint);
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw) {
    HFONT font = pFont != nullptr ? static_cast<HFONT>(pFont->m_hObject) : nullptr;
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), bRedraw);
}

CFont* CWnd::GetFont() const {
    HFONT font = reinterpret_cast<HFONT>(::SendMessage(m_hWnd, WM_GETFONT, 0, 0));
    return font == nullptr ? nullptr : CFont::FromHandle(font);
}
