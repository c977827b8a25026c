// Framework GDI objects: CGdiObject, CPen, CBrush, CFont, CBitmap.
#include "platform/framework/gdi_object.h"
#include "platform/core/win32_user.h"
#include "platform/framework/cdc.h"
#include "platform/framework/extension_module.h"
#include "platform/framework/resource.h"
#include "platform/gdi/gdi_private.h"

IMPLEMENT_DYNAMIC(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)

namespace {

GdiHandleMap<CGdiObject>& Objects() {
    static auto* map = new GdiHandleMap<CGdiObject>;
    return *map;
}

std::unique_ptr<CGdiObject> MakeWrapper(HGDIOBJ handle) {
    std::unique_ptr<CGdiObject> object;
    switch (::GetObjectType(handle)) {
    case OBJ_PEN:
        object = std::make_unique<CPen>();
        break;
    case OBJ_BRUSH:
        object = std::make_unique<CBrush>();
        break;
    case OBJ_FONT:
        object = std::make_unique<CFont>();
        break;
    case OBJ_BITMAP:
        object = std::make_unique<CBitmap>();
        break;
    default:
        object = std::make_unique<CGdiObject>();
        break;
    }
    object->Attach(handle);
    return object;
}

} // namespace

CGdiObject::~CGdiObject() {
    DeleteObject();
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ object) {
    return Objects().FromHandle(object, [object] { return MakeWrapper(object); });
}

BOOL CGdiObject::Attach(HGDIOBJ object) {
    if (!object || m_hObject || !GdiLookup(object)) {
        return FALSE;
    }
    m_hObject = object;
    Objects().Attach(object, this);
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ object = m_hObject;
    if (object) {
        Objects().Detach(object);
    }
    m_hObject = nullptr;
    return object;
}

BOOL CGdiObject::AttachNew(HGDIOBJ object) {
    if (Attach(object)) {
        return TRUE;
    }
    ::DeleteObject(object); // the wrapper already holds an object: do not leak the new one
    return FALSE;
}

BOOL CGdiObject::DeleteObject() {
    if (!m_hObject) {
        return FALSE;
    }
    return ::DeleteObject(Detach());
}

BOOL CGdiObject::CreateStockObject(int index) {
    return Attach(::GetStockObject(index));
}

int CGdiObject::GetObject(int size, LPVOID buffer) const {
    return ::GetObject(m_hObject, size, buffer);
}

UINT CGdiObject::GetObjectType() const {
    return ::GetObjectType(m_hObject);
}

CPen::CPen(int style, int width, COLORREF color) {
    CreatePen(style, width, color);
}

CPen* CPen::FromHandle(HPEN pen) {
    return static_cast<CPen*>(CGdiObject::FromHandle(pen));
}

BOOL CPen::CreatePen(int style, int width, COLORREF color) {
    return AttachNew(::CreatePen(style, width, color));
}

BOOL CPen::CreatePenIndirect(LPLOGPEN logPen) {
    return AttachNew(::CreatePenIndirect(logPen));
}

int CPen::GetLogPen(LOGPEN* logPen) const {
    return GetObject(sizeof(LOGPEN), logPen);
}

CBrush::CBrush(COLORREF color) {
    CreateSolidBrush(color);
}

CBrush* CBrush::FromHandle(HBRUSH brush) {
    return static_cast<CBrush*>(CGdiObject::FromHandle(brush));
}

BOOL CBrush::CreateSolidBrush(COLORREF color) {
    return AttachNew(::CreateSolidBrush(color));
}

BOOL CBrush::CreateBrushIndirect(const LOGBRUSH* logBrush) {
    return AttachNew(::CreateBrushIndirect(logBrush));
}

BOOL CBrush::CreateSysColorBrush(int index) {
    return AttachNew(::GetSysColorBrush(index));
}

int CBrush::GetLogBrush(LOGBRUSH* logBrush) const {
    return GetObject(sizeof(LOGBRUSH), logBrush);
}

CFont* CFont::FromHandle(HFONT font) {
    return static_cast<CFont*>(CGdiObject::FromHandle(font));
}

BOOL CFont::CreateFontIndirect(const LOGFONT* logFont) {
    return AttachNew(::CreateFontIndirect(logFont));
}

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight,
                       BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision,
                       BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, LPCSTR faceName) {
    return AttachNew(::CreateFont(height, width, escapement, orientation, weight, italic, underline,
                                  strikeOut, charSet, outPrecision, clipPrecision, quality,
                                  pitchAndFamily, faceName));
}

int CFont::GetLogFont(LOGFONT* logFont) const {
    return GetObject(sizeof(LOGFONT), logFont);
}

CBitmap* CBitmap::FromHandle(HBITMAP bitmap) {
    return static_cast<CBitmap*>(CGdiObject::FromHandle(bitmap));
}

BOOL CBitmap::LoadBitmap(UINT resourceId) {
    return LoadBitmap(MAKEINTRESOURCE(resourceId));
}

BOOL CBitmap::LoadBitmap(LPCSTR resourceName) {
    return AttachNew(::LoadBitmap(AfxFindResourceHandle(resourceName, RT_BITMAP), resourceName));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
    return AttachNew(::CreateCompatibleBitmap(dc ? dc->m_hDC : nullptr, width, height));
}

int CBitmap::GetBitmap(BITMAP* bitmap) const {
    return GetObject(sizeof(BITMAP), bitmap);
}
