// Names of hardware addresses from an ethers(5) file: "00:a0:c9:12:34:56 name" a line.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

class EthersFile {
  public:
    // Reads the file at path, replacing what was read before. Bytes are one or two hex
    // digits separated by ':' or '-'; '#' starts a comment; lines that do not parse are
    // skipped; the first name of an address wins, as the C library's ether_ntohost
    // takes it. Returns false when the file cannot be opened.
    bool Load(const std::string& path);

    // The name of a 48-bit address, or null.
    const std::string* Find(uint64_t address) const;

    // Parses "00:a0:c9:12:34:56" (1 or 2 hex digits a byte, ':' or '-' between bytes).
    static bool ParseAddress(const std::string& text, uint64_t& address);

  private:
    std::unordered_map<uint64_t, std::string> m_names;
};
