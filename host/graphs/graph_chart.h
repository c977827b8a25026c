// The chart window of a live graph: Qt Charts, one line per series in a colour of its own,
// a time axis and a value axis with titles (the value's unit) and round tick values, the
// graph's name as title. A gap in a series breaks its line. Until the first value arrives
// the chart says it is collecting data, with no grid behind the words; a value with no
// neighbour to draw a line to shows as a dot. Legends are elided in the middle to fit, the
// whole text in a tooltip; hovering near a point shows its legend, time and value; the
// context menu saves the chart as PNG or its points as CSV.
#pragma once

#include "host/graphs/axis_titles.h"
#include "host/graphs/graph_history.h"

#include <QChartView>

#include <memory>
#include <string>
#include <vector>

class QGraphicsSimpleTextItem;
class QLineSeries;
class QDateTimeAxis;
class QValueAxis;

class GraphChart : public QChartView {
  public:
    // A line draws at most this many points: beyond (after 20 minutes of 5-second polls)
    // runs of values are drawn as their mean, about one point per 3 pixels of a full-width
    // chart. The history keeps every value; only the drawing is thinned, because Qt Charts
    // spends its time per point drawn.
    static constexpr size_t kMaxDrawnPoints = 160;
    // Lines get distinct colours up to this many series; beyond, colours repeat.
    static constexpr int kDistinctColors = 20;
    // The hover readout shows the nearest point within this many pixels of the cursor.
    static constexpr double kHoverRadius = 6;

    // valueTitles: the value axis' title, its unit (axis_titles.h), whole and brief; the
    // unit letter of large values (K, M, G) is added to it.
    GraphChart(const QString& title, ValueAxisTitles valueTitles,
               std::shared_ptr<const GraphHistory> history);
    ~GraphChart() override;

    // Takes the history's points into the lines and axes; call after it changed.
    void Redraw();
    // True while no series has a value yet: the chart says it is collecting data.
    bool IsCollecting() const;
    enum class SaveFormat { Png, Csv };
    // Writes the chart's picture or its points (GraphHistory::WriteCsv) to `path`; a failure
    // is told in a message box with the file and the reason.
    bool Save(const std::string& path, SaveFormat format);

    // The legend as shown (elided to fit) and its tooltip (the whole legend).
    QString LegendLabel(int series) const;
    QString LegendToolTip(int series) const;
    // Where the legend's label shows, in view coordinates; empty when it does not show.
    QRect LegendRect(int series) const;
    QColor LineColor(int series) const { return m_lines[series].color; }
    // The readout of the drawn point nearest to `viewPos` (view coordinates) within the
    // hover radius: legend, time and value; empty when no point is that near.
    QString ReadoutAt(const QPoint& viewPos) const;
    // What hovering at `viewPos` shows: the readout, else the whole text of an elided legend
    // the pointer is over; empty when neither.
    QString ToolTipAt(const QPoint& viewPos) const;
    // The value axis' title as shown (its longest form that fits, with the unit letter).
    QString ValueAxisTitleShown() const;
    // Where a drawn value (time in ms, value in axis units) lies in view coordinates.
    QPointF ViewPosition(const QPointF& value) const;

    // The unit letter and divisor for values up to `maximum`: "", K, M or G.
    static double UnitFor(double maximum, QString& letter);
    // The step between value ticks for values up to `maximum`: 1, 2 or 5 times a power of
    // ten, so that at most maxSteps ticks above zero cover it.
    static double TickStep(double maximum, int maxSteps = 6);

    // The time axis: its span (whole steps of minutes), its ticks and their format.
    struct TimeScale {
        qint64 startMs = 0;
        qint64 endMs = 0;
        int ticks = 0;
        bool seconds = false; // hh:mm:ss, else hh:mm
        bool operator==(const TimeScale&) const = default;
    };
    // The time axis for values from firstMs to lastMs where `secondsFit` labels in seconds
    // or `minutesFit` in minutes fit side by side: a few ticks (at most 7), never more than
    // fit, a span of one minute in seconds while two such labels fit.
    static TimeScale TimeScaleFor(qint64 firstMs, qint64 lastMs, int secondsFit, int minutesFit);

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    struct Line {
        std::vector<QLineSeries*> segments; // one per stretch between gaps
        QColor color;
    };

    using PointIterator = std::deque<GraphPoint>::const_iterator;

    void AddAxes();
    void AddValueTitle();
    QLineSeries* AddSegment(int series);
    PointIterator AppendStretch(PointIterator it, PointIterator end, size_t step, double divisor);
    void FillSeries(int series, double divisor);
    void UpdateTimeAxis();
    int LabelsFit(double width, const char* format) const;
    void UpdateValueAxis();
    int ValueStepsFit() const;
    QString ValueTitle() const;
    void PlaceValueTitle();
    void ShowCollecting(bool collecting);
    void CacheTexts();
    void PlaceCollectingText();
    void FitLegends();
    void FitLegendFont(int count);
    QString Readout(int series, const QPointF& value) const;
    std::string Contents(SaveFormat format);

    std::shared_ptr<const GraphHistory> m_history;
    QChart* m_plot = nullptr; // owned by the view
    std::vector<Line> m_lines;
    QDateTimeAxis* m_timeAxis = nullptr;
    QValueAxis* m_valueAxis = nullptr;
    ValueAxisTitles m_valueTitles;
    QGraphicsSimpleTextItem* m_collecting = nullptr;
    QGraphicsSimpleTextItem* m_valueTitle = nullptr; // up the left of the plot
    TimeScale m_timeScale;
    double m_maximum = 0; // the largest value of the history
    double m_divisor = 1;
    QString m_unit;
    QList<QPointF> m_scratch;   // reused between redraws
    bool m_textsChanged = true; // an axis or legend text changed since the last CacheTexts
    int m_hoveredLegend = -1;   // the series whose legend the pointer is over, -1 for none
};
