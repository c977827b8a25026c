// The chart window of a live graph: Qt Charts, one line per series with its legend, a time
// axis, a value axis that scales itself and prints unit letters (K, M, G), the graph's
// name as title. A gap in a series breaks its line. Until the first value arrives the chart
// says it is collecting data. Hovering a line shows the time and value under the cursor;
// the context menu saves the chart as PNG or its points as CSV.
#pragma once

#include "host/graphs/graph_history.h"

#include <QChartView>

#include <memory>
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
    static constexpr size_t kMaxDrawnPoints = 240;

    GraphChart(const QString& title, std::shared_ptr<const GraphHistory> history);

    // Takes the history's points into the lines and axes; call after it changed.
    void Redraw();
    // True while no series has a value yet: the chart says it is collecting data.
    bool IsCollecting() const;
    bool SavePng(const QString& path);
    bool SaveCsv(const QString& path) const;

    // The unit letter and divisor for values up to `maximum`: "", K, M or G.
    static double UnitFor(double maximum, QString& letter);
    // The top of the value axis for values up to `value`: a round step (1, 1.2, 1.5, 2,
    // 2.5, 3, 4, 5, 6 or 8) times a power of ten.
    static double NiceCeiling(double value);

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    struct Line {
        std::vector<QLineSeries*> segments; // one per stretch between gaps
        QColor color;
    };

    using PointIterator = std::deque<GraphPoint>::const_iterator;

    QLineSeries* AddSegment(int series);
    PointIterator AppendStretch(PointIterator it, PointIterator end, size_t step, double divisor);
    void FillSeries(int series, double divisor);
    void UpdateAxes(double maximum);
    void ShowTip(int series, const QPointF& point, bool state);
    void PlaceCollectingText();

    std::shared_ptr<const GraphHistory> m_history;
    QChart* m_plot = nullptr; // owned by the view
    std::vector<Line> m_lines;
    QDateTimeAxis* m_timeAxis = nullptr;
    QValueAxis* m_valueAxis = nullptr;
    QGraphicsSimpleTextItem* m_collecting = nullptr;
    std::pair<qint64, qint64> m_timeRange{0, 0};
    double m_divisor = 1;
    QString m_unit;
    QList<QPointF> m_scratch; // reused between redraws
};
