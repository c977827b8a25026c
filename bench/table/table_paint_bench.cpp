// Paint cost of the table window against Qt's own table: one full paint of the Matrix view's
// table (eight columns, two hidden, sorted by Bytes) at 1k and 1M rows, and the baseline, a
// QTableView over a plain QAbstractTableModel with the same visible cells, font, row and
// header sizes and window size, painted in the same run. A paint visits only the rows on
// screen, so both sizes should cost the same. Counter vs_qtableview: the table's processor
// time per paint over the baseline's at the same size (target at most 1.0).
//
//   build/bin/bench_table --benchmark_filter=Paint
#include "bench/table/bench_main.h"
#include "platform/core/timer_clock.h"
#include "platform/gdi/gdi_private.h"
#include "platform/toolkit/platform_app.h"
#include "table/ksc_table.h"
#include "tests/table_window/matrix_columns.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QPixmap>
#include <QTableView>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int kBytes = 5;
constexpr int kWidth = 800;
constexpr int kHeight = 600;

// The fields of row i, ';'-separated as InsertRow takes them.
std::string RowLine(int i) {
    char line[256];
    std::snprintf(line, sizeof line,
                  "%d;00 A0 C9 %02X %02X %02X;00 10 5A %02X %02X %02X;;;%u;%d;%d", i + 1,
                  (i >> 16) & 0xFF, (i >> 8) & 0xFF, i & 0xFF, i & 0xFF, (i >> 8) & 0xFF,
                  (i >> 16) & 0xFF, (i * 2654435761u) % 1000000000u, i % 5000, i % 7);
    return line;
}

std::string Field(const std::string& line, int column) {
    size_t start = 0;
    for (int c = 0; c < column; ++c) {
        start = line.find(';', start) + 1;
    }
    return line.substr(start, line.find(';', start) - start);
}

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct PaintedTable {
    CWnd parent;
    std::unique_ptr<KSCTable> table;
};

// One table per size, built once and kept for the whole run.
KSCTable& TableOf(int rows) {
    static std::map<int, std::unique_ptr<PaintedTable>>* tables = nullptr;
    if (tables == nullptr) {
        tables = new std::map<int, std::unique_ptr<PaintedTable>>;
        ReleaseAtEnd([] {
            delete tables;
            tables = nullptr;
        });
    }
    std::unique_ptr<PaintedTable>& entry = (*tables)[rows];
    if (entry) {
        return *entry->table;
    }
    PlatformApp::Init();
    TimerClock::UseManualClock(true);
    entry = std::make_unique<PaintedTable>();
    entry->parent.CreateEx(0, "BenchParent", "", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, NULL,
                           NULL);
    entry->table = std::make_unique<KSCTable>(&entry->parent, 6301, kMatrixTableOptions, nullptr);
    KSCTable& table = *entry->table;
    AddMatrixColumns(table);
    TableModel& model = table.Model();
    for (int i = 0; i < rows; i++) {
        model.InsertRow(model.GetRowCount(), RowLine(i).c_str(), ';', FALSE);
    }
    model.SetSortColumn(kBytes, SORT_DESCENDING);
    model.SelectRow(3, TRUE);
    table.SetTopRow(rows / 2);
    TimerClock::Advance(25);
    PlatformApp::PumpMessages();
    return table;
}

// The baseline's data: the displayed columns of the table, texts made on demand.
class PlainModel : public QAbstractTableModel {
  public:
    PlainModel(int rows, std::vector<int> columns) : m_rows(rows), m_columns(std::move(columns)) {}
    int rowCount(const QModelIndex& = QModelIndex()) const override { return m_rows; }
    int columnCount(const QModelIndex& = QModelIndex()) const override {
        return static_cast<int>(m_columns.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole) {
            return QVariant();
        }
        int column = m_columns[index.column()];
        return QString::fromStdString(Field(RowLine(index.row()), column));
    }

  private:
    int m_rows;
    std::vector<int> m_columns;
};

struct BaselineView {
    std::unique_ptr<PlainModel> model;
    std::unique_ptr<QTableView> view;
};

// A QTableView laid out as the table of the same size is.
QTableView& BaselineOf(int rows) {
    static std::map<int, BaselineView>* views = nullptr;
    if (views == nullptr) {
        views = new std::map<int, BaselineView>;
        ReleaseAtEnd([] {
            delete views;
            views = nullptr;
        });
    }
    BaselineView& entry = (*views)[rows];
    if (entry.view) {
        return *entry.view;
    }
    const KSCTable& table = TableOf(rows);
    const TableModel& model = table.Model();
    std::vector<int> columns;
    for (int p = 0; p < model.GetDisplayedCount(); ++p) {
        columns.push_back(model.GetDisplayColumn(p));
    }
    entry.model = std::make_unique<PlainModel>(rows, columns);
    entry.view = std::make_unique<QTableView>();
    QTableView& view = *entry.view;
    LOGFONT font{};
    ::GetObject(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    view.setFont(GdiMakeQFont(font));
    view.setModel(entry.model.get());
    view.verticalHeader()->hide();
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(model.GetRowHeight(0));
    view.horizontalHeader()->setFixedHeight(table.GetHeaderHeight());
    for (size_t c = 0; c < columns.size(); ++c) {
        view.setColumnWidth(static_cast<int>(c), model.GetColumnWidth(columns[c]));
    }
    view.resize(kWidth, kHeight);
    view.show();
    view.scrollTo(entry.model->index(rows / 2, 0), QAbstractItemView::PositionAtTop);
    view.selectRow(rows / 2 + 3);
    PlatformApp::PumpMessages();
    return view;
}

std::map<int64_t, double> g_baselineSecondsPerPaint;

template <class Paint> double SecondsPerPaint(benchmark::State& state, Paint paint) {
    double seconds = 0;
    for (auto _ : state) {
        double start = CpuSeconds();
        paint();
        seconds += CpuSeconds() - start;
    }
    double perPaint = seconds / static_cast<double>(state.iterations());
    state.counters["cpu_us_per_paint"] = perPaint * 1e6;
    return perPaint;
}

void BM_PaintQTableView(benchmark::State& state) {
    QTableView& view = BaselineOf(static_cast<int>(state.range(0)));
    QPixmap pixmap(view.size());
    g_baselineSecondsPerPaint[state.range(0)] =
        SecondsPerPaint(state, [&] { view.render(&pixmap); });
}
BENCHMARK(BM_PaintQTableView)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_PaintTable(benchmark::State& state) {
    KSCTable& table = TableOf(static_cast<int>(state.range(0)));
    double perPaint = SecondsPerPaint(state, [&] {
        table.Invalidate(FALSE);
        table.UpdateWindow();
    });
    auto baseline = g_baselineSecondsPerPaint.find(state.range(0));
    if (baseline != g_baselineSecondsPerPaint.end()) {
        state.counters["vs_qtableview"] = perPaint / baseline->second;
    }
}
BENCHMARK(BM_PaintTable)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

} // namespace
