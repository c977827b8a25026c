#include "host/parlance/name_resolver.h"
#include "common/hex_digit.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

NameResolver::NameResolver(std::string ethersPath, std::string registryDir)
    : m_ethersPath(std::move(ethersPath)), m_registryDir(std::move(registryDir)) {}

std::string NameResolver::DefaultEthersPath() {
    const char* path = std::getenv("TESSARAN_ETHERS");
    return path && *path ? path : TESSARAN_DATA_DIR "/ethers";
}

std::string NameResolver::DefaultRegistryDir() {
    const char* dir = std::getenv("TESSARAN_IEEE_DATA");
    return dir && *dir ? dir : "/usr/share/ieee-data";
}

bool NameResolver::ParseAddressText(const char* text, uint64_t& address) {
    if (!text || std::strlen(text) != 17) {
        return false;
    }
    uint64_t value = 0;
    for (int i = 0; i < 17; ++i) {
        if (i % 3 == 2) {
            if (text[i] != ' ') {
                return false;
            }
            continue;
        }
        int digit = HexDigit(text[i]);
        if (digit < 0) {
            return false;
        }
        value = value << 4 | uint64_t(digit);
    }
    address = value;
    return true;
}

std::string NameResolver::VendorName(uint64_t address) {
    if (!m_registryLoaded) {
        m_registry.Load(m_registryDir);
        m_registryLoaded = true;
    }
    const std::string_view vendor = m_registry.Find(address);
    if (vendor.empty()) {
        return {};
    }
    char tail[16];
    std::snprintf(tail, sizeof tail, "_%02x:%02x:%02x", unsigned(address >> 16 & 0xff),
                  unsigned(address >> 8 & 0xff), unsigned(address & 0xff));
    return std::string(vendor) + tail;
}

std::string NameResolver::Name(const char* text) {
    uint64_t address = 0;
    if (!ParseAddressText(text, address)) {
        return {};
    }
    if (!m_namesLoaded) {
        m_names.Load(m_ethersPath);
        m_namesLoaded = true;
    }
    if (const std::string* name = m_names.Find(address)) {
        return *name;
    }
    return VendorName(address);
}
