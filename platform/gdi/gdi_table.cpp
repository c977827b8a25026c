// GDI handle table, object creation and deletion, stock objects and the image seam.
#include "common/handle_table.h"
#include "platform/core/window_private.h"
#include "platform/gdi/gdi_private.h"
#include "platform/gdi/gdi_surface.h"

#include <cstring>

namespace {

// A handle is (generation << 24) | index with generation >= 1, so no handle is below 2^24
// and the system-colour brush values (COLOR_xxx + 1) never look like one.
using GdiTable = platform::HandleTable<std::shared_ptr<GdiObject>, 24, 24>;

// Never destroyed: objects in static storage may delete their handles at exit.
GdiTable& Table() {
    static auto* table = new GdiTable;
    return *table;
}

template <class T> HGDIOBJ InsertPermanent(std::shared_ptr<T> object) {
    object->permanent = true;
    return GdiInsert(std::move(object));
}

HGDIOBJ MakePen(UINT style, int width, COLORREF color) {
    auto pen = std::make_shared<PenObject>();
    pen->log = {style, {width, 0}, color};
    return GdiInsert(pen);
}

HGDIOBJ MakeBrush(UINT style, COLORREF color) {
    auto brush = std::make_shared<BrushObject>();
    brush->log = {style, color, 0};
    return GdiInsert(brush);
}

HGDIOBJ MakeFont(const LOGFONT& log) {
    auto font = std::make_shared<FontObject>();
    font->log = log;
    return GdiInsert(font);
}

HGDIOBJ MakeStockObject(int index) {
    switch (index) {
    case WHITE_BRUSH:
        return MakeBrush(BS_SOLID, RGB(255, 255, 255));
    case LTGRAY_BRUSH:
        return MakeBrush(BS_SOLID, RGB(192, 192, 192));
    case GRAY_BRUSH:
        return MakeBrush(BS_SOLID, RGB(128, 128, 128));
    case DKGRAY_BRUSH:
        return MakeBrush(BS_SOLID, RGB(64, 64, 64));
    case BLACK_BRUSH:
        return MakeBrush(BS_SOLID, RGB(0, 0, 0));
    case NULL_BRUSH:
        return MakeBrush(BS_NULL, 0);
    case WHITE_PEN:
        return MakePen(PS_SOLID, 1, RGB(255, 255, 255));
    case BLACK_PEN:
        return MakePen(PS_SOLID, 1, RGB(0, 0, 0));
    case NULL_PEN:
        return MakePen(PS_NULL, 1, 0);
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case ANSI_VAR_FONT:
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
    case SYSTEM_FIXED_FONT:
    case DEFAULT_GUI_FONT:
        return MakeFont(GdiStockLogFont(index));
    default:
        return nullptr;
    }
}

template <class T> int CopyRecord(const T& record, int size, LPVOID buffer) {
    if (!buffer) {
        return sizeof(T);
    }
    if (size < static_cast<int>(sizeof(T))) {
        return 0;
    }
    std::memcpy(buffer, &record, sizeof(T));
    return sizeof(T);
}

HBITMAP InsertBitmap(QImage image) {
    auto bitmap = std::make_shared<BitmapObject>();
    bitmap->image = std::move(image);
    return static_cast<HBITMAP>(GdiInsert(bitmap));
}

} // namespace

HGDIOBJ GdiInsert(std::shared_ptr<GdiObject> object) {
    return reinterpret_cast<HGDIOBJ>(Table().Add(std::move(object)));
}

std::shared_ptr<GdiObject> GdiLookup(HGDIOBJ handle) {
    return Table().Lookup(reinterpret_cast<uintptr_t>(handle));
}

// The slot is free before the object goes: its destructor finds its handle stale. Once the
// program is ending nothing is removed: an object's Qt side may outlive Qt.
bool GdiRemove(HGDIOBJ handle) {
    if (platform::ApplicationEnded()) {
        return false;
    }
    return Table().Remove(reinterpret_cast<uintptr_t>(handle)) != nullptr;
}

size_t GdiLiveObjectCount() {
    return Table().Count();
}

QColor GdiColor(COLORREF color) {
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

COLORREF GdiColorRef(QRgb pixel) {
    return RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

HGDIOBJ GetStockObject(int index) {
    static HGDIOBJ stock[DEFAULT_GUI_FONT + 1] = {};
    if (index < 0 || index > DEFAULT_GUI_FONT) {
        return nullptr;
    }
    if (!stock[index]) {
        stock[index] = MakeStockObject(index);
        if (auto object = GdiLookup(stock[index])) {
            object->permanent = true;
        }
    }
    return stock[index];
}

HPEN CreatePen(int style, int width, COLORREF color) {
    if (style < PS_SOLID || style > PS_INSIDEFRAME) {
        return nullptr;
    }
    return static_cast<HPEN>(MakePen(style, width < 0 ? 0 : width, color));
}

HPEN CreatePenIndirect(const LOGPEN* logPen) {
    if (!logPen) {
        return nullptr;
    }
    return CreatePen(logPen->lopnStyle, logPen->lopnWidth.x, logPen->lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF color) {
    return static_cast<HBRUSH>(MakeBrush(BS_SOLID, color & 0xFFFFFF));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* logBrush) {
    if (!logBrush || logBrush->lbStyle > BS_NULL) {
        return nullptr;
    }
    return static_cast<HBRUSH>(MakeBrush(logBrush->lbStyle, logBrush->lbColor & 0xFFFFFF));
}

HBRUSH GdiCreatePermanentBrush(COLORREF color) {
    auto brush = std::make_shared<BrushObject>();
    brush->log = {BS_SOLID, color & 0xFFFFFF, 0};
    return static_cast<HBRUSH>(InsertPermanent(brush));
}

HFONT CreateFontIndirect(const LOGFONT* logFont) {
    if (!logFont) {
        return nullptr;
    }
    LOGFONT log = *logFont;
    log.lfFaceName[LF_FACESIZE - 1] = '\0';
    return static_cast<HFONT>(MakeFont(log));
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                 DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR faceName) {
    LOGFONT log{height,
                width,
                escapement,
                orientation,
                weight,
                static_cast<BYTE>(italic),
                static_cast<BYTE>(underline),
                static_cast<BYTE>(strikeOut),
                static_cast<BYTE>(charSet),
                static_cast<BYTE>(outPrecision),
                static_cast<BYTE>(clipPrecision),
                static_cast<BYTE>(quality),
                static_cast<BYTE>(pitchAndFamily),
                {}};
    if (faceName) {
        std::strncpy(log.lfFaceName, faceName, LF_FACESIZE - 1);
    }
    return CreateFontIndirect(&log);
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
    if ((hdc && !GdiDc(hdc)) || width < 0 || height < 0) {
        return nullptr; // a null DC stands for the screen
    }
    // Windows answers a 1 x 1 bitmap for an empty size. Every bitmap here is 32-bit colour,
    // even when the DC is a memory DC still holding its monochrome stock bitmap.
    QImage image(width ? width : 1, height ? height : 1, QImage::Format_RGB32);
    if (image.isNull()) {
        return nullptr;
    }
    image.fill(Qt::black);
    return InsertBitmap(std::move(image));
}

HBITMAP GdiCreateBitmapFromImage(const QImage& image) {
    if (image.isNull()) {
        return nullptr;
    }
    return InsertBitmap(image.convertToFormat(QImage::Format_RGB32));
}

HICON GdiCreateIconFromImage(const QImage& image) {
    if (image.isNull()) {
        return nullptr;
    }
    auto icon = std::make_shared<IconObject>();
    icon->image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return static_cast<HICON>(GdiInsert(icon));
}

const QImage* GdiBitmapImage(HBITMAP bitmap) {
    auto object = GdiLookupAs<BitmapObject>(bitmap, GdiKind::Bitmap);
    return object ? &object->image : nullptr;
}

const QImage* GdiIconImage(HICON icon) {
    auto object = GdiLookupAs<IconObject>(icon, GdiKind::Icon);
    return object ? &object->image : nullptr;
}

QFont GdiQFont(HFONT font) {
    auto object = GdiLookupAs<FontObject>(font, GdiKind::Font);
    return object ? object->Font() : GdiMakeQFont(GdiStockLogFont(SYSTEM_FONT));
}

BOOL DeleteObject(HGDIOBJ handle) {
    auto object = GdiLookup(handle);
    if (!object || object->kind == GdiKind::Dc || object->kind == GdiKind::Icon) {
        return FALSE;
    }
    if (object->permanent) {
        return TRUE;
    }
    return GdiRemove(handle);
}

BOOL DestroyIcon(HICON icon) {
    if (!GdiLookupAs<IconObject>(icon, GdiKind::Icon)) {
        return FALSE;
    }
    return GdiRemove(icon);
}

DWORD GetObjectType(HGDIOBJ handle) {
    auto object = GdiLookup(handle);
    if (!object) {
        return 0;
    }
    switch (object->kind) {
    case GdiKind::Pen:
        return OBJ_PEN;
    case GdiKind::Brush:
        return OBJ_BRUSH;
    case GdiKind::Font:
        return OBJ_FONT;
    case GdiKind::Bitmap:
        return OBJ_BITMAP;
    case GdiKind::Dc:
        return std::static_pointer_cast<DcObject>(object)->memory ? OBJ_MEMDC : OBJ_DC;
    case GdiKind::Icon:
        return 0;
    }
    return 0;
}

int GetObject(HGDIOBJ handle, int size, LPVOID buffer) {
    auto object = GdiLookup(handle);
    if (!object) {
        return 0;
    }
    switch (object->kind) {
    case GdiKind::Pen:
        return CopyRecord(std::static_pointer_cast<PenObject>(object)->log, size, buffer);
    case GdiKind::Brush:
        return CopyRecord(std::static_pointer_cast<BrushObject>(object)->log, size, buffer);
    case GdiKind::Font:
        return CopyRecord(std::static_pointer_cast<FontObject>(object)->log, size, buffer);
    case GdiKind::Bitmap: {
        const QImage& image = std::static_pointer_cast<BitmapObject>(object)->image;
        BITMAP record{0, image.width(), image.height(), image.width() * 4, 1, 32, nullptr};
        return CopyRecord(record, size, buffer);
    }
    default:
        return 0;
    }
}
