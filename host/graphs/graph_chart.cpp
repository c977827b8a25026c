#include "host/graphs/graph_chart.h"

#include <QContextMenuEvent>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFileDialog>
#include <QGraphicsSimpleTextItem>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMenu>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <fstream>

namespace {

const char kCollectingText[] = "Collecting data...";
const char kTimeFormat[] = "hh:mm:ss";
// A chart whose points all lie at one time still shows a minute around them.
constexpr qint64 kMinTimeSpanMs = 60 * 1000;

struct Unit {
    double divisor;
    const char* letter;
};
constexpr Unit kUnits[] = {{1e9, "G"}, {1e6, "M"}, {1e3, "K"}};

} // namespace

GraphChart::GraphChart(const QString& title, std::shared_ptr<const GraphHistory> history)
    : m_history(std::move(history)), m_lines(m_history->SeriesCount()) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->setAlignment(Qt::AlignBottom);
    m_timeAxis = new QDateTimeAxis;
    m_timeAxis->setFormat(kTimeFormat);
    chart->addAxis(m_timeAxis, Qt::AlignBottom);
    m_valueAxis = new QValueAxis;
    chart->addAxis(m_valueAxis, Qt::AlignLeft);
    setChart(chart);
    for (int series = 0; series < m_history->SeriesCount(); ++series) {
        AddSegment(series);
    }
    m_collecting = new QGraphicsSimpleTextItem(kCollectingText, chart);
    Redraw();
}

// The first segment of a line carries its legend; later ones (after gaps) take its colour
// and hide their legend marker.
QLineSeries* GraphChart::AddSegment(int series) {
    Line& line = m_lines[series];
    auto* segment = new QLineSeries;
    segment->setName(QString::fromStdString(m_history->Legend(series)));
    chart()->addSeries(segment);
    segment->attachAxis(m_timeAxis);
    segment->attachAxis(m_valueAxis);
    if (line.segments.empty()) {
        line.color = segment->color();
    } else {
        segment->setColor(line.color);
        for (QLegendMarker* marker : chart()->legend()->markers(segment)) {
            marker->setVisible(false);
        }
    }
    QObject::connect(
        segment, &QLineSeries::hovered, this,
        [this, series](const QPointF& point, bool state) { ShowTip(series, point, state); });
    line.segments.push_back(segment);
    return segment;
}

double GraphChart::UnitFor(double maximum, QString& letter) {
    for (const Unit& unit : kUnits) {
        if (maximum >= unit.divisor) {
            letter = unit.letter;
            return unit.divisor;
        }
    }
    letter.clear();
    return 1;
}

void GraphChart::FillSeries(int series, double divisor) {
    Line& line = m_lines[series];
    size_t used = 0;
    const std::deque<GraphPoint>& points = m_history->Points(series);
    for (auto it = points.begin(); it != points.end();) {
        m_scratch.clear();
        for (; it != points.end() && !it->gap; ++it) {
            m_scratch.append(QPointF(static_cast<qreal>(it->timeMs), it->value / divisor));
        }
        for (; it != points.end() && it->gap; ++it) {
        }
        if (m_scratch.isEmpty()) {
            continue;
        }
        QLineSeries* segment =
            used < line.segments.size() ? line.segments[used] : AddSegment(series);
        segment->replace(m_scratch);
        ++used;
    }
    for (; used < line.segments.size(); ++used) {
        line.segments[used]->clear();
    }
}

void GraphChart::UpdateAxes(double maximum) {
    qint64 first = std::numeric_limits<qint64>::max();
    qint64 last = std::numeric_limits<qint64>::min();
    for (int series = 0; series < m_history->SeriesCount(); ++series) {
        const std::deque<GraphPoint>& points = m_history->Points(series);
        if (points.empty()) {
            continue;
        }
        first = std::min<qint64>(first, points.front().timeMs);
        last = std::max<qint64>(last, points.back().timeMs);
    }
    if (first > last) {
        first = last = QDateTime::currentMSecsSinceEpoch();
    }
    if (last - first < kMinTimeSpanMs) {
        first = last - kMinTimeSpanMs;
    }
    m_timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(first),
                         QDateTime::fromMSecsSinceEpoch(last));
    const double top = maximum > 0 ? maximum / m_divisor * 1.1 : 1;
    m_valueAxis->setRange(0, top);
    m_valueAxis->setLabelFormat(m_unit.isEmpty() ? "%.4g" : "%.4g " + m_unit);
}

void GraphChart::Redraw() {
    double maximum = 0;
    for (int series = 0; series < m_history->SeriesCount(); ++series) {
        for (const GraphPoint& point : m_history->Points(series)) {
            maximum = point.gap ? maximum : std::max(maximum, point.value);
        }
    }
    m_divisor = UnitFor(maximum, m_unit);
    for (int series = 0; series < m_history->SeriesCount(); ++series) {
        FillSeries(series, m_divisor);
    }
    UpdateAxes(maximum);
    m_collecting->setVisible(!m_history->HasValues());
    PlaceCollectingText();
}

void GraphChart::PlaceCollectingText() {
    const QRectF area = chart()->plotArea();
    const QRectF text = m_collecting->boundingRect();
    m_collecting->setPos(area.center() - QPointF(text.width() / 2, text.height() / 2));
}

void GraphChart::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    PlaceCollectingText();
}

void GraphChart::ShowTip(int series, const QPointF& point, bool state) {
    if (!state) {
        QToolTip::hideText();
        return;
    }
    const QString time =
        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(point.x())).toString(kTimeFormat);
    const QString value =
        QString::number(point.y(), 'g', 4) + (m_unit.isEmpty() ? "" : " " + m_unit);
    QToolTip::showText(
        QCursor::pos(),
        QString::fromStdString(m_history->Legend(series)) + "\n" + time + "  " + value, this);
}

bool GraphChart::IsCollecting() const {
    return m_collecting->isVisible();
}

bool GraphChart::SavePng(const QString& path) {
    return grab().save(path, "PNG");
}

bool GraphChart::SaveCsv(const QString& path) const {
    std::ofstream out(path.toStdString());
    m_history->WriteCsv(out);
    return static_cast<bool>(out);
}

void GraphChart::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* png = menu.addAction("Save as PNG...");
    QAction* csv = menu.addAction("Save as CSV...");
    QAction* chosen = menu.exec(event->globalPos());
    if (!chosen) {
        return;
    }
    const bool asPng = chosen == png;
    const QString path = QFileDialog::getSaveFileName(
        this, chosen->text(), chart()->title() + (asPng ? ".png" : ".csv"),
        asPng ? "PNG images (*.png)" : "CSV files (*.csv)");
    if (path.isEmpty()) {
        return;
    }
    if (asPng) {
        SavePng(path);
    } else if (chosen == csv) {
        SaveCsv(path);
    }
}
