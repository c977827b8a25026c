#include "host/graphs/graph_chart.h"

#include "host/graphs/axis_titles.h"
#include "hostapi/ksmem32.h"
#include "platform/framework/message_box.h"
#include "platform/toolkit/save_file_dialog.h"

#include <QBuffer>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMenu>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

const char kCollectingText[] = "Collecting data...";
const char kSecondsFormat[] = "hh:mm:ss";
const char kMinutesFormat[] = "hh:mm";
// One-pixel lines are drawn by the raster engine's line path; wider ones go through its
// stroker, which doubled the cost of painting twenty lines of an hour.
constexpr int kLineWidth = 1;
// A value between gaps (or the first one) has no line: it shows as a dot of this diameter.
constexpr qreal kLonePointPixels = 5;
// The time axis spans whole steps of these minutes, the smallest that needs at most
// kMaxTimeSteps steps (fewer where fewer labels fit); under two minutes it spans one minute
// in quarters, halves or whole as labels fit.
constexpr qint64 kMinuteMs = 60 * 1000;
constexpr int kTimeStepsMinutes[] = {1, 2, 5, 10, 15, 20, 30, 60};
constexpr qint64 kMaxTimeSteps = 6;
// The value axis has at most this many steps above zero.
constexpr int kMaxValueSteps = 6;
// The room a tick label needs beyond its text: Qt Charts pads each side and cuts a label
// to "..." when its share of the axis is smaller.
constexpr int kTickLabelMargin = 16;
// Up to this many series the legend sits below the plot, one row; more go in a column on
// the right, which takes this share of the chart's width.
constexpr int kBottomLegendSeries = 4;
constexpr double kRightLegendShare = 0.25;
// The legend marker and the spacing around a label, in pixels; the room above and below a
// column of legends and between two of them (observed: 22 pixels apart for a 15-pixel font).
constexpr int kLegendMarkerRoom = 32;
// Qt Charts' margin around the plot and legend (observed: a bottom legend is 58 pixels
// narrower than the chart).
constexpr int kChartMargin = 20;
constexpr int kLegendSideMargins = 58;
// Under this height the time axis has no title, "Time", and its tick labels its room
// (observed: at 160 pixels Qt Charts cut both to "...").
constexpr int kTimeTitleMinHeight = 200;
constexpr int kLegendColumnMargins = 80;
constexpr int kLegendEntryPadding = 8;
constexpr int kMinLegendPixels = 8;
// The shortest legend shown: two letters each side of the ellipsis.
const QString kShortestLegend = QString("xx") + QChar(0x2026) + "xx";

// Twenty colours that stay apart from each other and from the white plot: Kelly's
// contrasting colours without white and black, the most different first.
constexpr QRgb kSeriesColors[GraphChart::kDistinctColors] = {
    0x0067A5, 0xF38400, 0x008856, 0xBE0032, 0x875692, 0x882D17, 0xE68FAC,
    0x848482, 0x8DB600, 0xA1CAF1, 0xF6A600, 0x604E97, 0xB3446C, 0xC2B280,
    0x2B3D26, 0xE25822, 0x654522, 0xF99379, 0xDCD300, 0xF3C300};

struct Unit {
    double divisor;
    const char* letter;
};
constexpr Unit kUnits[] = {{1e9, "G"}, {1e6, "M"}, {1e3, "K"}};

} // namespace

GraphChart::GraphChart(const QString& title, ValueAxisTitles valueTitles,
                       std::shared_ptr<const GraphHistory> history)
    : m_history(std::move(history)), m_lines(m_history->SeriesCount()),
      m_valueTitles(std::move(valueTitles)) {
    m_plot = new QChart;
    m_plot->setTitle(title);
    m_plot->legend()->setAlignment(
        m_history->SeriesCount() > kBottomLegendSeries ? Qt::AlignRight : Qt::AlignBottom);
    m_plot->legend()->setShowToolTips(false);
    // The view's own background, white, fills the window: a chart background over it (a
    // rounded rectangle on a grey margin) was a second fill of every pixel on each paint.
    m_plot->setBackgroundVisible(false);
    QPalette palette = viewport()->palette();
    palette.setColor(viewport()->backgroundRole(), Qt::white);
    viewport()->setPalette(palette);
    AddAxes();
    // The lines go in before the chart is shown. Observed (Qt 6.4): a chart handed to its
    // view before its first series never draws its time axis.
    for (int series = 0; series < m_history->SeriesCount(); ++series) {
        AddSegment(series);
    }
    // The view made a default chart of its own, which setChart releases without deleting.
    QChart* defaultChart = chart();
    setChart(m_plot);
    delete defaultChart;
    // Laid out again, the plot may take more or fewer tick labels and a longer title.
    QObject::connect(m_plot, &QChart::plotAreaChanged, this, [this] {
        UpdateTimeAxis();
        UpdateValueAxis();
    });
    m_collecting = new QGraphicsSimpleTextItem(Localize(kCollectingText), m_plot);
    m_collecting->setVisible(false);
    Redraw();
    FitLegends();
}

void GraphChart::AddAxes() {
    m_timeAxis = new QDateTimeAxis;
    m_timeAxis->setTitleText(TimeAxisTitle());
    m_plot->addAxis(m_timeAxis, Qt::AlignBottom);
    m_valueAxis = new QValueAxis;
    m_valueAxis->setTickType(QValueAxis::TicksDynamic);
    m_valueAxis->setTickAnchor(0);
    m_valueAxis->setLabelFormat("%g");
    m_plot->addAxis(m_valueAxis, Qt::AlignLeft);
    AddValueTitle();
}

// The value axis' title is an item of its own, in the room of the chart's left margin, in
// the font and colour the chart gave the time axis' title: Qt Charts cuts its own title to
// "..." wherever the tick labels are narrower than "..." (observed, Qt 6.4: "Per cent" over
// ticks 0 and 1, at every size).
void GraphChart::AddValueTitle() {
    m_valueAxis->setTitleVisible(false);
    m_valueTitle = new QGraphicsSimpleTextItem(m_plot);
    m_valueTitle->setFont(m_timeAxis->titleFont());
    m_valueTitle->setBrush(m_timeAxis->titleBrush());
    m_valueTitle->setRotation(-90);
    const int room = QFontMetrics(m_valueTitle->font()).height();
    m_plot->setMargins(QMargins(kChartMargin + room, kChartMargin, kChartMargin, kChartMargin));
}

// The legend's markers report a hover-out when the scene is destroyed, which the view's base
// does after this object has stopped being a GraphChart: they must not reach it then.
GraphChart::~GraphChart() {
    for (QLegendMarker* marker : m_plot->legend()->markers()) {
        QObject::disconnect(marker, nullptr, this, nullptr);
    }
}

// The first segment of a line carries its legend; later ones (after gaps) take its colour
// and hide their legend marker.
QLineSeries* GraphChart::AddSegment(int series) {
    Line& line = m_lines[series];
    auto* segment = new QLineSeries;
    segment->setName(QString::fromStdString(m_history->Legend(series)));
    m_plot->addSeries(segment);
    QPen pen(QColor::fromRgb(kSeriesColors[series % kDistinctColors]));
    pen.setWidth(kLineWidth);
    segment->setPen(pen);
    segment->setMarkerSize(kLonePointPixels);
    segment->attachAxis(m_timeAxis);
    segment->attachAxis(m_valueAxis);
    line.color = pen.color();
    for (QLegendMarker* marker : m_plot->legend()->markers(segment)) {
        marker->setVisible(line.segments.empty());
        QObject::connect(marker, &QLegendMarker::hovered, this,
                         [this, series](bool over) { m_hoveredLegend = over ? series : -1; });
    }
    line.segments.push_back(segment);
    return segment;
}

QString GraphChart::LegendLabel(int series) const {
    const QList<QLegendMarker*> markers = m_plot->legend()->markers(m_lines[series].segments[0]);
    return markers.isEmpty() ? QString() : markers[0]->label();
}

QString GraphChart::LegendToolTip(int series) const {
    return QString::fromStdString(m_history->Legend(series));
}

// The legend's label is a text item of the legend (Qt Charts keeps its markers' items
// private); the first one showing the label's text, its runs of blanks made one as HTML
// shows them.
QRect GraphChart::LegendRect(int series) const {
    const QString label = LegendLabel(series).simplified();
    for (QGraphicsItem* item : scene()->items()) {
        const auto* text = dynamic_cast<const QGraphicsTextItem*>(item);
        if (text && text->isVisible() && m_plot->legend()->isAncestorOf(text) &&
            text->toPlainText() == label) {
            return mapFromScene(text->sceneBoundingRect()).boundingRect();
        }
    }
    return {};
}

// Each legend is elided in the middle to the room its marker gets: a share of a row below
// the plot, or the column on the right.
void GraphChart::FitLegends() {
    const int count = m_history->SeriesCount();
    if (count == 0) {
        return;
    }
    const bool column = m_plot->legend()->alignment() == Qt::AlignRight;
    const int room = column ? static_cast<int>(width() * kRightLegendShare)
                            : (width() - kLegendSideMargins) / count;
    if (column) {
        FitLegendFont(count);
    }
    const QFontMetrics metrics(m_plot->legend()->font());
    const int textRoom = room - kLegendMarkerRoom;
    // Where not even a few letters of each legend fit, the chart shows none: the readout
    // under the pointer names each line.
    m_plot->legend()->setVisible(textRoom >= metrics.horizontalAdvance(kShortestLegend));
    for (int series = 0; series < count; ++series) {
        const QString label =
            metrics.elidedText(LegendToolTip(series), Qt::ElideMiddle, std::max(textRoom, 0));
        for (QLegendMarker* marker : m_plot->legend()->markers(m_lines[series].segments[0])) {
            marker->setLabel(label);
        }
    }
    // Observed (Qt 6.4): new labels keep the legend's old width (cut at their end) until its
    // size is asked again.
    m_plot->legend()->layout()->invalidate();
    m_textsChanged = true;
}

// A column of legends must show every series: where the chart is too low for the view's
// font, the legends get a smaller one (never under kMinLegendPixels).
void GraphChart::FitLegendFont(int count) {
    QFont legendFont = font();
    const int entry = (height() - kLegendColumnMargins) / count - kLegendEntryPadding;
    for (int pixels = QFontInfo(legendFont).pixelSize();
         pixels > kMinLegendPixels && QFontMetrics(legendFont).height() > entry;) {
        legendFont.setPixelSize(--pixels);
    }
    m_plot->legend()->setFont(legendFont);
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
        if (segment->pointsVisible() != (m_scratch.size() == 1)) {
            segment->setPointsVisible(m_scratch.size() == 1);
        }
        ++used;
    }
    for (; used < line.segments.size(); ++used) {
        line.segments[used]->clear();
    }
}

// The axes move in steps, round times and round values, so that most polls leave them
// alone: a change of range makes every line compute its geometry again, which is most of
// a poll's cost.
void GraphChart::UpdateTimeAxis() {
    qint64 first = std::numeric_limits<qint64>::max();
    qint64 last = std::numeric_limits<qint64>::min();
    for (int series = 0; series < m_history->SeriesCount(); ++series) {
        const std::deque<GraphPoint>& points = m_history->Points(series);
        if (!points.empty()) {
            first = std::min<qint64>(first, points.front().timeMs);
            last = std::max<qint64>(last, points.back().timeMs);
        }
    }
    if (first > last) {
        first = last = QDateTime::currentMSecsSinceEpoch();
    }
    const double width = m_plot->plotArea().width();
    const TimeScale scale = TimeScaleFor(first, last, LabelsFit(width, kSecondsFormat),
                                         LabelsFit(width, kMinutesFormat));
    if (scale == m_timeScale) {
        return;
    }
    m_timeScale = scale;
    m_textsChanged = true;
    m_timeAxis->setFormat(scale.seconds ? kSecondsFormat : kMinutesFormat);
    m_timeAxis->setTickCount(scale.ticks);
    m_timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(scale.startMs),
                         QDateTime::fromMSecsSinceEpoch(scale.endMs));
}

// How many time labels of a format fit side by side across the plot; before the chart is
// laid out, as many as the axis ever has.
int GraphChart::LabelsFit(double width, const char* format) const {
    if (!(width > 0)) {
        return kMaxTimeSteps + 1;
    }
    const QFontMetrics metrics(m_timeAxis->labelsFont());
    const int label = metrics.horizontalAdvance(QTime(23, 59, 59).toString(format));
    return static_cast<int>(width / (label + kTickLabelMargin));
}

GraphChart::TimeScale GraphChart::TimeScaleFor(qint64 firstMs, qint64 lastMs, int secondsFit,
                                               int minutesFit) {
    const qint64 minutes = lastMs / kMinuteMs - firstMs / kMinuteMs + 1;
    const qint64 maxSteps = std::clamp<qint64>(minutesFit - 1, 1, kMaxTimeSteps);
    qint64 stepMs = kMinuteMs;
    for (int step : kTimeStepsMinutes) {
        stepMs = step * kMinuteMs;
        if (minutes <= step * maxSteps) {
            break;
        }
    }
    const qint64 start = firstMs / stepMs * stepMs;
    const qint64 end = std::max(start + stepMs, (lastMs / stepMs + 1) * stepMs);
    if (end - start > kMinuteMs) {
        return {start, end, static_cast<int>((end - start) / stepMs) + 1, false};
    }
    for (int parts : {4, 2, 1}) {
        if (parts + 1 <= secondsFit) {
            return {start, end, parts + 1, true};
        }
    }
    return {start, end, 2, false};
}

void GraphChart::UpdateValueAxis() {
    const double scaled = m_maximum / m_divisor;
    const double step = TickStep(scaled, ValueStepsFit());
    const double top = std::max(step, std::ceil(scaled / step - 1e-9) * step);
    if (top != m_valueAxis->max() || step != m_valueAxis->tickInterval()) {
        m_valueAxis->setTickInterval(step);
        m_valueAxis->setRange(0, top);
        m_textsChanged = true;
    }
    const QString title = ValueTitle();
    if (title != m_valueTitle->text()) {
        m_valueTitle->setText(title);
        m_textsChanged = true;
    }
    PlaceValueTitle();
}

// Up the left margin, in the middle of the plot's height.
void GraphChart::PlaceValueTitle() {
    const QRectF area = m_plot->plotArea();
    const QRectF text = m_valueTitle->boundingRect();
    m_valueTitle->setPos(kChartMargin / 2, area.center().y() + text.width() / 2);
}

// How many steps of value labels fit one above the other up the plot (at least one).
int GraphChart::ValueStepsFit() const {
    const double height = m_plot->plotArea().height();
    if (!(height > 0)) {
        return kMaxValueSteps;
    }
    const int label = QFontMetrics(m_valueAxis->labelsFont()).height();
    return std::clamp(static_cast<int>(height / (label + kTickLabelMargin)) - 1, 1, kMaxValueSteps);
}

// The value axis' title in its longest form that fits along the plot: the whole title,
// its brief form, the unit letter alone. Each form carries the unit letter.
QString GraphChart::ValueTitle() const {
    const QString unit = m_unit.isEmpty() ? QString() : "(" + m_unit + ")";
    const QFontMetrics metrics(m_valueAxis->titleFont());
    const double height = m_plot->plotArea().height();
    for (const QString& form : {m_valueTitles.full, m_valueTitles.brief}) {
        const QString title = form.isEmpty() || unit.isEmpty() ? form : form + " " + unit;
        if (!(height > 0) || metrics.horizontalAdvance(title) + kTickLabelMargin <= height) {
            return title;
        }
    }
    return unit;
}

double GraphChart::TickStep(double maximum, int maxSteps) {
    if (!(maximum > 0)) {
        return 1;
    }
    const double decade = std::pow(10.0, std::floor(std::log10(maximum / maxSteps)));
    for (double multiple : {1.0, 2.0, 5.0}) {
        if (multiple * decade * maxSteps >= maximum) {
            return multiple * decade;
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
    m_maximum = maximum;
    m_divisor = UnitFor(maximum, m_unit);
    UpdateTimeAxis();
    UpdateValueAxis();
    for (int series = 0; series < m_history->SeriesCount(); ++series) {
        FillSeries(series, m_divisor);
    }
    ShowCollecting(!m_history->HasValues());
}

// Qt Charts draws its titles, tick labels and legends as text items that lay their text out
// again on every paint: a third of a redraw of twenty legends. Kept as pixmaps, they are
// laid out only when they change. The caches are made at a paint, after the chart's layout
// has set the texts (observed, Qt 6.4: labels cached right after a change of range kept
// their old pictures), and dropped whenever an axis, a legend or the size changed. Axes make
// new label items as their ticks change, so every paint looks for texts without a cache.
void GraphChart::paintEvent(QPaintEvent* event) {
    CacheTexts();
    QChartView::paintEvent(event);
}

void GraphChart::CacheTexts() {
    for (QGraphicsItem* item : scene()->items()) {
        if (item->type() != QGraphicsTextItem::Type) {
            continue;
        }
        if (m_textsChanged) {
            item->setCacheMode(QGraphicsItem::NoCache);
        }
        item->setCacheMode(QGraphicsItem::ItemCoordinateCache);
    }
    m_textsChanged = false;
}

// While collecting, the grid is hidden so that no line runs through the words.
void GraphChart::ShowCollecting(bool collecting) {
    if (collecting == m_collecting->isVisible()) {
        return;
    }
    m_collecting->setVisible(collecting);
    m_timeAxis->setGridLineVisible(!collecting);
    m_valueAxis->setGridLineVisible(!collecting);
    PlaceCollectingText();
}

void GraphChart::PlaceCollectingText() {
    const QRectF area = chart()->plotArea();
    const QRectF text = m_collecting->boundingRect();
    m_collecting->setPos(area.center() - QPointF(text.width() / 2, text.height() / 2));
}

void GraphChart::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    m_timeAxis->setTitleVisible(height() >= kTimeTitleMinHeight);
    PlaceCollectingText();
    FitLegends();
}

QPointF GraphChart::ViewPosition(const QPointF& value) const {
    const QRectF area = m_plot->plotArea();
    const double span = static_cast<double>(m_timeScale.endMs - m_timeScale.startMs);
    const double x =
        area.left() + (value.x() - static_cast<double>(m_timeScale.startMs)) / span * area.width();
    const double y = area.bottom() - value.y() / m_valueAxis->max() * area.height();
    return mapFromScene(m_plot->mapToScene(QPointF(x, y)));
}

QString GraphChart::ReadoutAt(const QPoint& viewPos) const {
    double nearest = kHoverRadius * kHoverRadius;
    int found = -1;
    QPointF value;
    for (int series = 0; series < static_cast<int>(m_lines.size()); ++series) {
        for (const QLineSeries* segment : m_lines[series].segments) {
            for (int i = 0; i < segment->count(); ++i) {
                const QPointF offset = ViewPosition(segment->at(i)) - QPointF(viewPos);
                const double distance = QPointF::dotProduct(offset, offset);
                if (distance <= nearest) {
                    nearest = distance;
                    found = series;
                    value = segment->at(i);
                }
            }
        }
    }
    return found < 0 ? QString() : Readout(found, value);
}

QString GraphChart::Readout(int series, const QPointF& value) const {
    const QString time =
        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(value.x())).toString(kSecondsFormat);
    const QString number =
        QString::number(value.y(), 'g', 4) + (m_unit.isEmpty() ? "" : " " + m_unit);
    return LegendToolTip(series) + "\n" + time + "  " + number;
}

// The readout of a point near the pointer, else the whole text of an elided legend under
// it, else nothing.
QString GraphChart::ToolTipAt(const QPoint& viewPos) const {
    const QString readout = ReadoutAt(viewPos);
    if (!readout.isEmpty() || m_hoveredLegend < 0 ||
        LegendLabel(m_hoveredLegend) == LegendToolTip(m_hoveredLegend)) {
        return readout;
    }
    return LegendToolTip(m_hoveredLegend);
}

// The scene hears of the move first, so that a legend entered by this move counts.
void GraphChart::mouseMoveEvent(QMouseEvent* event) {
    QChartView::mouseMoveEvent(event);
    const QString text = ToolTipAt(event->position().toPoint());
    if (text.isEmpty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(event->globalPosition().toPoint(), text, this);
    }
}

void GraphChart::leaveEvent(QEvent* event) {
    QToolTip::hideText();
    QChartView::leaveEvent(event);
}

QString GraphChart::ValueAxisTitleShown() const {
    return m_valueTitle->text();
}

bool GraphChart::IsCollecting() const {
    return m_collecting->isVisible();
}

std::string GraphChart::Contents(SaveFormat format) {
    if (format == SaveFormat::Csv) {
        std::ostringstream csv;
        m_history->WriteCsv(csv);
        return csv.str();
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    grab().save(&buffer, "PNG");
    return png.toStdString();
}

bool GraphChart::Save(const std::string& path, SaveFormat format) {
    std::string reason;
    if (platform::WriteWholeFile(path, Contents(format), reason)) {
        return true;
    }
    const std::string text = Localize("Cannot write ") + path + ": " + reason;
    MessageBox(nullptr, text.c_str(), Localize("Save graph"), MB_OK | MB_ICONSTOP);
    return false;
}

void GraphChart::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* png = menu.addAction(QString::fromUtf8(Localize("Save as PNG...")));
    menu.addAction(QString::fromUtf8(Localize("Save as CSV...")));
    QAction* chosen = menu.exec(event->globalPos());
    if (!chosen) {
        return;
    }
    const bool asPng = chosen == png;
    const std::string path = platform::AskSaveFileName(
        this,
        {chosen->text().toStdString(), chart()->title().toStdString(),
         Localize(asPng ? "PNG images (*.png)" : "CSV files (*.csv)"), asPng ? "png" : "csv"});
    if (!path.empty()) {
        Save(path, asPng ? SaveFormat::Png : SaveFormat::Csv);
    }
}
