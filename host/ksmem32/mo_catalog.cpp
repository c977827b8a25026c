#include "host/ksmem32/mo_catalog.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr uint32_t kMoMagic = 0x950412de;
constexpr uint32_t kMoMagicSwapped = 0xde120495;

// The file's bytes with bounds-checked 32-bit reads in the file's byte order.
class MoReader {
  public:
    explicit MoReader(std::vector<char> bytes) : m_bytes(std::move(bytes)) {}

    bool ReadWord(size_t offset, uint32_t& value) const {
        if (offset > m_bytes.size() || m_bytes.size() - offset < 4) {
            return false;
        }
        const auto* p = reinterpret_cast<const unsigned char*>(m_bytes.data() + offset);
        uint32_t b[4] = {p[0], p[1], p[2], p[3]};
        value = m_swapped ? (b[0] << 24 | b[1] << 16 | b[2] << 8 | b[3])
                          : (b[3] << 24 | b[2] << 16 | b[1] << 8 | b[0]);
        return true;
    }

    bool ReadMagic() {
        uint32_t magic = 0;
        if (!ReadWord(0, magic)) {
            return false;
        }
        m_swapped = magic == kMoMagicSwapped;
        return magic == kMoMagic || m_swapped;
    }

    // The string described by the (length, offset) pair at descriptor. Its terminating NUL
    // (not counted in the length) must be there too: a file cut just before its last NUL
    // is as truncated as any other.
    bool ReadString(size_t descriptor, std::string& text) const {
        uint32_t length = 0;
        uint32_t offset = 0;
        if (!ReadWord(descriptor, length) || !ReadWord(descriptor + 4, offset)) {
            return false;
        }
        if (offset > m_bytes.size() || m_bytes.size() - offset <= length ||
            m_bytes[offset + length] != '\0') {
            return false;
        }
        text.assign(m_bytes.data() + offset, length);
        return true;
    }

  private:
    std::vector<char> m_bytes;
    bool m_swapped = false;
};

} // namespace

bool MoCatalog::Load(const std::string& path) {
    m_messages.clear();
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    MoReader reader(std::vector<char>(std::istreambuf_iterator<char>(file), {}));
    uint32_t count = 0;
    uint32_t originals = 0;
    uint32_t translations = 0;
    if (!reader.ReadMagic() || !reader.ReadWord(8, count) || !reader.ReadWord(12, originals) ||
        !reader.ReadWord(16, translations)) {
        return false;
    }
    for (uint32_t i = 0; i < count; ++i) {
        std::string original;
        std::string translation;
        if (!reader.ReadString(originals + 8 * size_t(i), original) ||
            !reader.ReadString(translations + 8 * size_t(i), translation)) {
            m_messages.clear();
            return false;
        }
        // The empty original is the catalog's header, not a message.
        if (!original.empty()) {
            m_messages.emplace(std::move(original), std::move(translation));
        }
    }
    return true;
}

const char* MoCatalog::Find(std::string_view text) const {
    auto found = m_messages.find(std::string(text));
    return found == m_messages.end() ? nullptr : found->second.c_str();
}
