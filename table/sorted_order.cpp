#include "table/sorted_order.h"

#include "common/number_text.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

// Up to eight bytes of a text as a big-endian number, zero-padded after the end:
// comparing two of them orders texts as strcmp does on those bytes.
uint64_t TextPrefix(const char* text, size_t* used) {
    uint64_t prefix = 0;
    size_t i = 0;
    for (; i < 8 && text[i] != '\0'; ++i) {
        prefix = (prefix << 8) | static_cast<unsigned char>(text[i]);
    }
    *used = i;
    return i == 0 ? 0 : prefix << (8 * (8 - i));
}

} // namespace

double SortedOrder::ValueOf(const Key& key) {
    return std::bit_cast<double>(key.high);
}

SortedOrder::Key SortedOrder::ReadKey(const char* text) const {
    Key key;
    if (m_numeric) {
        key.high = std::bit_cast<uint64_t>(ReadNumber(text));
        return key;
    }
    size_t used = 0;
    key.high = TextPrefix(text, &used);
    key.low = used < 8 ? 0 : TextPrefix(text + 8, &used);
    return key;
}

SortedOrder::Key SortedOrder::EntryKey(const Block& block, uint32_t index) const {
    if (m_numeric) {
        return {block.keys[index], 0};
    }
    return {block.keys[2 * index], block.keys[2 * index + 1]};
}

void SortedOrder::SetEntry(Block& block, uint32_t index, uint32_t slot, const Key& key) {
    block.slots[index] = slot;
    if (m_numeric) {
        block.keys[index] = key.high;
        return;
    }
    block.keys[2 * index] = key.high;
    block.keys[2 * index + 1] = key.low;
}

// strcmp of a visited text with the probe's, from the prefixes where they differ or where a
// text ends within them.
int SortedOrder::CompareText(const Key& visited, uint32_t visitedSlot, const Key& probe,
                             const char* text, const TextOf& textOf) const {
    if (visited.high != probe.high) {
        return visited.high < probe.high ? -1 : 1;
    }
    if ((probe.high & 0xFF) == 0) {
        return 0;
    }
    if (visited.low != probe.low) {
        return visited.low < probe.low ? -1 : 1;
    }
    if ((probe.low & 0xFF) == 0) {
        return 0;
    }
    return std::strcmp(textOf(visitedSlot) + 16, text + 16);
}

bool SortedOrder::AtOrAbove(const Key& visited, uint32_t visitedSlot, const Key& probe,
                            const char* text, const TextOf& textOf) const {
    if (m_numeric) {
        return ValueOf(visited) >= ValueOf(probe); // false whenever either is NaN
    }
    return CompareText(visited, visitedSlot, probe, text, textOf) >= 0;
}

// Directory position of the first block holding an entry at or above the probe, or the
// number of blocks. Block maxima (and last keys) rise with the position, except for
// blocks of NaN values only, which never qualify and force a plain scan.
uint32_t SortedOrder::FirstBlockAtOrAbove(const Key& probe, const char* text,
                                          const TextOf& textOf) const {
    auto below = [&](const Key& bound) {
        if (m_numeric) {
            return !(ValueOf(bound) >= ValueOf(probe));
        }
        uint32_t position = static_cast<uint32_t>(&bound - m_bounds.data());
        return CompareText(bound, m_directory[position].lastSlot, probe, text, textOf) < 0;
    };
    auto found = m_nanOnlyBlocks == 0
                     ? std::partition_point(m_bounds.begin(), m_bounds.end(), below)
                     : std::find_if_not(m_bounds.begin(), m_bounds.end(), below);
    return static_cast<uint32_t>(found - m_bounds.begin());
}

uint32_t SortedOrder::FirstEntryAtOrAbove(const Block& block, const Key& probe, const char* text,
                                          const TextOf& textOf) const {
    auto atOrAbove = [&](uint32_t index) {
        return AtOrAbove(EntryKey(block, index), block.slots[index], probe, text, textOf);
    };
    if (block.nanCount != 0) {
        uint32_t index = 0;
        while (index < block.count && !atOrAbove(index)) {
            ++index;
        }
        return index;
    }
    uint32_t lo = 0;
    uint32_t hi = block.count;
    while (lo < hi) {
        uint32_t mid = lo + (hi - lo) / 2;
        if (atOrAbove(mid)) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    return lo;
}

// Where a new entry goes: before the first entry at or above it, else at the very end.
SortedOrder::Place SortedOrder::FindPlace(const Key& probe, const char* text,
                                          const TextOf& textOf) const {
    uint32_t blocks = static_cast<uint32_t>(m_directory.size());
    if (blocks == 0) {
        return {0, 0};
    }
    Place end = {blocks - 1, m_directory.back().count};
    if (m_numeric && std::isnan(ValueOf(probe))) {
        return end;
    }
    uint32_t position = FirstBlockAtOrAbove(probe, text, textOf);
    if (position == blocks) {
        return end;
    }
    const Block& block = m_blocks[m_directory[position].block];
    return {position, FirstEntryAtOrAbove(block, probe, text, textOf)};
}

SortedOrder::Place SortedOrder::Locate(uint32_t slot) const {
    uint32_t blockNumber = m_blockOf[slot];
    const Block& block = m_blocks[blockNumber];
    const uint32_t* found = std::find(block.slots.get(), block.slots.get() + block.count, slot);
    return {m_positionOf[blockNumber], static_cast<uint32_t>(found - block.slots.get())};
}

uint32_t SortedOrder::NewBlock() {
    uint32_t number;
    if (m_freeBlocks.empty()) {
        number = static_cast<uint32_t>(m_blocks.size());
        m_blocks.emplace_back();
        m_positionOf.push_back(NIL);
    } else {
        number = m_freeBlocks.back();
        m_freeBlocks.pop_back();
    }
    Block& block = m_blocks[number];
    block.count = 0;
    block.nanCount = 0;
    block.slots = std::make_unique_for_overwrite<uint32_t[]>(BLOCK);
    block.keys = std::make_unique_for_overwrite<uint64_t[]>(BLOCK * KeyWords());
    return number;
}

void SortedOrder::InsertSummary(uint32_t position, uint32_t block) {
    m_directory.insert(m_directory.begin() + position, Summary{block, 0, NIL});
    m_bounds.insert(m_bounds.begin() + position, Key{std::bit_cast<uint64_t>(kNotANumber), 0});
    for (uint32_t p = position; p < m_directory.size(); ++p) {
        m_positionOf[m_directory[p].block] = p;
    }
}

void SortedOrder::EraseSummary(uint32_t position) {
    uint32_t number = m_directory[position].block;
    m_blocks[number] = Block{};
    m_freeBlocks.push_back(number);
    m_positionOf[number] = NIL;
    m_directory.erase(m_directory.begin() + position);
    m_bounds.erase(m_bounds.begin() + position);
    for (uint32_t p = position; p < m_directory.size(); ++p) {
        m_positionOf[m_directory[p].block] = p;
    }
}

// Brings a directory entry up to date with its block.
void SortedOrder::Refresh(uint32_t position) {
    Summary& summary = m_directory[position];
    Key& bound = m_bounds[position];
    const Block& block = m_blocks[summary.block];
    bool wasNanOnly = m_numeric && summary.count != 0 && std::isnan(ValueOf(bound));
    summary.count = block.count;
    if (block.count == 0) {
        return;
    }
    summary.lastSlot = block.slots[block.count - 1];
    bound = EntryKey(block, block.count - 1);
    if (!m_numeric) {
        return;
    }
    // Non-NaN values are in ascending order: the largest is the last of them.
    for (uint32_t i = block.count - 1; i > 0 && std::isnan(ValueOf(bound)); --i) {
        bound = EntryKey(block, i - 1);
    }
    bool isNanOnly = std::isnan(ValueOf(bound));
    m_nanOnlyBlocks += static_cast<uint32_t>(isNanOnly) - static_cast<uint32_t>(wasNanOnly);
}

void SortedOrder::MoveEntries(Block& from, uint32_t first, uint32_t count, uint32_t toBlock,
                              uint32_t toIndex) {
    Block& to = m_blocks[toBlock];
    uint32_t words = KeyWords();
    std::memcpy(&to.slots[toIndex], &from.slots[first], count * sizeof(uint32_t));
    std::memcpy(&to.keys[toIndex * words], &from.keys[first * words],
                count * words * sizeof(uint64_t));
    for (uint32_t i = 0; i < count; ++i) {
        m_blockOf[to.slots[toIndex + i]] = toBlock;
        if (m_numeric && std::isnan(ValueOf(EntryKey(to, toIndex + i)))) {
            --from.nanCount;
            ++to.nanCount;
        }
    }
    from.count -= count;
    to.count += count;
}

// Makes room in a full block: an entry at either end starts a block of its own (so rows
// that arrive in order fill their blocks completely); one in the middle splits the block in
// halves. Returns where the entry goes now.
SortedOrder::Place SortedOrder::SplitFor(Place place) {
    if (place.index == BLOCK) {
        InsertSummary(place.position + 1, NewBlock());
        return {place.position + 1, 0};
    }
    if (place.index == 0) {
        InsertSummary(place.position, NewBlock());
        return {place.position, 0};
    }
    uint32_t upper = NewBlock();
    InsertSummary(place.position + 1, upper);
    Block& block = m_blocks[m_directory[place.position].block];
    MoveEntries(block, BLOCK / 2, BLOCK / 2, upper, 0);
    Refresh(place.position);
    Refresh(place.position + 1);
    if (place.index <= BLOCK / 2) {
        return place;
    }
    return {place.position + 1, place.index - BLOCK / 2};
}

// Makes room in a full block by passing its last entry to the next block when that one has
// room; an entry past the end goes there itself. Blocks filled this way stay fuller than
// splits alone leave them (the order's memory per row). Returns where the entry goes now,
// or NIL as the position when the next block is full too.
SortedOrder::Place SortedOrder::ShiftToNext(Place place) {
    uint32_t next = place.position + 1;
    if (next >= m_directory.size() || m_blocks[m_directory[next].block].count == BLOCK) {
        return {NIL, 0};
    }
    if (place.index == BLOCK) {
        return {next, 0};
    }
    uint32_t number = m_directory[next].block;
    Block& to = m_blocks[number];
    uint32_t words = KeyWords();
    std::memmove(&to.slots[1], &to.slots[0], to.count * sizeof(uint32_t));
    std::memmove(&to.keys[words], &to.keys[0], to.count * words * sizeof(uint64_t));
    MoveEntries(m_blocks[m_directory[place.position].block], BLOCK - 1, 1, number, 0);
    Refresh(place.position);
    Refresh(next);
    return place;
}

// The same towards the previous block: its first entry goes to the end of that one, or an
// entry before the start goes there itself.
SortedOrder::Place SortedOrder::ShiftToPrevious(Place place) {
    if (place.position == 0) {
        return {NIL, 0};
    }
    uint32_t previous = place.position - 1;
    uint32_t number = m_directory[previous].block;
    Block& to = m_blocks[number];
    if (to.count == BLOCK) {
        return {NIL, 0};
    }
    if (place.index == 0) {
        return {previous, to.count};
    }
    Block& from = m_blocks[m_directory[place.position].block];
    uint32_t words = KeyWords();
    MoveEntries(from, 0, 1, number, to.count);
    std::memmove(&from.slots[0], &from.slots[1], from.count * sizeof(uint32_t));
    std::memmove(&from.keys[0], &from.keys[words], from.count * words * sizeof(uint64_t));
    Refresh(previous);
    Refresh(place.position);
    return {place.position, place.index - 1};
}

SortedOrder::Place SortedOrder::MakeRoom(Place place) {
    Place shifted = ShiftToNext(place);
    if (shifted.position == NIL) {
        shifted = ShiftToPrevious(place);
    }
    return shifted.position != NIL ? shifted : SplitFor(place);
}

void SortedOrder::InsertEntry(Place place, uint32_t slot, const Key& key) {
    if (m_directory.empty()) {
        InsertSummary(0, NewBlock());
    } else if (m_blocks[m_directory[place.position].block].count == BLOCK) {
        place = MakeRoom(place);
    }
    uint32_t number = m_directory[place.position].block;
    Block& block = m_blocks[number];
    uint32_t words = KeyWords();
    uint32_t after = block.count - place.index;
    std::memmove(&block.slots[place.index + 1], &block.slots[place.index],
                 after * sizeof(uint32_t));
    std::memmove(&block.keys[(place.index + 1) * words], &block.keys[place.index * words],
                 after * words * sizeof(uint64_t));
    SetEntry(block, place.index, slot, key);
    ++block.count;
    if (m_numeric && std::isnan(ValueOf(key))) {
        ++block.nanCount;
    }
    m_blockOf[slot] = number;
    ++m_count;
    Refresh(place.position);
}

void SortedOrder::EraseEntry(Place place) {
    Block& block = m_blocks[m_directory[place.position].block];
    if (m_numeric && std::isnan(ValueOf(EntryKey(block, place.index)))) {
        --block.nanCount;
    }
    uint32_t words = KeyWords();
    uint32_t after = block.count - place.index - 1;
    std::memmove(&block.slots[place.index], &block.slots[place.index + 1],
                 after * sizeof(uint32_t));
    std::memmove(&block.keys[place.index * words], &block.keys[(place.index + 1) * words],
                 after * words * sizeof(uint64_t));
    --block.count;
    --m_count;
    Refresh(place.position);
    if (block.count == 0) {
        EraseSummary(place.position);
        return;
    }
    // Neighbours that together fill at most half a block are merged, so blocks stay dense
    // under deletions and rewrites.
    uint32_t position = place.position;
    if (position + 1 < m_directory.size() &&
        block.count + m_directory[position + 1].count <= BLOCK / 2) {
        MergeWithNext(position);
    } else if (position > 0 && block.count + m_directory[position - 1].count <= BLOCK / 2) {
        MergeWithNext(position - 1);
    }
}

void SortedOrder::MergeWithNext(uint32_t position) {
    uint32_t into = m_directory[position].block;
    Block& next = m_blocks[m_directory[position + 1].block];
    MoveEntries(next, 0, next.count, into, m_blocks[into].count);
    Refresh(position + 1);
    EraseSummary(position + 1);
    Refresh(position);
}

void SortedOrder::Link(uint32_t slot, const char* text, const TextOf& textOf) {
    if (text == nullptr) {
        text = "";
    }
    Unlink(slot);
    if (m_deferred && m_lastStamp == std::numeric_limits<uint32_t>::max()) {
        Build(textOf); // stamps would wrap: the order is kept from here on
    }
    if (m_deferred) {
        if (slot >= m_stamps.size()) {
            m_stamps.resize(slot + 1, 0);
        }
        m_stamps[slot] = ++m_lastStamp;
        ++m_count;
        return;
    }
    if (slot >= m_blockOf.size()) {
        m_blockOf.resize(slot + 1, NIL);
    }
    Key key = ReadKey(text);
    InsertEntry(FindPlace(key, text, textOf), slot, key);
}

void SortedOrder::Unlink(uint32_t slot) {
    if (!IsLinked(slot)) {
        return;
    }
    if (m_deferred) {
        m_stamps[slot] = 0;
        --m_count;
        return;
    }
    EraseEntry(Locate(slot));
    m_blockOf[slot] = NIL;
}

void SortedOrder::SetNumeric(bool numeric, const TextOf& textOf) {
    if (numeric == m_numeric) {
        return;
    }
    Build(textOf);
    std::vector<uint32_t> order;
    for (uint32_t slot = First(); slot != NIL; slot = Next(slot)) {
        order.push_back(slot);
    }
    Clear();
    m_numeric = numeric;
    for (uint32_t slot : order) {
        Append(slot, ReadKey(textOf(slot)));
    }
}

// Adds an entry after the last one; blocks filled this way are full.
void SortedOrder::Append(uint32_t slot, const Key& key) {
    m_blockOf.resize(std::max<size_t>(m_blockOf.size(), slot + 1), NIL);
    Place end = {0, 0};
    if (!m_directory.empty()) {
        end = {static_cast<uint32_t>(m_directory.size() - 1), m_directory.back().count};
    }
    InsertEntry(end, slot, key);
}

void SortedOrder::Defer() {
    if (m_numeric) {
        return;
    }
    Clear();
    m_deferred = true;
}

void SortedOrder::Build(const TextOf& textOf) {
    if (!m_deferred) {
        return;
    }
    struct Entry {
        Key key;
        uint32_t stamp;
        uint32_t slot;
    };
    std::vector<Entry> entries;
    entries.reserve(m_count);
    for (uint32_t slot = 0; slot < m_stamps.size(); ++slot) {
        if (m_stamps[slot] != 0) {
            entries.push_back({ReadKey(textOf(slot)), m_stamps[slot], slot});
        }
    }
    // Texts are read only where the keys agree.
    std::sort(entries.begin(), entries.end(), [this, &textOf](const Entry& a, const Entry& b) {
        if (a.key.high != b.key.high || a.key.low != b.key.low) {
            return a.key.high != b.key.high ? a.key.high < b.key.high : a.key.low < b.key.low;
        }
        const int order = CompareText(a.key, a.slot, b.key, textOf(b.slot), textOf);
        return order != 0 ? order < 0 : a.stamp > b.stamp;
    });
    m_deferred = false;
    Clear();
    for (const Entry& entry : entries) {
        Append(entry.slot, entry.key);
    }
}

void SortedOrder::Clear() {
    m_stamps.clear();
    m_stamps.shrink_to_fit();
    m_lastStamp = 0;
    m_count = 0;
    m_nanOnlyBlocks = 0;
    m_blocks.clear();
    m_freeBlocks.clear();
    m_positionOf.clear();
    m_directory.clear();
    m_bounds.clear();
    m_blockOf.clear();
}

uint32_t SortedOrder::First() const {
    return m_directory.empty() ? NIL : m_blocks[m_directory.front().block].slots[0];
}

uint32_t SortedOrder::Last() const {
    return m_directory.empty() ? NIL : m_directory.back().lastSlot;
}

uint32_t SortedOrder::Nth(uint32_t n) const {
    if (n >= m_count) {
        return NIL;
    }
    for (const Summary& summary : m_directory) {
        if (n < summary.count) {
            return m_blocks[summary.block].slots[n];
        }
        n -= summary.count;
    }
    return NIL;
}

uint32_t SortedOrder::Next(uint32_t slot) const {
    if (!IsLinked(slot)) {
        return NIL;
    }
    Place place = Locate(slot);
    const Summary& summary = m_directory[place.position];
    if (place.index + 1 < summary.count) {
        return m_blocks[summary.block].slots[place.index + 1];
    }
    if (place.position + 1 == m_directory.size()) {
        return NIL;
    }
    return m_blocks[m_directory[place.position + 1].block].slots[0];
}

uint32_t SortedOrder::Prev(uint32_t slot) const {
    if (!IsLinked(slot)) {
        return NIL;
    }
    Place place = Locate(slot);
    if (place.index > 0) {
        return m_blocks[m_directory[place.position].block].slots[place.index - 1];
    }
    if (place.position == 0) {
        return NIL;
    }
    return m_directory[place.position - 1].lastSlot;
}
