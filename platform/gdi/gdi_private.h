// GDI internals shared by the GDI sources: object records, the handle table and the device
// context state. Platform-private.
#pragma once

#include "platform/gdi/gdi.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QStaticText>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

enum class GdiKind { Pen, Brush, Font, Bitmap, Icon, Dc };

struct GdiObject {
    explicit GdiObject(GdiKind k) : kind(k) {}
    virtual ~GdiObject() = default;
    GdiKind kind;
    bool permanent = false; // stock objects and system colour brushes survive DeleteObject
};

struct PenObject : GdiObject {
    PenObject() : GdiObject(GdiKind::Pen) {}
    LOGPEN log{};
};

struct BrushObject : GdiObject {
    BrushObject() : GdiObject(GdiKind::Brush) {}
    LOGBRUSH log{};
};

struct FontObject : GdiObject {
    FontObject() : GdiObject(GdiKind::Font) {}
    LOGFONT log{};
    // Made on first use, so drawing without text needs no font database.
    const QFont& Font();
    const QFontMetrics& Metrics();
    // A line shaped once with this font, for drawing and for its width; the texts of the
    // last kShapedLimit lines drawn are kept (a table repaints the same cells again).
    struct Shaped {
        QStaticText text;
        int width = 0;
    };
    const Shaped& ShapedLine(const QString& line);
    static constexpr int kShapedLimit = 4096;

  private:
    std::optional<QFont> m_font;
    std::optional<QFontMetrics> m_metrics;
    QHash<QString, Shaped> m_shaped;
};

struct BitmapObject : GdiObject {
    BitmapObject() : GdiObject(GdiKind::Bitmap) {}
    QImage image; // Format_RGB32
};

struct IconObject : GdiObject {
    IconObject() : GdiObject(GdiKind::Icon) {}
    QImage image; // Format_ARGB32_Premultiplied
};

// Everything SaveDC saves. Selected objects are held by reference count, so deleting an
// object that is still selected leaves the DC drawing with it until something else is
// selected (its handle is stale at once).
struct DcState {
    HPEN penHandle = nullptr;
    std::shared_ptr<PenObject> pen;
    HBRUSH brushHandle = nullptr;
    std::shared_ptr<BrushObject> brush;
    HFONT fontHandle = nullptr;
    std::shared_ptr<FontObject> font;
    HBITMAP bitmapHandle = nullptr;
    std::shared_ptr<BitmapObject> bitmap;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    int rop2 = R2_COPYPEN;
    UINT textAlign = TA_LEFT | TA_TOP;
    QPoint viewportOrg;
    QPoint position;           // current position (logical)
    std::optional<QRect> clip; // user clip in device pixels; none = whole surface
};

struct DcObject : GdiObject {
    DcObject() : GdiObject(GdiKind::Dc) {}
    bool memory = false;       // memory DC: draws into the selected bitmap
    QImage* surface = nullptr; // window DC: the backing image (null once released)
    QPoint origin;             // device pixel of logical (0, 0) before the viewport origin
    QRect bounds;              // window DC: drawable part of the surface
    DcState state;
    std::vector<DcState> saved;
    bool drew = false; // something was drawn into the target

    QImage* Target() const;
    QImage* DrawTarget();     // the target, for drawing into it
    QRect DeviceClip() const; // where drawing may land, in target pixels; may be empty
    QPoint DeviceOffset() const { return origin + state.viewportOrg; }
};

// Handle table: index + generation; stale and foreign handles answer null.
HGDIOBJ GdiInsert(std::shared_ptr<GdiObject> object);
std::shared_ptr<GdiObject> GdiLookup(HGDIOBJ handle);
bool GdiRemove(HGDIOBJ handle);
size_t GdiLiveObjectCount();

template <class T> std::shared_ptr<T> GdiLookupAs(HGDIOBJ handle, GdiKind kind) {
    auto object = GdiLookup(handle);
    if (!object || object->kind != kind) {
        return nullptr;
    }
    return std::static_pointer_cast<T>(object);
}

inline std::shared_ptr<DcObject> GdiDc(HDC hdc) {
    return GdiLookupAs<DcObject>(hdc, GdiKind::Dc);
}

// Fonts and text (gdi_text.cpp): the Qt font a LOGFONT draws with; stock font records.
QFont GdiMakeQFont(const LOGFONT& log);
LOGFONT GdiStockLogFont(int index);

// Runs `paint` with a painter in the DC's logical coordinates, clipped, with no raster
// operation (text, icons). Does nothing when the DC has no surface left.
class QPainter;
void GdiPaint(DcObject& dc, const std::function<void(QPainter&)>& paint);

QColor GdiColor(COLORREF color);
COLORREF GdiColorRef(QRgb pixel);

// Framework objects by handle: permanent ones (attached by their owner) and temporary
// wrappers made by FromHandle, dropped once their handle is stale. Maps live for the whole
// process, so wrappers never outlive the handle table.
template <class T> class GdiHandleMap {
  public:
    void Attach(void* handle, T* object) { m_permanent[handle] = object; }
    void Detach(void* handle) { m_permanent.erase(handle); }

    template <class Make> T* FromHandle(void* handle, Make&& make) {
        if (!handle || !GdiLookup(handle)) {
            return nullptr;
        }
        if (auto it = m_permanent.find(handle); it != m_permanent.end()) {
            return it->second;
        }
        if (auto it = m_temporary.find(handle); it != m_temporary.end()) {
            return it->second.get();
        }
        PruneStale();
        auto& object = m_temporary[handle];
        object = make(); // attached to the handle, which also lists it as permanent
        m_permanent.erase(handle);
        return object.get();
    }

  private:
    void PruneStale() {
        if (m_temporary.size() < m_pruneAt) {
            return;
        }
        std::erase_if(m_temporary, [](auto& entry) {
            if (GdiLookup(entry.first)) {
                return false;
            }
            entry.second->Detach();
            return true;
        });
        m_pruneAt = std::max<size_t>(64, 2 * m_temporary.size());
    }

    std::unordered_map<void*, T*> m_permanent;
    std::unordered_map<void*, std::unique_ptr<T>> m_temporary;
    size_t m_pruneAt = 64;
};
