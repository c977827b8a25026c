// GDI fonts and text: LOGFONT to QFont, TextOut, ExtTextOut, DrawText, extents, metrics.
//
// Every face name maps to one of the DejaVu families (fonts-dejavu-core) so that text looks
// and measures the same on every machine: fixed-pitch faces to DejaVu Sans Mono, serif faces
// to DejaVu Serif, all others to DejaVu Sans. DejaVu has no Chinese: every font falls back to
// WenQuanYi Zen Hei (fonts-wqy-zenhei) for the glyphs it lacks, so the Chinese catalog's
// titles and the module's Chinese menus draw as text, not as empty boxes, and the same on
// every machine whatever else fontconfig would pick. Escapement and orientation are not
// honoured.
#include "platform/gdi/gdi_private.h"

#include <QPainter>
#include <QStaticText>
#include <QString>
#include <QStringList>
#include <QTransform>

#include <cmath>
#include <cstring>

namespace {

bool FaceHas(const QString& face, std::initializer_list<const char*> parts) {
    for (const char* part : parts) {
        if (face.contains(QLatin1String(part), Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

QString FamilyFor(const LOGFONT& log) {
    QString face = QString::fromLatin1(log.lfFaceName, qstrnlen(log.lfFaceName, LF_FACESIZE));
    int family = log.lfPitchAndFamily & 0xF0;
    if ((log.lfPitchAndFamily & 3) == FIXED_PITCH || family == FF_MODERN ||
        FaceHas(face, {"courier", "fixedsys", "terminal", "console", "consolas", "mono"})) {
        return QStringLiteral("DejaVu Sans Mono");
    }
    if (!FaceHas(face, {"sans"}) &&
        (family == FF_ROMAN || FaceHas(face, {"times", "roman", "serif", "georgia"}))) {
        return QStringLiteral("DejaVu Serif");
    }
    return QStringLiteral("DejaVu Sans");
}

// A positive height is the cell height (ascent + descent); find the em size that gives it.
int EmPixels(const QFont& base, LONG height) {
    if (height < 0) {
        return -height;
    }
    LONG cell = height == 0 ? 16 : height; // 0 asks for the default size
    QFont probe = base;
    probe.setPixelSize(100);
    QFontMetrics metrics(probe);
    int reference = metrics.ascent() + metrics.descent();
    return std::max(1, static_cast<int>(std::lround(cell * 100.0 / reference)));
}

QString Utf8(LPCSTR text, int count) {
    if (!text || count <= 0) {
        return {};
    }
    return QString::fromUtf8(text, count);
}

// "&x" marks a mnemonic: the '&' is dropped and "&&" shows one '&'. The underline is not
// drawn, as Windows hides it until the keyboard is used.
QString StripPrefixes(const QString& text) {
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) {
            ++i;
        } else if (text[i] == QLatin1Char('&')) {
            continue;
        }
        result += text[i];
    }
    return result;
}

QStringList WrapParagraph(const QString& paragraph, const QFontMetrics& metrics, int width) {
    QStringList lines;
    QString line;
    bool first = true;
    for (const QString& word : paragraph.split(QLatin1Char(' '))) {
        QString trial = first ? word : line + QLatin1Char(' ') + word;
        if (first || metrics.horizontalAdvance(trial) <= width) {
            line = trial;
            first = false;
            continue;
        }
        lines << line; // the blank at the break is dropped; a word wider than the box stays whole
        line = word;
    }
    lines << line;
    return lines;
}

QString EndEllipsis(QString line, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(line) <= width) {
        return line;
    }
    const QString dots = QStringLiteral("...");
    while (!line.isEmpty() && metrics.horizontalAdvance(line + dots) > width) {
        line.chop(1);
    }
    return line + dots;
}

QStringList LayoutLines(QString text, UINT format, const QFontMetrics& metrics, int width) {
    text.remove(QLatin1Char('\r'));
    if (format & DT_SINGLELINE) {
        return {text.replace(QLatin1Char('\n'), QLatin1Char(' '))};
    }
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        if (format & DT_WORDBREAK) {
            lines << WrapParagraph(paragraph, metrics, width);
        } else {
            lines << paragraph;
        }
    }
    return lines;
}

int LineLeft(UINT format, const RECT& rect, int lineWidth) {
    if (format & DT_CENTER) {
        return rect.left + (rect.right - rect.left - lineWidth) / 2;
    }
    if (format & DT_RIGHT) {
        return rect.right - lineWidth;
    }
    return rect.left;
}

int FirstLineTop(UINT format, const RECT& rect, int lineHeight) {
    if (!(format & DT_SINGLELINE)) {
        return rect.top;
    }
    if (format & DT_VCENTER) {
        return rect.top + (rect.bottom - rect.top - lineHeight) / 2;
    }
    if (format & DT_BOTTOM) {
        return rect.bottom - lineHeight;
    }
    return rect.top;
}

// Draws one run of text with its cell's top-left at `topLeft` (logical), the background
// filled first in OPAQUE mode, clipped further to `clip` (logical) when given.
void DrawRun(DcObject& dc, QPoint topLeft, const QString& text, const QRect* clip) {
    FontObject& font = *dc.state.font;
    const QFontMetrics& metrics = font.Metrics();
    const FontObject::Shaped& shaped = font.ShapedLine(text);
    QRect cell(topLeft, QSize(shaped.width, metrics.ascent() + metrics.descent()));
    DcState& state = dc.state;
    GdiPaint(dc, [&](QPainter& p) {
        if (clip) {
            p.setClipRect(*clip, Qt::IntersectClip);
        }
        if (state.bkMode == OPAQUE) {
            p.fillRect(cell, GdiColor(state.bkColor));
        }
        p.setFont(font.Font());
        p.setPen(GdiColor(state.textColor));
        p.drawStaticText(topLeft, shaped.text);
    });
}

// Top-left of a TextOut run from its reference point and the DC's text alignment.
QPoint AlignedTopLeft(UINT align, QPoint reference, QSize extent, int ascent) {
    int x = reference.x();
    if ((align & TA_CENTER) == TA_CENTER) {
        x -= extent.width() / 2;
    } else if (align & TA_RIGHT) {
        x -= extent.width();
    }
    int y = reference.y();
    if ((align & TA_BASELINE) == TA_BASELINE) {
        y -= ascent;
    } else if (align & TA_BOTTOM) {
        y -= extent.height();
    }
    return QPoint(x, y);
}

BOOL TextRun(HDC hdc, int x, int y, const QString& text, const QRect* clip) {
    auto dc = GdiDc(hdc);
    if (!dc) {
        return FALSE;
    }
    const QFontMetrics& metrics = dc->state.font->Metrics();
    QSize extent(metrics.horizontalAdvance(text), metrics.ascent() + metrics.descent());
    UINT align = dc->state.textAlign;
    QPoint reference = (align & TA_UPDATECP) ? dc->state.position : QPoint(x, y);
    DrawRun(*dc, AlignedTopLeft(align, reference, extent, metrics.ascent()), text, clip);
    if ((align & TA_UPDATECP) && !(align & TA_RIGHT)) {
        dc->state.position.rx() += extent.width();
    }
    return TRUE;
}

LOGFONT StockFont(LONG height, LONG weight, BYTE pitchAndFamily, const char* face) {
    LOGFONT log{};
    log.lfHeight = height;
    log.lfWeight = weight;
    log.lfCharSet = ANSI_CHARSET;
    log.lfPitchAndFamily = pitchAndFamily;
    std::strncpy(log.lfFaceName, face, LF_FACESIZE - 1);
    return log;
}

} // namespace

QFont GdiMakeQFont(const LOGFONT& log) {
    QFont font;
    font.setFamilies({FamilyFor(log), QStringLiteral("WenQuanYi Zen Hei")});
    font.setPixelSize(EmPixels(font, log.lfHeight));
    font.setWeight(static_cast<QFont::Weight>(log.lfWeight > 0 ? std::min<LONG>(log.lfWeight, 1000)
                                                               : FW_NORMAL));
    font.setItalic(log.lfItalic != 0);
    font.setUnderline(log.lfUnderline != 0);
    font.setStrikeOut(log.lfStrikeOut != 0);
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    if (log.lfWidth > 0) {
        int natural = QFontMetrics(font).averageCharWidth();
        if (natural > 0) {
            font.setStretch(std::clamp<int>(log.lfWidth * 100 / natural, 1, 4000));
        }
    }
    return font;
}

// The stock fonts' records as Windows reports them.
LOGFONT GdiStockLogFont(int index) {
    switch (index) {
    case DEFAULT_GUI_FONT:
        return StockFont(-11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "MS Shell Dlg");
    case ANSI_VAR_FONT:
        return StockFont(12, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
    case ANSI_FIXED_FONT:
        return StockFont(12, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Courier");
    case OEM_FIXED_FONT:
        return StockFont(12, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Terminal");
    case SYSTEM_FIXED_FONT:
        return StockFont(15, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Fixedsys");
    default:
        return StockFont(16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, "System");
    }
}

const QFont& FontObject::Font() {
    if (!m_font) {
        m_font = GdiMakeQFont(log);
    }
    return *m_font;
}

const QFontMetrics& FontObject::Metrics() {
    if (!m_metrics) {
        m_metrics.emplace(Font());
    }
    return *m_metrics;
}

const FontObject::Shaped& FontObject::ShapedLine(const QString& line) {
    auto it = m_shaped.find(line);
    if (it != m_shaped.end()) {
        return *it;
    }
    if (m_shaped.size() >= kShapedLimit) {
        m_shaped.clear();
    }
    Shaped shaped;
    shaped.text.setText(line);
    shaped.text.setTextFormat(Qt::PlainText);
    shaped.text.prepare(QTransform(), Font());
    shaped.width = Metrics().horizontalAdvance(line);
    return *m_shaped.insert(line, std::move(shaped));
}

BOOL TextOut(HDC hdc, int x, int y, LPCSTR text, int count) {
    if (!text || count < 0) {
        return FALSE;
    }
    return TextRun(hdc, x, y, Utf8(text, count), nullptr);
}

// The per-character advances are not honoured; the font's own advances are used.
BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count,
                const INT*) {
    auto dc = GdiDc(hdc);
    if (!dc) {
        return FALSE;
    }
    std::optional<QRect> box;
    if (rect) {
        box = QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1));
    }
    if ((options & ETO_OPAQUE) && box) {
        QColor color = GdiColor(dc->state.bkColor);
        GdiPaint(*dc, [&](QPainter& p) { p.fillRect(*box, color); });
    }
    if (!text || count == 0) {
        return TRUE;
    }
    const QRect* clip = (options & ETO_CLIPPED) && box ? &*box : nullptr;
    return TextRun(hdc, x, y, Utf8(text, static_cast<int>(count)), clip);
}

int DrawText(HDC hdc, LPCSTR text, int count, LPRECT rect, UINT format) {
    auto dc = GdiDc(hdc);
    if (!dc || !text || !rect) {
        return 0;
    }
    QString string = Utf8(text, count < 0 ? static_cast<int>(std::strlen(text)) : count);
    if (!(format & DT_NOPREFIX)) {
        string = StripPrefixes(string);
    }
    const QFontMetrics& metrics = dc->state.font->Metrics();
    int lineHeight = metrics.ascent() + metrics.descent();
    int width = rect->right - rect->left;
    QStringList lines = LayoutLines(string, format, metrics, width);
    int height = static_cast<int>(lines.size()) * lineHeight;
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const QString& line : lines) {
            widest = std::max(widest, metrics.horizontalAdvance(line));
        }
        rect->right = rect->left + widest;
        rect->bottom = rect->top + height;
        return height;
    }
    QRect box(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1));
    int top = FirstLineTop(format, *rect, lineHeight);
    for (QString line : lines) {
        if (format & DT_END_ELLIPSIS) {
            line = EndEllipsis(line, metrics, width);
        }
        QPoint at(LineLeft(format, *rect, dc->state.font->ShapedLine(line).width), top);
        DrawRun(*dc, at, line, (format & DT_NOCLIP) ? nullptr : &box);
        top += lineHeight;
    }
    return top - rect->top;
}

BOOL GetTextExtentPoint32(HDC hdc, LPCSTR text, int count, LPSIZE size) {
    auto dc = GdiDc(hdc);
    if (!dc || !size || count < 0 || (!text && count > 0)) {
        return FALSE;
    }
    const QFontMetrics& metrics = dc->state.font->Metrics();
    size->cx = metrics.horizontalAdvance(Utf8(text, count));
    size->cy = metrics.ascent() + metrics.descent();
    return TRUE;
}

BOOL GetCharWidth32(HDC hdc, UINT first, UINT last, LPINT buffer) {
    auto dc = GdiDc(hdc);
    if (!dc || !buffer || first > last || last > 0xFF) {
        return FALSE;
    }
    const QFontMetrics& metrics = dc->state.font->Metrics();
    for (UINT code = first; code <= last; ++code) {
        buffer[code - first] = metrics.horizontalAdvance(QChar(char16_t(code)));
    }
    return TRUE;
}

BOOL GetTextMetrics(HDC hdc, LPTEXTMETRIC tm) {
    auto dc = GdiDc(hdc);
    if (!dc || !tm) {
        return FALSE;
    }
    FontObject& font = *dc->state.font;
    const QFontMetrics& metrics = font.Metrics();
    *tm = TEXTMETRIC{};
    tm->tmAscent = metrics.ascent();
    tm->tmDescent = metrics.descent();
    tm->tmHeight = tm->tmAscent + tm->tmDescent;
    tm->tmInternalLeading = std::max(0, tm->tmHeight - font.Font().pixelSize());
    tm->tmExternalLeading = std::max(0, metrics.leading());
    tm->tmAveCharWidth = metrics.averageCharWidth();
    tm->tmMaxCharWidth = metrics.maxWidth();
    tm->tmWeight = font.log.lfWeight ? font.log.lfWeight : FW_NORMAL;
    tm->tmDigitizedAspectX = tm->tmDigitizedAspectY = 96;
    tm->tmFirstChar = 0x20;
    tm->tmLastChar = 0xFF;
    tm->tmDefaultChar = '?';
    tm->tmBreakChar = ' ';
    tm->tmItalic = font.log.lfItalic;
    tm->tmUnderlined = font.log.lfUnderline;
    tm->tmStruckOut = font.log.lfStrikeOut;
    tm->tmPitchAndFamily = font.log.lfPitchAndFamily;
    tm->tmCharSet = font.log.lfCharSet;
    return TRUE;
}
