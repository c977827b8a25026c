// Vendors of hardware-address blocks from the IEEE registry files of Debian's ieee-data:
// oui.txt (MA-L, 24-bit prefixes), mam.txt (MA-M, 28-bit) and oui36.txt (MA-S, 36-bit).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class OuiRegistry {
  public:
    // Reads every registry file found in dir ("oui.txt", "mam.txt", "oui36.txt"); a
    // missing file is skipped. Returns the number of blocks read.
    size_t Load(const std::string& dir);

    // The short vendor name of the longest block holding a 48-bit address, or null.
    const std::string* Find(uint64_t address) const;

    // A short vendor name from the registry's organisation text: its first word that
    // has letters or digits, keeping only those, cut to 8 characters ("Cisco Systems,
    // Inc" -> "Cisco", "Raspberry Pi Foundation" -> "Raspberr"). Empty when none.
    static std::string ShortName(std::string_view organisation);

  private:
    // Adds one registry file's text; returns the blocks added.
    size_t Parse(std::string_view text);
    void Add(uint64_t prefix, int bits, std::string name);

    // Blocks by prefix length, longest first.
    struct Blocks {
        int bits;
        std::unordered_map<uint64_t, std::string> vendors;
    };
    std::vector<Blocks> m_blocks;
};
