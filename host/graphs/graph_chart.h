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
    GraphChart(const QString& title, std::shared_ptr<const GraphHistory> history);

    // Takes the history's points into the lines and axes; call after it changed.
    void Redraw();
    // True while no series has a value yet: the chart says it is collecting data.
    bool IsCollecting() const;
    bool SavePng(const QString& path);
    bool SaveCsv(const QString& path) const;

    // The unit letter and divisor for values up to `maximum`: "", K, M or G.
    static double UnitFor(double maximum, QString& letter);

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    struct Line {
        std::vector<QLineSeries*> segments; // one per stretch between gaps
        QColor color;
    };

    QLineSeries* AddSegment(int series);
    void FillSeries(int series, double divisor);
    void UpdateAxes(double maximum);
    void ShowTip(int series, const QPointF& point, bool state);
    void PlaceCollectingText();

    std::shared_ptr<const GraphHistory> m_history;
    std::vector<Line> m_lines;
    QDateTimeAxis* m_timeAxis = nullptr;
    QValueAxis* m_valueAxis = nullptr;
    QGraphicsSimpleTextItem* m_collecting = nullptr;
    double m_divisor = 1;
    QString m_unit;
    QList<QPointF> m_scratch; // reused between redraws
};
