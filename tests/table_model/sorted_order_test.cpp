#include "table/table_model.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

TableColumn MakeColumn(uint32_t flags) {
    TableColumn column;
    column.SetFlags(flags);
    return column;
}

TableModel* MakeSortable(const std::vector<uint32_t>& flags) {
    auto* model = new TableModel(TABLE_SORTABLE);
    for (uint32_t f : flags) {
        model->InsertColumn(model->GetColumnCount(), MakeColumn(f), 0);
    }
    return model;
}

// Rows of the column's order, walked with GetSortedRow(0) and GetNextSortedRow.
std::vector<int> Walk(const TableModel& model, int column) {
    std::vector<int> rows;
    for (int r = model.GetSortedRow(0, nullptr, column); r >= 0;
         r = model.GetNextSortedRow(r, nullptr, column)) {
        rows.push_back(r);
    }
    return rows;
}

std::vector<int> AppendRows(TableModel& model, const std::vector<const char*>& texts) {
    std::vector<int> rows;
    for (const char* text : texts) {
        rows.push_back(model.InsertRow(model.GetRowCount(), text, ';', 0));
    }
    return rows;
}

TEST(SortedOrder, EqualTextsGoNewestFirst) {
    std::unique_ptr<TableModel> model(MakeSortable({0}));
    AppendRows(*model, {"b", "x", "a", "x", "x"});
    model->SetSortColumn(0, SORT_ASCENDING);
    EXPECT_EQ(Walk(*model, 0), (std::vector<int>{2, 0, 4, 3, 1}));
    // Storing a row's text again moves it in front of its equals.
    model->SetRowText(1, "x", 0, '\0', 0);
    EXPECT_EQ(Walk(*model, 0), (std::vector<int>{2, 0, 1, 4, 3}));
}

TEST(SortedOrder, NumericColumnsCompareTheValueOfTheStoredText) {
    std::unique_ptr<TableModel> model(MakeSortable({COLUMN_NUMERIC, 0}));
    AppendRows(*model, {"10;10", "9.5;9.5", "UNK;UNK", "3000000000.5;3G", "-1;-1"});
    EXPECT_EQ(model->GetCellText(3, 0), "3G");
    model->SetSortColumn(0, SORT_ASCENDING);
    // UNK reads as 0; the stored "3G" as 3; "-1" stored as 4294967295 in an unsigned column.
    EXPECT_EQ(Walk(*model, 0), (std::vector<int>{2, 3, 1, 0, 4}));
    // The text column compares bytes.
    EXPECT_EQ(Walk(*model, 1), (std::vector<int>{4, 0, 3, 1, 2}));
}

TEST(SortedOrder, NotANumberRowsKeepTheirPlaceAsALinkedListWouldLeaveThem) {
    std::unique_ptr<TableModel> model(MakeSortable({COLUMN_NUMERIC | COLUMN_SIGNED}));
    AppendRows(*model, {"5", "nan", "3", "7"});
    model->SetSortColumn(0, SORT_ASCENDING);
    EXPECT_EQ(Walk(*model, 0), (std::vector<int>{2, 0, 1, 3})); // 3 5 nan 7
    model->DeleteRow(0, 0);                                     // 5 goes: nan, 3, 7 -> 0 1 2
    AppendRows(*model, {"4"});
    // 4 passes over 3 and the NaN row and stops before 7: 3 nan 4 7.
    EXPECT_EQ(Walk(*model, 0), (std::vector<int>{1, 0, 3, 2}));
}

TEST(SortedOrder, DeletingRowZeroRenumbersHeadsTailsAndSteps) {
    std::unique_ptr<TableModel> model(MakeSortable({0, COLUMN_NUMERIC}));
    AppendRows(*model, {"m;2", "z;9", "a;1", "k;5"});
    model->DeleteRow(0, 0);
    TableColumn column;
    model->GetColumn(0, column);
    EXPECT_EQ(column.GetSortHead(), 1); // "a", formerly row 2
    EXPECT_EQ(column.GetSortTail(), 0); // "z", formerly row 1
    model->GetColumn(1, column);
    EXPECT_EQ(column.GetSortHead(), 1);
    EXPECT_EQ(column.GetSortTail(), 0);
    model->SetSortColumn(0, SORT_ASCENDING);
    EXPECT_EQ(Walk(*model, 0), (std::vector<int>{1, 2, 0}));
    model->DeleteAllRows();
    model->GetColumn(0, column);
    EXPECT_EQ(column.GetSortHead(), -1);
    EXPECT_EQ(column.GetSortTail(), -1);
    EXPECT_EQ(model->GetSortedRow(0, nullptr, 0), -1);
}

TEST(SortedOrder, DisplayRowsFollowTheSortMode) {
    std::unique_ptr<TableModel> model(MakeSortable({COLUMN_NUMERIC}));
    AppendRows(*model, {"20", "5", "70", "1"});
    const std::pair<int, std::vector<int>> modes[] = {
        {SORT_NONE, {0, 1, 2, 3}},
        {SORT_ASCENDING, {3, 1, 0, 2}},
        {SORT_DESCENDING, {2, 0, 1, 3}},
    };
    for (const auto& [mode, rows] : modes) {
        model->SetSortColumn(0, mode);
        std::vector<int> shown;
        for (int p = 0; p < 4; ++p) {
            shown.push_back(model->DisplayRowToRow(p));
        }
        EXPECT_EQ(shown, rows) << "mode " << mode;
        EXPECT_EQ(model->DisplayRowToRow(4), 0);
        EXPECT_EQ(model->DisplayRowToRow(-1), 0);
    }
    // Selecting a display row selects the row shown there.
    model->SelectRow(0, 1);
    EXPECT_EQ(model->GetNextSelectedRow(-1), 2);
    TableRow* row = nullptr;
    EXPECT_EQ(model->GetSortedRow(3, &row, 0), 3);
    EXPECT_EQ(row->GetCellText(0), std::string("1"));
    EXPECT_EQ(model->GetSortedRow(4, &row, 0), -1);
    EXPECT_EQ(row, nullptr);
    EXPECT_EQ(model->GetSortedRow(0, nullptr, 1), -1);
}

TEST(SortedOrder, RowsNotYetStoredInAColumnAreOutsideItsOrder) {
    std::unique_ptr<TableModel> model(MakeSortable({0, 0}));
    AppendRows(*model, {"a", "b;x"});
    EXPECT_EQ(model->GetSortedRow(0, nullptr, 1), 1);
    EXPECT_EQ(model->GetSortedRow(1, nullptr, 1), -1); // the list ends first
    EXPECT_EQ(model->GetNextSortedRow(0, nullptr, 1), -1);
    model->SetSortColumn(1, SORT_ASCENDING);
    EXPECT_EQ(model->DisplayRowToRow(1), 0); // -1 maps to row 0
}

TEST(SortedOrder, UnsortableTablesKeepNoOrders) {
    TableModel model(0);
    model.InsertColumn(0, MakeColumn(0), 0);
    AppendRows(model, {"b", "a"});
    model.SetSortColumn(0, SORT_ASCENDING);
    EXPECT_EQ(model.GetSortMode(), SORT_NONE);
    EXPECT_EQ(model.GetSortedRow(0, nullptr, 0), -1);
    EXPECT_EQ(model.DisplayRowToRow(1), 1);
}

// ---- key lookup ----

TEST(KeyHash, RotatesWithSignFillAndMixesSignedCharacters) {
    std::unique_ptr<TableModel> model(MakeSortable({COLUMN_KEY, COLUMN_KEY, 0}));
    AppendRows(*model, {"a;b;zzz", "\xff;a", "", "a;;q"});
    const uint32_t expected[] = {
        ((97u << 1) ^ 98u) << 0, // 'a' then 'b': 194 ^ 98
        0xFFFFFFFFu ^ 97u,       // 0xff is -1; with the top bit set the shift fills ones
        0,
        97, // the walk goes over every key column, empty ones too
    };
    for (int r = 0; r < 4; ++r) {
        TableRow row;
        model->GetRow(r, row);
        EXPECT_EQ(row.GetKeyHash(), expected[r]) << r;
        EXPECT_EQ(row.GetLookupHash(), expected[r]) << r;
    }
    model->SetRowKey(0, 0x10);
    TableRow row;
    model->GetRow(0, row);
    EXPECT_EQ(row.GetLookupHash(), expected[0] ^ 0x10u);
}

TEST(FindRow, FindsTheFirstRowWithEqualKeyCells) {
    std::unique_ptr<TableModel> model(MakeSortable({COLUMN_KEY, COLUMN_KEY, 0}));
    AppendRows(*model, {"a;b;1", "a;c;2", "a;b;3"});
    EXPECT_EQ(model->FindRow("a;b;zzz", ';'), 0);
    EXPECT_EQ(model->FindRow(" a;c", ';'), 1);  // leading blanks are skipped
    EXPECT_EQ(model->FindRow("a;b ", ';'), -1); // trailing blanks: hash and cells disagree
    EXPECT_EQ(model->FindRow("a;d", ';'), -1);
    model->DeleteRow(0, 0);
    EXPECT_EQ(model->FindRow("a;b", ';'), 1);
    model->SetRowText(0, "a;b", 0, ';', 0);
    EXPECT_EQ(model->FindRow("a;b", ';'), 0);
    EXPECT_EQ(model->FindRow("a;c", ';'), -1);
    model->InsertRow(0, "q;r", ';', 0);
    EXPECT_EQ(model->FindRow("q;r", ';'), 0);
    EXPECT_EQ(model->FindRow("a;b", ';'), 1);
}

TEST(FindRow, WithAKeyNumberMatchesItToo) {
    std::unique_ptr<TableModel> model(MakeSortable({COLUMN_KEY, 0}));
    AppendRows(*model, {"a;1", "a;2"});
    EXPECT_EQ(model->FindRow(0, "a", ';'), 0);
    model->SetRowKey(1, 7);
    EXPECT_EQ(model->FindRow(7, "a", ';'), 1);
    EXPECT_EQ(model->FindRow(8, "a", ';'), -1);
    model->SetRowKey(0, 7);
    EXPECT_EQ(model->FindRow(7, "a", ';'), 0);
}

TEST(FindRow, WithoutKeyColumnsOnlyTheKeyNumbersCount) {
    std::unique_ptr<TableModel> model(MakeSortable({0}));
    AppendRows(*model, {"x", "y", "z"});
    model->SetRowKey(1, 5);
    model->SetRowKey(2, 5);
    EXPECT_EQ(model->FindRow(5, "anything", ';'), 1);
    EXPECT_EQ(model->FindRow("anything", ';'), 0);
}

// ---- against a linked list ----

// The orders as a doubly linked list per column, placed by a walk from the head: the
// behaviour the balanced orders must reproduce.
class LinkedListTable {
  public:
    explicit LinkedListTable(std::vector<bool> numeric)
        : m_numeric(std::move(numeric)), m_head(m_numeric.size(), -1),
          m_tail(m_numeric.size(), -1) {}

    void InsertRow(int index) {
        m_cells.insert(m_cells.begin() + index, std::vector<std::string>(m_numeric.size()));
        m_links.insert(m_links.begin() + index, std::vector<Link>(m_numeric.size()));
        Shift(index, +1);
    }

    void DeleteRow(int index) {
        for (size_t c = 0; c < m_numeric.size(); ++c) {
            Unlink(index, c);
        }
        m_cells.erase(m_cells.begin() + index);
        m_links.erase(m_links.begin() + index);
        Shift(index, -1);
    }

    void Store(int row, size_t column, const std::string& text) {
        Unlink(row, column);
        m_cells[row][column] = text;
        LinkIn(row, column);
    }

    std::vector<int> Order(size_t column) const {
        std::vector<int> rows;
        for (int r = m_head[column]; r >= 0; r = m_links[r][column].next) {
            rows.push_back(r);
        }
        return rows;
    }
    int Head(size_t column) const { return m_head[column]; }
    int Tail(size_t column) const { return m_tail[column]; }

  private:
    struct Link {
        int next = -1;
        int prev = -1;
    };

    bool AtOrAbove(int visited, int row, size_t column) const {
        const std::string& a = m_cells[visited][column];
        const std::string& b = m_cells[row][column];
        if (m_numeric[column]) {
            return std::atof(a.c_str()) >= std::atof(b.c_str());
        }
        return std::strcmp(a.c_str(), b.c_str()) >= 0;
    }

    void LinkIn(int row, size_t column) {
        Link& link = m_links[row][column];
        int found = m_head[column];
        while (found >= 0 && !AtOrAbove(found, row, column)) {
            found = m_links[found][column].next;
        }
        if (found < 0) {
            link.prev = m_tail[column];
            if (m_tail[column] >= 0) {
                m_links[m_tail[column]][column].next = row;
            } else {
                m_head[column] = row;
            }
            m_tail[column] = row;
            return;
        }
        link.next = found;
        link.prev = m_links[found][column].prev;
        if (link.prev >= 0) {
            m_links[link.prev][column].next = row;
        } else {
            m_head[column] = row;
        }
        m_links[found][column].prev = row;
    }

    void Unlink(int row, size_t column) {
        Link& link = m_links[row][column];
        if (link.next < 0 && link.prev < 0 && m_head[column] != row) {
            return;
        }
        if (link.prev >= 0) {
            m_links[link.prev][column].next = link.next;
        } else {
            m_head[column] = link.next;
        }
        if (link.next >= 0) {
            m_links[link.next][column].prev = link.prev;
        } else {
            m_tail[column] = link.prev;
        }
        link = Link{};
    }

    void Shift(int from, int delta) {
        auto shift = [&](int& value) {
            if (value >= from) {
                value += delta;
            }
        };
        for (size_t c = 0; c < m_numeric.size(); ++c) {
            shift(m_head[c]);
            shift(m_tail[c]);
        }
        for (auto& row : m_links) {
            for (Link& link : row) {
                shift(link.next);
                shift(link.prev);
            }
        }
    }

    std::vector<bool> m_numeric;
    std::vector<int> m_head;
    std::vector<int> m_tail;
    std::vector<std::vector<std::string>> m_cells;
    std::vector<std::vector<Link>> m_links;
};

class OrderAgainstLinkedList : public ::testing::Test {
  protected:
    static constexpr uint32_t kFlags[] = {COLUMN_NUMERIC, 0, COLUMN_NUMERIC | COLUMN_SIGNED,
                                          COLUMN_HIDDEN, COLUMN_NUMERIC | COLUMN_KEY};

    OrderAgainstLinkedList() : m_reference({true, false, true, false, true}) {
        for (uint32_t f : kFlags) {
            m_model.InsertColumn(m_model.GetColumnCount(), MakeColumn(f), 0);
        }
    }

    std::string RandomText() {
        if (m_longTexts) {
            return LongText();
        }
        if (m_random() % 100 < m_nanPercent) {
            return "nan";
        }
        static const char* const texts[] = {"nan",  "UNK", "",    "-5",  "-5.25", "0",  "3",
                                            "3.0",  "10",  "9.5", "abc", "ab",    "2G", "1e3",
                                            "-nan", "inf", "7",   "7",   "12.5",  " 4"};
        return texts[m_random() % std::size(texts)];
    }

    // 16 to 20 bytes that share their first 16: address texts that differ in the last byte.
    std::string LongText() {
        std::string text = "00 A0 C9 12 34 5";
        for (unsigned extra = m_random() % 5; extra > 0; --extra) {
            text += "06A "[m_random() % 4];
        }
        return text;
    }

    int RandomRow() { return static_cast<int>(m_random() % m_model.GetRowCount()); }

    // Mirrors whatever the model stored into the reference, column by column.
    void Mirror(int row, int firstColumn, int lastColumn) {
        for (int c = firstColumn; c <= lastColumn; ++c) {
            m_reference.Store(row, c, m_model.GetCellText(row, c));
        }
    }

    void Step(int maxRows) {
        unsigned action = m_random() % 100;
        int rows = m_model.GetRowCount();
        if (rows == 0 || (action < 25 && rows < maxRows)) {
            int index = static_cast<int>(m_random() % (rows + 1));
            m_model.InsertRow(index, nullptr, '\0', 0);
            m_reference.InsertRow(index);
        } else if (action < 35) {
            int row = RandomRow();
            m_model.DeleteRow(row, 0);
            m_reference.DeleteRow(row);
        } else if (action < 45) {
            int row = RandomRow();
            std::string line = RandomText() + ";" + RandomText() + ";" + RandomText();
            m_model.SetRowText(row, line.c_str(), 1, ';', 0);
            Mirror(row, 1, 3);
        } else {
            int row = RandomRow();
            int column = static_cast<int>(m_random() % std::size(kFlags));
            m_model.SetRowText(row, RandomText().c_str(), column, '\0', 0);
            Mirror(row, column, column);
        }
    }

    void ExpectSameOrders(int step) {
        for (size_t c = 0; c < std::size(kFlags); ++c) {
            int column = static_cast<int>(c);
            std::vector<int> expected = m_reference.Order(c);
            m_model.SetSortColumn(column, SORT_ASCENDING);
            ASSERT_EQ(Walk(m_model, column), expected) << "step " << step << " column " << c;
            TableColumn info;
            m_model.GetColumn(column, info);
            ASSERT_EQ(info.GetSortHead(), m_reference.Head(c)) << "step " << step;
            ASSERT_EQ(info.GetSortTail(), m_reference.Tail(c)) << "step " << step;
            m_model.SetSortColumn(column, SORT_DESCENDING);
            std::vector<int> backward = Walk(m_model, column);
            ASSERT_EQ(std::vector<int>(backward.rbegin(), backward.rend()), expected);
            for (size_t n = 0; n < backward.size(); ++n) {
                ASSERT_EQ(m_model.GetSortedRow(static_cast<int>(n), nullptr, column), backward[n]);
            }
        }
    }

    TableModel m_model{TABLE_SORTABLE};
    LinkedListTable m_reference;
    std::mt19937 m_random{20240607};
    unsigned m_nanPercent = 0;
    bool m_longTexts = false;
};

TEST_F(OrderAgainstLinkedList, SmallTablesWithManyTiesAfterEveryStep) {
    for (int step = 0; step < 6000; ++step) {
        Step(40);
        ExpectSameOrders(step);
        if (HasFatalFailure()) {
            return;
        }
    }
}

// Long runs of NaN rows fill whole blocks of the order with values that never compare.
TEST_F(OrderAgainstLinkedList, LargerTablesMostlyNotANumber) {
    m_nanPercent = 80;
    for (int step = 0; step < 20000; ++step) {
        Step(2000);
        if (step % 1000 == 999) {
            ExpectSameOrders(step);
        }
        if (HasFatalFailure()) {
            return;
        }
    }
}

// The hidden text column's order is built when it is first read, and deferred again when
// the table is emptied. Each round inserts, deletes and rewrites rows without reading any
// order, then reads the hidden one first by one of its three ways in (its sort ends, a
// descending walk, an ascending walk) before every order is checked.
TEST_F(OrderAgainstLinkedList, DeferredOrderBuiltAfterRowsComeAndGo) {
    constexpr int kHidden = 3;
    for (int round = 0; round < 30; ++round) {
        m_longTexts = round % 2 == 1;
        for (int step = 0; step < 300; ++step) {
            Step(120);
        }
        const std::vector<int> expected = m_reference.Order(kHidden);
        if (round % 3 == 0) {
            TableColumn info;
            m_model.GetColumn(kHidden, info);
            ASSERT_EQ(info.GetSortHead(), m_reference.Head(kHidden)) << "round " << round;
            ASSERT_EQ(info.GetSortTail(), m_reference.Tail(kHidden)) << "round " << round;
        } else if (round % 3 == 1) {
            m_model.SetSortColumn(kHidden, SORT_DESCENDING);
            std::vector<int> backward = Walk(m_model, kHidden);
            ASSERT_EQ(std::vector<int>(backward.rbegin(), backward.rend()), expected)
                << "round " << round;
        }
        ExpectSameOrders(round);
        if (HasFatalFailure()) {
            return;
        }
        m_model.DeleteAllRows();
        m_reference = LinkedListTable({true, false, true, false, true});
    }
}

TEST_F(OrderAgainstLinkedList, TextsThatDifferOnlyAfterTheirSixteenthByte) {
    m_longTexts = true;
    for (int step = 0; step < 3000; ++step) {
        Step(60);
        if (step % 100 == 99) {
            ExpectSameOrders(step);
        }
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST_F(OrderAgainstLinkedList, LargerTables) {
    for (int step = 0; step < 20000; ++step) {
        Step(3000);
        if (step % 2000 == 1999) {
            ExpectSameOrders(step);
        }
        if (HasFatalFailure()) {
            return;
        }
    }
}

} // namespace
