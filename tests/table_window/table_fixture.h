// Test set-up for the table window: a parent that logs what the table tells it, a table that
// counts its paints, the Matrix view's eight columns and helpers that act as the user would.
#pragma once

#include "table/ksc_table.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// One message the parent received; a TN_BEGINEDIT record is copied while it is alive.
struct ParentMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    TableNotify notify;
    std::string typed;
    bool hasTyped;
};

class LoggingParent : public CWnd {
  public:
    std::vector<ParentMessage> log;
    int Count(UINT message) const;
    // The posted WM_KEYDOWN keys, in order.
    std::vector<WPARAM> Keys() const;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class CountingTable : public KSCTable {
  public:
    using KSCTable::KSCTable;
    int paints = 0;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class TableWindowTest : public ::testing::Test {
  protected:
    static constexpr int kParentWidth = 400;
    static constexpr int kParentHeight = 300;
    static constexpr int kMatrixOptions = TABLE_ROWSELECT | TABLE_NOSCROLLBARS | TABLE_SORTABLE;

    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    void MakeTable(UINT options);
    // The Matrix view's columns: Index, Source, Destination, a hidden Source and
    // Destination, Bytes, Packets, Errors; then the default GUI font.
    void AddMatrixColumns();
    // Row i: index i + 1, addresses, Bytes (i * 37) % 101 * 1000, Packets i, Errors i % 3.
    void AddRows(int count);
    // Lets the redraw timer fire and delivers the paint and posted messages.
    void Settle();

    // Client point of the middle of a cell, and of the right border of a column's header.
    POINT CellCenter(int displayRow, int column) const;
    POINT HeaderBorder(int column) const;
    POINT HeaderCenter(int column) const;

    LRESULT Mouse(UINT message, POINT point, UINT flags = 0);
    void Click(POINT point, UINT flags = 0);
    void DoubleClick(POINT point);
    void Key(UINT key);
    void Char(char c);
    COLORREF Pixel(int x, int y) const;
    std::vector<int> SelectedRows() const;

    LoggingParent parent;
    std::unique_ptr<CountingTable> table;
};
