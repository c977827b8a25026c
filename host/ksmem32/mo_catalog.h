// A GNU gettext message catalog (.mo file, as msgfmt writes it) held in memory.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

class MoCatalog {
  public:
    // Reads the catalog at path. Returns false, leaving the catalog empty, when the file
    // is missing, truncated or not a .mo file.
    bool Load(const std::string& path);

    // The translation of text, or null when the catalog has none. The pointer stays valid
    // as long as the catalog.
    const char* Find(std::string_view text) const;

    size_t Size() const { return m_messages.size(); }

  private:
    std::unordered_map<std::string, std::string> m_messages;
};
