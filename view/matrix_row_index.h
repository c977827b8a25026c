// MatrixRowIndex: finds the row of a conversation by its index, source and destination
// texts without scanning the table. Keys are case-folded, so "00 a0 c9" and "00 A0 C9"
// meet the same row, as a case-insensitive comparison of the cells would.
#pragma once

#include <string>
#include <unordered_map>

class MatrixRowIndex {
  public:
    // Forgets every row.
    void Clear();
    // Records row under its cells. A key already present keeps its earlier row, so a
    // lookup answers the first row that holds the key, as a scan from row 0 would.
    void Add(int row, const char* index, const char* source, const char* destination);
    // The row recorded for the cells, or -1.
    int Find(const char* index, const char* source, const char* destination) const;
    // Number of rows recorded, duplicates included.
    int RowCount() const { return m_rowCount; }

  private:
    static std::string Key(const char* index, const char* source, const char* destination);

    std::unordered_map<std::string, int> m_rows;
    int m_rowCount = 0;
};
