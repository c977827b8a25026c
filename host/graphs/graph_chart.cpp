#include "host/graphs/graph_chart.h"

#include "hostapi/ksmem32.h"

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
#include <cmath>
#include <fstream>

namespace {

const char kCollectingText[] = "Collecting data...";
const char kTimeFormat[] = "hh:mm:ss";
// One-pixel lines are drawn by the raster engine's line path; wider ones go through its
// stroker, which doubled the cost of painting twenty lines of an hour.
constexpr int kLineWidth = 1;
// The time axis spans whole minutes, at least one.
constexpr qint64 kTimeStepMs = 60 * 1000;

struct Unit {
    double divisor;
    const char* letter;
};
constexpr Unit kUnits[] = {{1e9, "G"}, {1e6, "M"}, {1e3, "K"}};

} // namespace

GraphChart::GraphChart(const QString& title, std::shared_ptr<const GraphHistory> history)
    : m_history(std::move(history)), m_lines(m_history->SeriesCount()) {
    m_plot = new QChart;
    m_plot->setTitle(title);
    m_plot->legend()->setAlignment(Qt::AlignBottom);
    m_timeAxis = new QDateTimeAxis;
    m_timeAxis->setFormat(kTimeFormat);
    m_plot->addAxis(m_timeAxis, Qt::AlignBottom);
    m_valueAxis = new QValueAxis;
    m_plot->addAxis(m_valueAxis, Qt::AlignLeft);
    // The lines go in before the chart is shown. Observed (Qt 6.4): a chart handed to its
    // view before its first series never draws its time axis.
    for (int series = 0; series < m_history->SeriesCount(); ++series) {
        AddSegment(series);
    }
    // The view made a default chart of its own, which setChart releases without deleting.
    QChart* defaultChart = chart();
    setChart(m_plot);
    delete defaultChart;
    m_collecting = new QGraphicsSimpleTextItem(kCollectingText, m_plot);
    Redraw();
}

// The first segment of a line carries its legend; later ones (after gaps) take its colour
// and hide their legend marker.
QLineSeries* GraphChart::AddSegment(int series) {
    Line& line = m_lines[series];
    auto* segment = new QLineSeries;
    segment->setName(QString::fromStdString(m_history->Legend(series)));
    m_plot->addSeries(segment);
    QPen pen = segment->pen();
    pen.setWidth(kLineWidth);
    segment->setPen(pen);
    segment->attachAxis(m_timeAxis);
    segment->attachAxis(m_valueAxis);
    if (line.segments.empty()) {
        line.color = segment->color();
    } else {
        segment->setColor(line.color);
        for (QLegendMarker* marker : m_plot->legend()->markers(segment)) {
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

// Appends the stretch of values from `it` up to the next gap, each run of `step` values
// drawn as one point at their mean time and value; answers where the stretch ended.
GraphChart::PointIterator GraphChart::AppendStretch(PointIterator it, PointIterator end,
                                                    size_t step, double divisor) {
    m_scratch.clear();
    while (it != end && !it->gap) {
        double time = 0, value = 0;
        size_t taken = 0;
        for (; taken < step && it != end && !it->gap; ++taken, ++it) {
            time += static_cast<double>(it->timeMs);
            value += it->value;
        }
        m_scratch.append(QPointF(time / taken, value / taken / divisor));
    }
    return std::find_if(it, end, [](const GraphPoint& point) { return !point.gap; });
}

void GraphChart::FillSeries(int series, double divisor) {
    Line& line = m_lines[series];
    size_t used = 0;
    const std::deque<GraphPoint>& points = m_history->Points(series);
    const size_t step = (points.size() + kMaxDrawnPoints - 1) / kMaxDrawnPoints;
    for (auto it = points.begin(); it != points.end();) {
        it = AppendStretch(it, points.end(), step, divisor);
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

// The axes move in steps, whole minutes of time and round steps of value, so that most
// polls leave them alone: a change of range makes every line compute its geometry again,
// which is most of a poll's cost.
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
    const qint64 end = (last / kTimeStepMs + 1) * kTimeStepMs;
    const qint64 start = std::min(end - kTimeStepMs, first / kTimeStepMs * kTimeStepMs);
    if (start != m_timeRange.first || end != m_timeRange.second) {
        m_timeRange = {start, end};
        m_timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(start),
                             QDateTime::fromMSecsSinceEpoch(end));
    }
    const double top = NiceCeiling(maximum / m_divisor);
    if (top != m_valueAxis->max()) {
        m_valueAxis->setRange(0, top);
    }
    const QString format = m_unit.isEmpty() ? "%.4g" : "%.4g " + m_unit;
    if (format != m_valueAxis->labelFormat()) {
        m_valueAxis->setLabelFormat(format);
    }
}

double GraphChart::NiceCeiling(double value) {
    if (!(value > 0)) {
        return 1;
    }
    const double decade = std::pow(10.0, std::floor(std::log10(value)));
    for (double step : {1.0, 1.2, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 6.0, 8.0, 10.0}) {
        if (step * decade >= value) {
            return step * decade;
        }
    }
    return 10 * decade;
}

void GraphChart::Redraw() {
    double maximum = 0;
    for (int series = 0; series < m_history->SeriesCount(); ++series) {
        for (const GraphPoint& point : m_history->Points(series)) {
            maximum = point.gap ? maximum : std::max(maximum, point.value);
        }
    }
    m_divisor = UnitFor(maximum, m_unit);
    UpdateAxes(maximum);
    for (int series = 0; series < m_history->SeriesCount(); ++series) {
        FillSeries(series, m_divisor);
    }
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
    QAction* png = menu.addAction(QString::fromUtf8(Localize("Save as PNG...")));
    QAction* csv = menu.addAction(QString::fromUtf8(Localize("Save as CSV...")));
    QAction* chosen = menu.exec(event->globalPos());
    if (!chosen) {
        return;
    }
    const bool asPng = chosen == png;
    const QString path = QFileDialog::getSaveFileName(
        this, chosen->text(), chart()->title() + (asPng ? ".png" : ".csv"),
        QString::fromUtf8(Localize(asPng ? "PNG images (*.png)" : "CSV files (*.csv)")));
    if (path.isEmpty()) {
        return;
    }
    if (asPng) {
        SavePng(path);
    } else if (chosen == csv) {
        SaveCsv(path);
    }
}
