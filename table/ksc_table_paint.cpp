// KSCTable painting: one off-screen bitmap of the client size, the displayed columns with their
// headers, the rows from topRow down to the bottom edge, and one BitBlt to the window.
#include "table/ksc_table.h"

#include <cstring>

void KSCTable::OnPaint() {
    CPaintDC paintDC(this);
    if (m_painting) {
        return;
    }
    m_painting = TRUE;
    CRect client;
    GetClientRect(&client);
    // The bitmap lives for one paint: a table kept one of its client size (3 MB maximised)
    // whether it showed or not, and a desk of twenty node windows held twenty of them.
    CDC memory;
    CBitmap bitmap;
    BOOL offScreen = memory.CreateCompatibleDC(&paintDC) &&
                     bitmap.CreateCompatibleBitmap(&paintDC, client.Width(), client.Height());
    CDC* dc = offScreen ? &memory : &paintDC;
    CBitmap* oldBitmap = offScreen ? memory.SelectObject(&bitmap) : nullptr;
    int saved = dc->SaveDC();
    Paint(dc, client.Width(), client.Height());
    dc->RestoreDC(saved);
    if (offScreen) {
        paintDC.BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
        memory.SelectObject(oldBitmap);
    }
    m_painting = FALSE;
}

// Without a table font, the font made from fontDesc is kept from one paint to the next
// (and made again when fontDesc changes), so that its shaped cell texts are kept too.
CFont* KSCTable::PaintFont() {
    if (m_font.GetSafeHandle()) {
        return &m_font;
    }
    if (!m_paintFont.GetSafeHandle() ||
        std::memcmp(&m_paintFontDesc, &m_fontDesc, sizeof m_fontDesc) != 0) {
        m_paintFont.DeleteObject();
        m_paintFontDesc = m_fontDesc;
        m_paintFont.CreateFontIndirect(&m_paintFontDesc);
    }
    return &m_paintFont;
}

void KSCTable::Paint(CDC* dc, int width, int height) {
    dc->SelectObject(&m_blackPen);
    dc->SelectObject(PaintFont());
    dc->SelectStockObject(NULL_BRUSH);
    SIZE client = Transposed() ? SIZE{height, width} : SIZE{width, height};
    int u = 0;
    for (int p = 0; p < PaintedColumnCount() && u < client.cx; p++) {
        int index = DisplayColumn(p);
        PaintColumn(dc, index, u, client);
        u += m_model.GetColumnWidth(index);
    }
    if (u < client.cx) {
        PaintBeyondColumns(dc, u, client);
    }
    PaintCorner(dc, SIZE{width, height});
}

// The column's header, its cells from topRow down to the bottom edge and its background
// below them. Neighbouring columns share the border line between them.
void KSCTable::PaintColumn(CDC* dc, int index, int u, SIZE client) {
    const TableColumn* column = Column(index);
    BOOL key = column->HasFlag(COLUMN_KEY);
    int arrow = m_model.IsSortable() && index == m_model.GetSortColumn() ? m_model.GetSortMode()
                                                                         : SORT_NONE;
    DrawLogicalCell(dc, u, 0, column->GetWidth(), HeaderExtent(), column->GetTitle().c_str(),
                    m_textColor, m_faceColor, TRUE, column->GetFlags(), arrow);
    BOOL button = column->HasFlag(COLUMN_BUTTON);
    COLORREF plainBackground = key || button ? m_faceColor : m_windowColor;
    int v = HeaderExtent();
    int position = m_view.topRow;
    for (int rowIndex = FirstRowAt(position); rowIndex >= 0 && v < client.cy; position++) {
        TableRow* row = nullptr;
        m_model.GetRowPtr(rowIndex, &row);
        uint32_t state = row->GetCellState(index);
        COLORREF text = state & CELL_COLOR_MASK;
        COLORREF background = plainBackground;
        if ((state & CELL_SELECTED) && button) {
            text = m_textColor;
        } else if (state & CELL_SELECTED) {
            text = m_highlightTextColor;
            background = m_highlightColor;
        }
        DrawLogicalCell(dc, u, v, column->GetWidth(), row->GetHeight(), row->GetCellText(index),
                        text, background, button, column->GetFlags(), SORT_NONE);
        if (index == m_view.focusColumn && position == m_view.focusRow) {
            RECT focus = ToClient(u + 1, v + 1, column->GetWidth() - 1, row->GetHeight() - 1);
            dc->DrawFocusRect(&focus);
        }
        v += row->GetHeight();
        rowIndex = NextRow(position, rowIndex);
    }
    // The background shows only below the last row: header and cells cover the rest.
    if (v >= client.cy) {
        return;
    }
    RECT band = ToClient(u, v, column->GetWidth() + 1, client.cy + 1 - v);
    dc->FillSolidRect(&band, key ? m_faceColor : m_windowColor);
    dc->Rectangle(&band);
}

// An empty raised header from the last column to the edge, the window colour below it.
void KSCTable::PaintBeyondColumns(CDC* dc, int u, SIZE client) {
    DrawLogicalCell(dc, u, 0, client.cx - u, HeaderExtent(), "", m_textColor, m_faceColor, TRUE, 0,
                    SORT_NONE);
    RECT below = ToClient(u + 1, HeaderExtent() + 1, client.cx - u, client.cy - HeaderExtent());
    dc->FillSolidRect(&below, m_windowColor);
}

// The square where both bars meet; outside bars and hidden ones leave it to the cells.
void KSCTable::PaintCorner(CDC* dc, SIZE client) {
    if (!m_hNeeded || !m_vNeeded) {
        return;
    }
    int size = m_noScrollBars || (m_hExternal && m_vExternal) ? 0 : m_scrollBarSize;
    if (size > 0) {
        dc->FillSolidRect(client.cx - size, client.cy - size, size, size, m_faceColor);
    }
}

void KSCTable::DrawLogicalCell(CDC* dc, int u, int v, int uSize, int vSize, const char* text,
                               COLORREF textColor, COLORREF background, BOOL raised, UINT align,
                               int arrow) {
    RECT cell = ToClient(u, v, uSize, vSize);
    DrawCell(dc, cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top, text,
             textColor, background, raised, align, TRUE, arrow);
}

// Neighbouring cells share their border lines: each fills one pixel beyond its size.
void KSCTable::DrawCell(CDC* dc, int x, int y, int w, int h, const char* text, COLORREF textColor,
                        COLORREF background, BOOL raised, UINT align, BOOL fill, int arrow) {
    if (fill) {
        dc->FillSolidRect(x, y, w + 1, h + 1, background);
        dc->Rectangle(x, y, x + w + 1, y + h + 1);
    }
    if (raised && w >= 3) {
        DrawRaisedFrame(dc, x, y, w, h);
        DrawSortArrow(dc, x, y, w, h, arrow);
    }
    UINT format = DT_NOPREFIX | DT_WORDBREAK;
    if (align & COLUMN_RIGHT) {
        format |= DT_RIGHT;
    } else if (align & COLUMN_CENTER) {
        format |= DT_CENTER;
    }
    COLORREF oldBackground = dc->SetBkColor(background);
    COLORREF oldText = dc->SetTextColor(textColor);
    CRect area(x + 5, y + 3, x + w - 3, y + h - 3);
    dc->DrawText(text, -1, &area, format);
    dc->SetBkColor(oldBackground);
    dc->SetTextColor(oldText);
}

void KSCTable::DrawRaisedFrame(CDC* dc, int x, int y, int w, int h) {
    dc->SelectObject(&m_lightPen);
    dc->MoveTo(x + 1, y + h - 1);
    dc->LineTo(x + 1, y + 1);
    dc->LineTo(x + w - 1, y + 1);
    dc->SelectObject(&m_darkPen);
    dc->LineTo(x + w - 1, y + h - 1);
    dc->LineTo(x + 1, y + h - 1);
    dc->SelectObject(&m_blackPen);
}

// Ascending: an upward triangle lit along its base and right side. Descending: a downward
// triangle shaded along its top and left side.
void KSCTable::DrawSortArrow(CDC* dc, int x, int y, int w, int h, int arrow) {
    int middle = y + h / 2;
    if (arrow == SORT_ASCENDING) {
        dc->SelectObject(&m_lightPen);
        dc->MoveTo(x + w - 16, middle + 4);
        dc->LineTo(x + w - 8, middle + 4);
        dc->LineTo(x + w - 12, middle - 4);
        dc->SelectObject(&m_darkPen);
        dc->LineTo(x + w - 16, middle + 4);
    } else if (arrow == SORT_DESCENDING) {
        dc->SelectObject(&m_darkPen);
        dc->MoveTo(x + w - 8, middle - 4);
        dc->LineTo(x + w - 16, middle - 4);
        dc->LineTo(x + w - 12, middle + 4);
        dc->SelectObject(&m_lightPen);
        dc->LineTo(x + w - 8, middle - 4);
    }
    dc->SelectObject(&m_blackPen);
}
