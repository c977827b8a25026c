#include "host/parlance/oui_registry.h"
#include "common/hex_digit.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <functional>

namespace {

std::string_view Trim(std::string_view text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Hex digits of text into value; false on any other character.
bool ParseHex(std::string_view text, uint64_t& value) {
    value = 0;
    for (char c : text) {
        int digit = HexDigit(c);
        if (digit < 0) {
            return false;
        }
        value = value << 4 | uint64_t(digit);
    }
    return !text.empty();
}

// "00-A0-C9   (hex)\t\tIntel Corporation": the 24-bit assignment and its organisation.
bool ParseHexLine(std::string_view line, size_t marker, uint64_t& prefix,
                  std::string_view& organisation) {
    std::string_view head = Trim(line.substr(0, marker));
    if (head.size() != 8 || head[2] != '-' || head[5] != '-') {
        return false;
    }
    std::string digits = std::string(head.substr(0, 2)) + std::string(head.substr(3, 2)) +
                         std::string(head.substr(6, 2));
    organisation = Trim(line.substr(marker + 5));
    return ParseHex(digits, prefix);
}

// "B00000-BFFFFF     (base 16)": the digits that start and end share extend the prefix
// (one for an MA-M block, three for MA-S); "00A0C9 (base 16)" of MA-L extends nothing.
bool ExtendPrefix(std::string_view line, size_t marker, uint64_t& prefix, int& bits) {
    std::string_view range = Trim(line.substr(0, marker));
    size_t dash = range.find('-');
    bits = 24;
    if (dash == std::string_view::npos) {
        return true;
    }
    std::string_view start = range.substr(0, dash);
    std::string_view end = range.substr(dash + 1);
    size_t common = 0;
    while (common < start.size() && common < end.size() && start[common] == end[common]) {
        ++common;
    }
    uint64_t extra = 0;
    if (common == 0 || common > 6 || !ParseHex(start.substr(0, common), extra)) {
        return common == 0;
    }
    bits += 4 * int(common);
    prefix = prefix << (4 * common) | extra;
    return true;
}

// A block's sort key: its first address above, its prefix length in the low byte.
uint64_t KeyOf(uint64_t address, int bits) {
    const int hostBits = 48 - bits;
    return (address >> hostBits << hostBits) << 8 | uint64_t(bits);
}

} // namespace

std::string OuiRegistry::ShortName(std::string_view organisation) {
    size_t at = 0;
    while (at < organisation.size()) {
        size_t end = organisation.find(' ', at);
        end = end == std::string_view::npos ? organisation.size() : end;
        std::string word;
        for (char c : organisation.substr(at, end - at)) {
            if (std::isalnum(static_cast<unsigned char>(c)) && word.size() < kShortNameSize) {
                word += c;
            }
        }
        if (!word.empty()) {
            return word;
        }
        at = end + 1;
    }
    return {};
}

void OuiRegistry::Add(uint64_t prefix, int bits, const std::string& name) {
    Block block{KeyOf(prefix << (48 - bits), bits), {}};
    name.copy(block.name, sizeof block.name);
    m_blocks.push_back(block);
    if (std::find(m_bits.begin(), m_bits.end(), bits) == m_bits.end()) {
        m_bits.push_back(bits);
        std::sort(m_bits.begin(), m_bits.end(), std::greater<>());
    }
}

// In key order; of blocks read twice the first read stays, as a lookup found it before.
void OuiRegistry::SortBlocks() {
    std::stable_sort(m_blocks.begin(), m_blocks.end(),
                     [](const Block& a, const Block& b) { return a.key < b.key; });
    m_blocks.erase(std::unique(m_blocks.begin(), m_blocks.end(),
                               [](const Block& a, const Block& b) { return a.key == b.key; }),
                   m_blocks.end());
    m_blocks.shrink_to_fit();
    m_bucketStarts.assign((uint64_t{1} << (48 - kBucketShift)) + 1, 0);
    size_t block = 0;
    for (size_t bucket = 0; bucket < m_bucketStarts.size(); ++bucket) {
        while (block < m_blocks.size() && (m_blocks[block].key >> 8 >> kBucketShift) < bucket) {
            ++block;
        }
        m_bucketStarts[bucket] = static_cast<uint32_t>(block);
    }
}

size_t OuiRegistry::Parse(std::string_view text) {
    // Room for every block the file may hold, so that the array grows once a file.
    size_t ranges = 0;
    for (size_t at = text.find("(base 16)"); at != std::string_view::npos;
         at = text.find("(base 16)", at + 1)) {
        ++ranges;
    }
    m_blocks.reserve(m_blocks.size() + ranges);
    size_t added = 0;
    bool pending = false;
    uint64_t prefix = 0;
    std::string_view organisation;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        end = end == std::string_view::npos ? text.size() : end;
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (size_t marker = line.find("(hex)"); marker != std::string_view::npos) {
            pending = ParseHexLine(line, marker, prefix, organisation);
            continue;
        }
        size_t marker = line.find("(base 16)");
        if (!pending || marker == std::string_view::npos) {
            continue;
        }
        pending = false;
        int bits = 24;
        std::string name = ShortName(organisation);
        // "Private" blocks name no vendor; the address keeps looking in shorter blocks.
        if (organisation == "Private" || name.empty() ||
            !ExtendPrefix(line, marker, prefix, bits)) {
            continue;
        }
        Add(prefix, bits, name);
        ++added;
    }
    return added;
}

size_t OuiRegistry::Load(const std::string& dir) {
    size_t added = 0;
    for (const char* name : {"oui.txt", "mam.txt", "oui36.txt"}) {
        std::ifstream file(dir + "/" + name, std::ios::binary | std::ios::ate);
        if (!file) {
            continue;
        }
        // One read of the whole file (several megabytes).
        std::string text(size_t(file.tellg()), '\0');
        file.seekg(0);
        file.read(text.data(), std::streamsize(text.size()));
        added += Parse(std::string_view(text.data(), size_t(file.gcount())));
    }
    SortBlocks();
    return added;
}

// Blocks that hold one another sort outermost first, so the last block starting at or
// before the address is the longest that holds it, when it holds it at all. When it does not
// (a block beside the address's, inside the same larger one), the blocks that hold the
// address hold that one too and lie before it: each shorter prefix length is looked up there.
// All of them are in the address's bucket.
std::string_view OuiRegistry::Find(uint64_t address) const {
    const uint64_t bucket = address >> kBucketShift;
    if (bucket + 1 >= m_bucketStarts.size()) {
        return {};
    }
    const auto below = [](const Block& block, uint64_t key) { return block.key < key; };
    const auto first = m_blocks.begin() + m_bucketStarts[bucket];
    auto found = std::lower_bound(first, m_blocks.begin() + m_bucketStarts[bucket + 1],
                                  address << 8 | 0xff, below);
    if (found == first) {
        return {};
    }
    --found;
    const int foundBits = static_cast<int>(found->key & 0xff);
    const uint64_t foundStart = found->key >> 8;
    for (int bits : m_bits) {
        const uint64_t key = KeyOf(address, bits);
        // A block of this length holds the address only if it holds the block found too.
        if (bits > foundBits || KeyOf(foundStart, bits) != key) {
            continue;
        }
        if (bits < foundBits) {
            found = std::lower_bound(first, found, key, below);
        }
        if (found->key == key) {
            return {found->name, strnlen(found->name, sizeof found->name)};
        }
    }
    return {};
}
