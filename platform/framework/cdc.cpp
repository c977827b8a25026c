// Framework device contexts: CDC, CPaintDC and CClientDC.
#include "platform/framework/cdc.h"
#include "platform/core/win32_user.h"
#include "platform/framework/wnd.h"
#include "platform/gdi/gdi_private.h"

IMPLEMENT_DYNAMIC(CDC, CObject)
IMPLEMENT_DYNAMIC(CPaintDC, CDC)
IMPLEMENT_DYNAMIC(CClientDC, CDC)

namespace {

GdiHandleMap<CDC>& Dcs() {
    static auto* map = new GdiHandleMap<CDC>;
    return *map;
}

template <class T> T* Previous(HGDIOBJ previous) {
    return static_cast<T*>(CGdiObject::FromHandle(previous));
}

} // namespace

CDC::~CDC() {
    if (m_hDC) {
        ::DeleteDC(Detach());
    }
}

CDC* CDC::FromHandle(HDC hdc) {
    return Dcs().FromHandle(hdc, [hdc] {
        auto dc = std::make_unique<CDC>();
        dc->Attach(hdc);
        return dc;
    });
}

BOOL CDC::Attach(HDC hdc) {
    if (!hdc || m_hDC || !GdiDc(hdc)) {
        return FALSE;
    }
    m_hDC = m_hAttribDC = hdc;
    Dcs().Attach(hdc, this);
    return TRUE;
}

HDC CDC::Detach() {
    HDC hdc = m_hDC;
    if (hdc) {
        Dcs().Detach(hdc);
    }
    m_hDC = m_hAttribDC = nullptr;
    return hdc;
}

BOOL CDC::CreateCompatibleDC(CDC* dc) {
    HDC hdc = ::CreateCompatibleDC(dc ? dc->m_hDC : nullptr);
    if (Attach(hdc)) {
        return TRUE;
    }
    ::DeleteDC(hdc);
    return FALSE;
}

BOOL CDC::DeleteDC() {
    if (!m_hDC) {
        return FALSE;
    }
    return ::DeleteDC(Detach());
}

int CDC::SaveDC() {
    return ::SaveDC(m_hDC);
}
BOOL CDC::RestoreDC(int savedDc) {
    return ::RestoreDC(m_hDC, savedDc);
}

CPen* CDC::SelectObject(CPen* pen) {
    return pen ? Previous<CPen>(::SelectObject(m_hDC, pen->m_hObject)) : nullptr;
}

CBrush* CDC::SelectObject(CBrush* brush) {
    return brush ? Previous<CBrush>(::SelectObject(m_hDC, brush->m_hObject)) : nullptr;
}

CFont* CDC::SelectObject(CFont* font) {
    return font ? Previous<CFont>(::SelectObject(m_hDC, font->m_hObject)) : nullptr;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    return bitmap ? Previous<CBitmap>(::SelectObject(m_hDC, bitmap->m_hObject)) : nullptr;
}

CGdiObject* CDC::SelectObject(CGdiObject* object) {
    return object ? Previous<CGdiObject>(::SelectObject(m_hDC, object->m_hObject)) : nullptr;
}

CGdiObject* CDC::SelectStockObject(int index) {
    return Previous<CGdiObject>(::SelectObject(m_hDC, ::GetStockObject(index)));
}

CPen* CDC::GetCurrentPen() const {
    return Previous<CPen>(::GetCurrentObject(m_hDC, OBJ_PEN));
}

CBrush* CDC::GetCurrentBrush() const {
    return Previous<CBrush>(::GetCurrentObject(m_hDC, OBJ_BRUSH));
}

CFont* CDC::GetCurrentFont() const {
    return Previous<CFont>(::GetCurrentObject(m_hDC, OBJ_FONT));
}

CBitmap* CDC::GetCurrentBitmap() const {
    return Previous<CBitmap>(::GetCurrentObject(m_hDC, OBJ_BITMAP));
}

COLORREF CDC::SetTextColor(COLORREF color) {
    return ::SetTextColor(m_hDC, color);
}
COLORREF CDC::GetTextColor() const {
    return ::GetTextColor(m_hDC);
}
COLORREF CDC::SetBkColor(COLORREF color) {
    return ::SetBkColor(m_hDC, color);
}
COLORREF CDC::GetBkColor() const {
    return ::GetBkColor(m_hDC);
}
int CDC::SetBkMode(int mode) {
    return ::SetBkMode(m_hDC, mode);
}
int CDC::GetBkMode() const {
    return ::GetBkMode(m_hDC);
}
int CDC::SetROP2(int rop2) {
    return ::SetROP2(m_hDC, rop2);
}
int CDC::GetROP2() const {
    return ::GetROP2(m_hDC);
}
UINT CDC::SetTextAlign(UINT align) {
    return ::SetTextAlign(m_hDC, align);
}
UINT CDC::GetTextAlign() const {
    return ::GetTextAlign(m_hDC);
}

CPoint CDC::SetViewportOrg(int x, int y) {
    POINT old{0, 0};
    ::SetViewportOrgEx(m_hDC, x, y, &old);
    return old;
}

CPoint CDC::SetViewportOrg(POINT point) {
    return SetViewportOrg(point.x, point.y);
}

CPoint CDC::OffsetViewportOrg(int dx, int dy) {
    POINT old{0, 0};
    ::OffsetViewportOrgEx(m_hDC, dx, dy, &old);
    return old;
}

CPoint CDC::GetViewportOrg() const {
    POINT origin{0, 0};
    ::GetViewportOrgEx(m_hDC, &origin);
    return origin;
}

int CDC::IntersectClipRect(int left, int top, int right, int bottom) {
    return ::IntersectClipRect(m_hDC, left, top, right, bottom);
}

int CDC::IntersectClipRect(LPCRECT rect) {
    return rect ? IntersectClipRect(rect->left, rect->top, rect->right, rect->bottom) : 0;
}

int CDC::GetClipBox(LPRECT rect) const {
    return ::GetClipBox(m_hDC, rect);
}

CPoint CDC::MoveTo(int x, int y) {
    POINT old{0, 0};
    ::MoveToEx(m_hDC, x, y, &old);
    return old;
}

CPoint CDC::MoveTo(POINT point) {
    return MoveTo(point.x, point.y);
}
BOOL CDC::LineTo(int x, int y) {
    return ::LineTo(m_hDC, x, y);
}
BOOL CDC::LineTo(POINT point) {
    return LineTo(point.x, point.y);
}
BOOL CDC::Polyline(const POINT* points, int count) {
    return ::Polyline(m_hDC, points, count);
}
BOOL CDC::Polygon(const POINT* points, int count) {
    return ::Polygon(m_hDC, points, count);
}

BOOL CDC::Rectangle(int left, int top, int right, int bottom) {
    return ::Rectangle(m_hDC, left, top, right, bottom);
}

BOOL CDC::Rectangle(LPCRECT rect) {
    return rect && Rectangle(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL CDC::Ellipse(int left, int top, int right, int bottom) {
    return ::Ellipse(m_hDC, left, top, right, bottom);
}

BOOL CDC::Ellipse(LPCRECT rect) {
    return rect && Ellipse(rect->left, rect->top, rect->right, rect->bottom);
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color) {
    return ::SetPixel(m_hDC, x, y, color);
}
COLORREF CDC::GetPixel(int x, int y) const {
    return ::GetPixel(m_hDC, x, y);
}

void CDC::FillRect(LPCRECT rect, CBrush* brush) {
    ::FillRect(m_hDC, rect, brush ? static_cast<HBRUSH>(brush->m_hObject) : nullptr);
}

void CDC::FrameRect(LPCRECT rect, CBrush* brush) {
    ::FrameRect(m_hDC, rect, brush ? static_cast<HBRUSH>(brush->m_hObject) : nullptr);
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF color) {
    ::SetBkColor(m_hDC, color);
    ::ExtTextOut(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
}

void CDC::FillSolidRect(int x, int y, int width, int height, COLORREF color) {
    RECT rect{x, y, x + width, y + height};
    FillSolidRect(&rect, color);
}

void CDC::DrawFocusRect(LPCRECT rect) {
    ::DrawFocusRect(m_hDC, rect);
}

BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop) {
    return ::PatBlt(m_hDC, x, y, width, height, rop);
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* src, int srcX, int srcY, DWORD rop) {
    return ::BitBlt(m_hDC, x, y, width, height, src ? src->m_hDC : nullptr, srcX, srcY, rop);
}

BOOL CDC::DrawIcon(int x, int y, HICON icon) {
    return ::DrawIcon(m_hDC, x, y, icon);
}
BOOL CDC::DrawIcon(POINT point, HICON icon) {
    return DrawIcon(point.x, point.y, icon);
}

BOOL CDC::TextOut(int x, int y, LPCSTR text, int count) {
    return ::TextOut(m_hDC, x, y, text, count);
}

BOOL CDC::TextOut(int x, int y, const std::string& text) {
    return TextOut(x, y, text.c_str(), static_cast<int>(text.size()));
}

BOOL CDC::ExtTextOut(int x, int y, UINT options, LPCRECT rect, LPCSTR text, UINT count, LPINT dx) {
    return ::ExtTextOut(m_hDC, x, y, options, rect, text, count, dx);
}

int CDC::DrawText(LPCSTR text, int count, LPRECT rect, UINT format) {
    return ::DrawText(m_hDC, text, count, rect, format);
}

int CDC::DrawText(const std::string& text, LPRECT rect, UINT format) {
    return DrawText(text.c_str(), static_cast<int>(text.size()), rect, format);
}

CSize CDC::GetTextExtent(LPCSTR text, int count) const {
    SIZE size{0, 0};
    ::GetTextExtentPoint32(m_hDC, text, count, &size);
    return size;
}

CSize CDC::GetTextExtent(const std::string& text) const {
    return GetTextExtent(text.c_str(), static_cast<int>(text.size()));
}

BOOL CDC::GetTextMetrics(LPTEXTMETRIC metrics) const {
    return ::GetTextMetrics(m_hDC, metrics);
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) {
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC() {
    if (m_hDC) {
        ::EndPaint(m_hWnd, &m_ps);
    }
    Detach();
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) {
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC() {
    if (m_hDC) {
        ::ReleaseDC(m_hWnd, Detach());
    }
}
