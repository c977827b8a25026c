#include "view/matrix_row_index.h"

namespace {

// FNV-1a over the texts folded to lower case (ASCII, as the platform's lstrcmpi folds),
// each ended by a byte that cannot occur in an index or address text.
constexpr uint32_t kOffsetBasis = 2166136261u;
constexpr uint32_t kPrime = 16777619u;
constexpr unsigned char kSeparator = 0x1f;

uint32_t MixFolded(uint32_t hash, const char* text) {
    for (; *text != '\0'; ++text) {
        const char c = *text;
        const char folded = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        hash = (hash ^ static_cast<unsigned char>(folded)) * kPrime;
    }
    return (hash ^ kSeparator) * kPrime;
}

constexpr int32_t kEmpty = -1;
constexpr size_t kFirstSlots = 64;

} // namespace

uint32_t MatrixRowIndex::Hash(const char* index, const char* source, const char* destination) {
    return MixFolded(MixFolded(MixFolded(kOffsetBasis, index), source), destination);
}

void MatrixRowIndex::Clear() {
    m_hashes = {};
    m_slots = {};
}

// At most half the slots are taken, so a probe stops at an empty one within a few steps.
void MatrixRowIndex::Add(const char* index, const char* source, const char* destination) {
    m_hashes.push_back(Hash(index, source, destination));
    if (m_hashes.size() * 2 <= m_slots.size()) {
        Place(RowCount() - 1);
        return;
    }
    m_slots.assign(m_slots.empty() ? kFirstSlots : m_slots.size() * 2, kEmpty);
    for (int row = 0; row < RowCount(); ++row) {
        Place(row);
    }
}

void MatrixRowIndex::Place(int row) {
    const size_t mask = m_slots.size() - 1;
    size_t slot = m_hashes[static_cast<size_t>(row)] & mask;
    while (m_slots[slot] != kEmpty) {
        slot = (slot + 1) & mask;
    }
    m_slots[slot] = row;
}

size_t MatrixRowIndex::FirstSlot(uint32_t hash) const {
    if (m_slots.empty()) {
        return kNoSlot;
    }
    const size_t slot = hash & (m_slots.size() - 1);
    return m_slots[slot] == kEmpty ? kNoSlot : slot;
}

size_t MatrixRowIndex::NextSlot(size_t slot) const {
    const size_t next = (slot + 1) & (m_slots.size() - 1);
    return m_slots[next] == kEmpty ? kNoSlot : next;
}
