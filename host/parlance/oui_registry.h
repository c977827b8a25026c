// Vendors of hardware-address blocks from the IEEE registry files of Debian's ieee-data:
// oui.txt (MA-L, 24-bit prefixes), mam.txt (MA-M, 28-bit) and oui36.txt (MA-S, 36-bit).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class OuiRegistry {
  public:
    // The longest short vendor name (ShortName).
    static constexpr size_t kShortNameSize = 8;

    // Reads every registry file found in dir ("oui.txt", "mam.txt", "oui36.txt"); a
    // missing file is skipped. Returns the number of blocks read.
    size_t Load(const std::string& dir);

    // The short vendor name of the longest block holding a 48-bit address; empty when no
    // block holds it.
    std::string_view Find(uint64_t address) const;

    // A short vendor name from the registry's organisation text: its first word that
    // has letters or digits, keeping only those, cut to 8 characters ("Cisco Systems,
    // Inc" -> "Cisco", "Raspberry Pi Foundation" -> "Raspberr"). Empty when none.
    static std::string ShortName(std::string_view organisation);

  private:
    // Adds one registry file's text; returns the blocks added.
    size_t Parse(std::string_view text);
    void Add(uint64_t prefix, int bits, const std::string& name);
    void SortBlocks();

    // One block in 16 bytes: its first address and prefix length as one sort key (the
    // address above, the length in the low byte, so a block sorts before the smaller ones
    // inside it), and its short name, padded with NULs. The registry's 42,000 blocks in one
    // sorted array take about 0.7 MB; hash maps of strings took 3.1.
    struct Block {
        uint64_t key;
        char name[kShortNameSize];
    };
    // The blocks whose addresses start with the same top 12 bits (every block is longer)
    // are a stretch of the array: bucket b's is m_bucketStarts[b] up to m_bucketStarts[b + 1].
    static constexpr int kBucketShift = 36;
    std::vector<Block> m_blocks;          // sorted by key
    std::vector<uint32_t> m_bucketStarts; // 4096 + 1 indexes into m_blocks
    std::vector<int> m_bits;              // the prefix lengths present, longest first
};
