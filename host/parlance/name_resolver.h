// Names for hardware-address texts: a names file first, then the vendor's block in the
// IEEE registry ("Intel_12:34:56"). Both sources are read on first use, once.
#pragma once

#include "host/parlance/ethers_file.h"
#include "host/parlance/oui_registry.h"

#include <cstdint>
#include <string>

class NameResolver {
  public:
    NameResolver(std::string ethersPath, std::string registryDir);

    // The name of an address text, or "" when neither source knows it or the text is
    // not an address.
    std::string Name(const char* text);

    // "00 A0 C9 12 34 56": six bytes of two hex digits, single blanks between, nothing
    // around. Lower-case digits are taken too: they name the same address.
    static bool ParseAddressText(const char* text, uint64_t& address);

    // $TESSARAN_ETHERS, else data/ethers of the source tree.
    static std::string DefaultEthersPath();
    // $TESSARAN_IEEE_DATA, else Debian's /usr/share/ieee-data.
    static std::string DefaultRegistryDir();

  private:
    std::string VendorName(uint64_t address);

    std::string m_ethersPath;
    std::string m_registryDir;
    bool m_namesLoaded = false;
    bool m_registryLoaded = false;
    EthersFile m_names;
    OuiRegistry m_registry;
};
