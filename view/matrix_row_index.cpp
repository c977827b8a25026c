#include "view/matrix_row_index.h"

namespace {

// The separator cannot occur in an address or index text, so two different triples
// never share a key.
constexpr char kSeparator = '\x1f';

// ASCII folding, as the platform's lstrcmpi compares.
void AppendFolded(std::string& key, const char* text) {
    for (; *text != '\0'; ++text) {
        const char c = *text;
        key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
}

} // namespace

void MatrixRowIndex::Clear() {
    m_rows.clear();
    m_rowCount = 0;
}

void MatrixRowIndex::Add(int row, const char* index, const char* source, const char* destination) {
    m_rows.try_emplace(Key(index, source, destination), row);
    ++m_rowCount;
}

int MatrixRowIndex::Find(const char* index, const char* source, const char* destination) const {
    const auto found = m_rows.find(Key(index, source, destination));
    return found == m_rows.end() ? -1 : found->second;
}

std::string MatrixRowIndex::Key(const char* index, const char* source, const char* destination) {
    std::string key;
    AppendFolded(key, index);
    key += kSeparator;
    AppendFolded(key, source);
    key += kSeparator;
    AppendFolded(key, destination);
    return key;
}
