#include "host/parlance/ethers_file.h"
#include "common/hex_digit.h"

#include <fstream>
#include <sstream>

bool EthersFile::ParseAddress(const std::string& text, uint64_t& address) {
    uint64_t value = 0;
    size_t at = 0;
    for (int byte = 0; byte < 6; ++byte) {
        if (byte > 0 && (at >= text.size() || (text[at] != ':' && text[at] != '-'))) {
            return false;
        }
        at += byte > 0;
        int digits = 0;
        int octet = 0;
        while (at < text.size() && digits < 2 && HexDigit(text[at]) >= 0) {
            octet = octet * 16 + HexDigit(text[at++]);
            ++digits;
        }
        if (digits == 0) {
            return false;
        }
        value = value << 8 | uint64_t(octet);
    }
    if (at != text.size()) {
        return false;
    }
    address = value;
    return true;
}

bool EthersFile::Load(const std::string& path) {
    m_names.clear();
    std::ifstream file(path);
    if (!file) {
        return false;
    }
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line.substr(0, line.find('#')));
        std::string text;
        std::string name;
        uint64_t address = 0;
        if (fields >> text >> name && ParseAddress(text, address)) {
            m_names.try_emplace(address, name);
        }
    }
    return true;
}

const std::string* EthersFile::Find(uint64_t address) const {
    auto found = m_names.find(address);
    return found == m_names.end() ? nullptr : &found->second;
}
