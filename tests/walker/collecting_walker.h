// A CMibWalker that keeps every row it is handed: the instance and the value of
// each variable. Shared by the tests that walk through the real host library.
#pragma once

#include "walker/mib_walker.h"

#include <ostream>
#include <string>
#include <vector>

struct WalkedRow {
    std::string instance;
    std::vector<std::string> values;
    bool operator==(const WalkedRow&) const = default;
};

std::ostream& operator<<(std::ostream& out, const WalkedRow& row);

// The six matrixSDTable columns in the order the Matrix view walks them.
extern const char* const kMatrixColumnNames[6];

// Reads the value text of every variable of an answer.
std::vector<std::string> AnswerValues(DbHandle answer, size_t count);

class CollectingWalker : public CMibWalker {
  public:
    int OnWalkRow(DbHandle answer) override;
    void OnWalkDone(const char* lastInstance) override;

    // Resolves the column names through the variable table (table 3) and sets
    // them as the walked columns; false when one is unknown.
    bool SetColumnsByName(const char* const* names, size_t count);
    // Starts a walk and runs the event loop until it ends.
    void WalkAndWait(const char* startInstance = "");

    std::vector<WalkedRow> rows;
    std::vector<std::string> done;
};
