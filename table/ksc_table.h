// KSCTable: the grid window over TableModel. It lays the model out in a header row, frozen key
// columns and scrolling columns and rows, paints through one off-screen bitmap, coalesces every
// model change into one layout and one paint on a 25 ms timer, and turns mouse and keyboard
// input into focus moves, selections, column and row resizing, sorting and notifications.
#pragma once

#include "hostapi/window_report.h"
#include "platform/framework/afx.h"
#include "platform/framework/cdc.h"
#include "platform/framework/scroll_bar.h"
#include "table/char_width_cache.h"
#include "table/table_model.h"
#include "table/table_view_state.h"

#include <string>

// Hit-test results.
#define HIT_NONE 0
#define HIT_COLUMN_BORDER 1
#define HIT_COLUMN_HEADER 2
#define HIT_ROW_BORDER 3
#define HIT_ROW_HEADER 4
#define HIT_CELL 5

// WM_NOTIFY code sent to the parent when a cell is to be edited.
#define TN_BEGINEDIT 1125

// Private message sent to the parent after every layout.
#define WM_TABLE_LAYOUT (WM_USER + 1)

// Record of TN_BEGINEDIT. The header's fields are pointer-sized on this platform, so the record
// is larger than the 32 bytes of a 32-bit build; field order and meaning are the same.
struct TableNotify {
    NMHDR hdr;
    int x;            // left edge of the cell (top edge in transposed mode)
    int y;            // top edge of the cell (left edge in transposed mode)
    int column;       // column index
    int row;          // display position
    const char* text; // the typed character as a one-character string, or null
};

class KSCTable : public CWnd, private TableModelHost {
  public:
    KSCTable(CWnd* parent, UINT id, UINT options, const RECT* rect);
    ~KSCTable() override;

    // The table's data; every change to it reaches this window as a redraw.
    TableModel& Model() { return m_model; }
    const TableModel& Model() const { return m_model; }

    void SetFont(CFont* font, BOOL redraw);
    int GetHeaderHeight() const { return m_view.headerHeight; }
    // Schedules a coalesced layout and paint: every change within 25 ms makes one.
    void Redraw(uint32_t flags) override;

    CScrollBar* GetScrollBarCtrl(int bar) const override;
    void GetScrollBarInfo(SCROLLINFO* info, int bar);
    void SetScrollBarCtrls(CScrollBar* vertical, CScrollBar* horizontal);
    void GetTableScrollInfo(int bar, SCROLLINFO* info, UINT mask);
    void SetTableScrollInfo(int bar, const SCROLLINFO* info, BOOL redraw);

    int GetTopRow() const { return m_view.topRow; }
    int SetTopRow(int row);
    int GetLeftColumn() const { return m_view.leftColumn; }
    int SetLeftColumn(int position);
    int ColumnToDisplayPos(int column, BOOL absolute) const;
    void GetCellRect(int row, int column, RECT* out) const;
    // The header cell of a displayed column; empty for a hidden or unknown column.
    void GetHeaderRect(int column, RECT* out) const;
    // The table as text: see OnGetReport.
    std::string Report() const;

    int HitTest(int x, int y, int* column, int* columnLeft, int* row, int* rowTop) const;
    void MoveFocus(int dx, int dy, int shift = -1, int ctrl = -1);
    void EnsureCellVisible(int row, int column);
    void Layout(int width, int height, int extra);

  protected:
    // The model's host.
    void BeginMeasure() override;
    TableExtent MeasureText(const char* text, size_t length) override;
    void EndMeasure() override;
    void ColumnDeleted(int index) override;
    void RowDeleted(int index) override;
    void RowsCleared() override;
    void TitlesMeasured(TableExtent largest) override;
    HDC MeasureDC();

    afx_msg void OnClose();
    afx_msg void OnPaint();
    afx_msg int OnCreate(LPCREATESTRUCT create);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    afx_msg void OnRButtonUp(UINT flags, CPoint point);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnVScroll(UINT code, UINT position, CScrollBar* bar);
    afx_msg void OnHScroll(UINT code, UINT position, CScrollBar* bar);
    afx_msg void OnTimer(UINT id);
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg void OnChar(UINT key, UINT repeat, UINT flags);
    afx_msg void OnKeyUp(UINT key, UINT repeat, UINT flags);
    afx_msg void OnKillFocus(CWnd* newWnd);
    afx_msg void OnSetFocus(CWnd* oldWnd);
    afx_msg void OnDestroy();
    afx_msg UINT OnGetDlgCode();
    afx_msg BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    afx_msg LRESULT OnGetReport(WPARAM size, LPARAM buffer);
    afx_msg LRESULT OnGetCellRect(WPARAM row, LPARAM rect);
    afx_msg LRESULT OnGetColumnOrder(WPARAM count, LPARAM buffer);
    DECLARE_MESSAGE_MAP()

  private:
    // Geometry along the two table axes: u runs along the columns and v along the rows. In
    // normal mode u is x and v is y; transposed mode exchanges them.
    struct Span {
        int start;
        int size;
    };
    POINT ToLogical(POINT point) const;
    RECT ToClient(int u, int v, int uSize, int vSize) const;
    SIZE LogicalClientSize() const;
    int HeaderExtent() const;
    BOOL ColumnOffset(int column, int* u) const;
    int DisplayColumn(int position) const;
    int PaintedColumnCount() const;
    int FirstRowAt(int position) const;
    int NextRow(int position, int row) const;
    int RowExtent(int row) const;
    const TableColumn* Column(int column) const;
    BOOL IsKeyColumn(int column) const;

    // Layout helpers.
    int RowsEnd(int extent, int start) const;
    int ColumnsEnd(int extent, int frozenWidth) const;
    int FrozenWidth() const;
    void SetRecord(SCROLLINFO& record, int max, int page, int pos, CScrollBar* bar);
    void ResetRecord(SCROLLINFO& record, CScrollBar* bar, BOOL external);
    void PlaceBar(CScrollBar* bar, BOOL external, BOOL shown, const RECT& rect);
    BOOL Transposed() const { return m_model.IsTransposed(); }
    SCROLLINFO& RowRecord() { return Transposed() ? m_hScrollRecord : m_vScrollRecord; }
    SCROLLINFO& ColumnRecord() { return Transposed() ? m_vScrollRecord : m_hScrollRecord; }
    void ClampRecordPos(SCROLLINFO& record, int pos, int& target);
    void Scroll(int bar, UINT code, UINT position, CScrollBar* given);

    // Painting.
    void Paint(CDC* dc, int width, int height);
    CFont* PaintFont();
    void PaintColumn(CDC* dc, int index, int u, SIZE client);
    void PaintBeyondColumns(CDC* dc, int u, SIZE client);
    void PaintCorner(CDC* dc, SIZE client);
    void DrawCell(CDC* dc, int x, int y, int w, int h, const char* text, COLORREF textColor,
                  COLORREF background, BOOL raised, UINT align, BOOL fill, int arrow);
    void DrawLogicalCell(CDC* dc, int u, int v, int uSize, int vSize, const char* text,
                         COLORREF textColor, COLORREF background, BOOL raised, UINT align,
                         int arrow);
    void DrawRaisedFrame(CDC* dc, int x, int y, int w, int h);
    void DrawSortArrow(CDC* dc, int x, int y, int w, int h, int arrow);

    // Input.
    int HitLogical(POINT point, int* column, int* columnLeft, int* row, int* rowTop) const;
    void BeginPress(UINT flags, CPoint point);
    BOOL EndPress(UINT flags, CPoint point, BOOL right);
    void EndBorderPress(POINT point);
    void EndHeaderPress(UINT flags);
    void EndRowHeaderPress(UINT flags);
    BOOL EndCellPress(UINT flags, BOOL right);
    void TrackBorder(POINT point);
    void DrawTrackLine(POINT point);
    POINT ClampTrack(POINT point) const;
    BOOL IsColumnPress() const;
    void SetCursorFor(POINT point);
    void CancelPressOutsideDrag(CPoint point);
    BOOL IsCellSelected(int position, int column) const;
    void SelectRange(int rowFrom, int rowTo, int columnFrom, int columnTo);
    void SelectColumns(int columnFrom, int columnTo);
    void SendBeginEdit(int x, int y, int column, int row, const char* text);
    void ClearFocus();
    BOOL BarShown(BOOL needed) const;
    int StepFocusColumn(int dx) const;
    int DisplayedColumnsBefore(int column) const;
    void EnsureRowVisible(int row, int usableV);
    void EnsureColumnVisible(int column, int usableU);

    TableModel m_model;
    TableViewState m_view;
    COLORREF m_faceColor = 0;
    COLORREF m_textColor = 0;
    COLORREF m_windowColor = 0;
    COLORREF m_highlightColor = 0;
    COLORREF m_highlightTextColor = 0;
    CBrush m_backgroundBrush;
    CPen m_blackPen;
    CPen m_lightPen;
    CPen m_darkPen;
    LOGFONT m_fontDesc{};
    CFont m_font;
    LOGFONT m_paintFontDesc{}; // what m_paintFont was made from
    CFont m_paintFont;
    HDC m_measureDC = NULL; // taken at the first width the cache lacks, until EndMeasure
    BOOL m_measuring = FALSE;
    CharWidthCache m_charWidths;              // of the window DC's default font
    CharWidthCache::DcSource m_measureSource; // hands m_charWidths the measuring DC
    int m_scrollBarSize = 0;
    UINT m_controlId = 0;
    CWnd* m_parent = nullptr;
    BOOL m_singleSelect = FALSE;
    BOOL m_noScrollBars = FALSE;
    BOOL m_shiftDown = FALSE;
    BOOL m_ctrlDown = FALSE;
    SCROLLINFO m_hScrollRecord{};
    SCROLLINFO m_vScrollRecord{};
    CScrollBar m_hBar;
    CScrollBar m_vBar;
    CScrollBar* m_hBarInUse = nullptr;
    CScrollBar* m_vBarInUse = nullptr;
    BOOL m_hExternal = FALSE;
    BOOL m_vExternal = FALSE;
    BOOL m_hNeeded = FALSE;
    BOOL m_vNeeded = FALSE;
    int m_pressKind = HIT_NONE;
    POINT m_pressPoint{};
    POINT m_trackLine{-1, -1};
    POINT m_trackMin{};
    POINT m_trackMax{};
    int m_savedFocusColumn = -1;
    int m_savedFocusRow = -1;
    int m_hitColumn = 0;
    int m_hitColumnLeft = 0;
    int m_hitRow = 0;
    int m_hitRowTop = 0;
    int m_mouseAnchorColumn = 0;
    int m_mouseAnchorRow = 0;
    UINT m_pendingRedraw = 0;
    BOOL m_painting = FALSE;
};
