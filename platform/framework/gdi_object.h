// Framework wrappers of GDI objects: CGdiObject and its pens, brushes, fonts and bitmaps.
//
// As in the framework, an object owns the handle it created or attached and deletes it in
// its destructor; FromHandle answers the object attached to a handle, or a temporary
// wrapper kept until the handle is deleted (so the result of SelectObject stays usable).
#pragma once

#include "platform/framework/object.h"
#include "platform/gdi/gdi.h"

class CDC;

class CGdiObject : public CObject {
    DECLARE_DYNAMIC(CGdiObject)
  public:
    HGDIOBJ m_hObject = nullptr;

    CGdiObject() = default;
    ~CGdiObject() override;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    operator HGDIOBJ() const { return m_hObject; }
    HGDIOBJ GetSafeHandle() const { return m_hObject; }

    static CGdiObject* FromHandle(HGDIOBJ object);
    BOOL Attach(HGDIOBJ object);
    HGDIOBJ Detach();
    BOOL DeleteObject();
    BOOL CreateStockObject(int index);
    int GetObject(int size, LPVOID buffer) const;
    UINT GetObjectType() const;
    BOOL UnrealizeObject() { return m_hObject != nullptr; }

  protected:
    // Attaches an object just created for this wrapper, or deletes it when one is attached.
    BOOL AttachNew(HGDIOBJ object);
};

class CPen : public CGdiObject {
    DECLARE_DYNAMIC(CPen)
  public:
    CPen() = default;
    CPen(int style, int width, COLORREF color);

    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
    static CPen* FromHandle(HPEN pen);
    BOOL CreatePen(int style, int width, COLORREF color);
    BOOL CreatePenIndirect(LPLOGPEN logPen);
    int GetLogPen(LOGPEN* logPen) const;
};

class CBrush : public CGdiObject {
    DECLARE_DYNAMIC(CBrush)
  public:
    CBrush() = default;
    explicit CBrush(COLORREF color);

    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    static CBrush* FromHandle(HBRUSH brush);
    BOOL CreateSolidBrush(COLORREF color);
    BOOL CreateBrushIndirect(const LOGBRUSH* logBrush);
    BOOL CreateSysColorBrush(int index);
    int GetLogBrush(LOGBRUSH* logBrush) const;
};

class CFont : public CGdiObject {
    DECLARE_DYNAMIC(CFont)
  public:
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
    static CFont* FromHandle(HFONT font);
    BOOL CreateFontIndirect(const LOGFONT* logFont);
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                    BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision,
                    BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, LPCSTR faceName);
    int GetLogFont(LOGFONT* logFont) const;
};

class CBitmap : public CGdiObject {
    DECLARE_DYNAMIC(CBitmap)
  public:
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    static CBitmap* FromHandle(HBITMAP bitmap);
    // From the current resource handle and the resource chain (module resources).
    BOOL LoadBitmap(UINT resourceId);
    BOOL LoadBitmap(LPCSTR resourceName);
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    int GetBitmap(BITMAP* bitmap) const;
};
