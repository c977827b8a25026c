// Paint cost of the table window: one full paint of the Matrix view's table (eight columns,
// two hidden, sorted by Bytes) at 1k and 100k rows. A paint visits only the rows on screen,
// so both sizes should cost the same.
#include "bench/table/bench_main.h"
#include "platform/core/timer_clock.h"
#include "platform/toolkit/platform_app.h"
#include "table/ksc_table.h"
#include "tests/table_window/matrix_columns.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>

namespace {

constexpr int kBytes = 5;

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
    entry->parent.CreateEx(0, "BenchParent", "", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, NULL, NULL);
    entry->table = std::make_unique<KSCTable>(&entry->parent, 6301, kMatrixTableOptions, nullptr);
    KSCTable& table = *entry->table;
    AddMatrixColumns(table);
    for (int i = 0; i < rows; i++) {
        char line[256];
        std::snprintf(line, sizeof line,
                      "%d;00 A0 C9 %02X %02X %02X;00 10 5A %02X %02X %02X;;;%u;%d;%d", i + 1,
                      (i >> 16) & 0xFF, (i >> 8) & 0xFF, i & 0xFF, i & 0xFF, (i >> 8) & 0xFF,
                      (i >> 16) & 0xFF, (i * 2654435761u) % 1000000000u, i % 5000, i % 7);
        table.Model().InsertRow(table.Model().GetRowCount(), line, ';', FALSE);
    }
    table.Model().SetSortColumn(kBytes, SORT_DESCENDING);
    table.Model().SelectRow(3, TRUE);
    table.SetTopRow(rows / 2);
    TimerClock::Advance(25);
    PlatformApp::PumpMessages();
    return table;
}

void BM_PaintTable(benchmark::State& state) {
    KSCTable& table = TableOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        table.Invalidate(FALSE);
        table.UpdateWindow();
    }
}
BENCHMARK(BM_PaintTable)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace
