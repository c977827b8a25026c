#include "platform/framework/profile.h"

#include "platform/framework/module.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <strings.h>
#include <vector>

namespace {

struct ProfileLine {
    std::string text; // as read, without the line end
    std::string key;  // trimmed; empty for sections, comments and blank lines
    std::string value;
    std::string section; // the name on a "[section]" line
    bool isSection = false;
};

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

ProfileLine ParseLine(const std::string& raw) {
    ProfileLine line{raw, {}, {}, {}, false};
    std::string text = Trim(raw);
    if (text.empty() || text[0] == ';') {
        return line;
    }
    if (text[0] == '[') {
        auto close = std::find(text.begin() + 1, text.end(), ']');
        line.section = Trim(std::string(text.begin() + 1, close));
        line.isSection = true;
        return line;
    }
    size_t equals = text.find('=');
    line.key = Trim(text.substr(0, equals));
    if (equals != std::string::npos) {
        line.value = Trim(text.substr(equals + 1));
    }
    return line;
}

std::vector<ProfileLine> ReadProfile() {
    std::vector<ProfileLine> lines;
    std::ifstream file(platform::ProfilePath());
    std::string raw;
    while (std::getline(file, raw)) {
        if (!raw.empty() && raw.back() == '\r') {
            raw.pop_back();
        }
        lines.push_back(ParseLine(raw));
    }
    return lines;
}

bool SameName(const std::string& a, const char* b) {
    return strcasecmp(a.c_str(), b) == 0;
}

// [first, end) are the key lines of the first section named `section`; first == end and
// found == false when there is none.
struct SectionRange {
    bool found = false;
    size_t header = 0;
    size_t first = 0;
    size_t end = 0;
};

SectionRange FindSection(const std::vector<ProfileLine>& lines, const char* section) {
    SectionRange range;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].isSection) {
            continue;
        }
        if (range.found) {
            range.end = i;
            return range;
        }
        if (SameName(lines[i].section, section)) {
            range = {true, i, i + 1, lines.size()};
        }
    }
    return range;
}

// Copies NUL-separated texts into buffer as the profile calls do: each text ends in NUL, one
// more NUL follows the last; when they do not fit the last text is cut and ends in two NULs.
DWORD CopyTexts(const std::vector<std::string>& texts, LPSTR buffer, DWORD size) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    std::string all;
    for (const std::string& text : texts) {
        all.append(text).push_back('\0');
    }
    if (all.empty()) {
        all.push_back('\0');
    }
    if (all.size() + 1 <= size) {
        std::memcpy(buffer, all.data(), all.size());
        buffer[all.size()] = '\0';
        return static_cast<DWORD>(all.size() - (texts.empty() ? 1 : 0));
    }
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    std::memcpy(buffer, all.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

bool WriteProfile(const std::vector<ProfileLine>& lines) {
    const std::filesystem::path path = platform::ProfilePath();
    std::error_code ignored; // a folder that cannot be made shows as the file's failure
    std::filesystem::create_directories(path.parent_path(), ignored);
    std::ofstream file(path, std::ios::trunc);
    for (const ProfileLine& line : lines) {
        file << line.text << "\r\n";
    }
    file.flush();
    return file.good();
}

} // namespace

namespace platform {

std::string ProfilePath() {
    const char* path = std::getenv("TESSARAN_WININI");
    if (path != nullptr && *path != '\0') {
        return path;
    }
#ifdef PLATFORM_PROFILE_PER_USER
    return UserProfilePath();
#else
    std::string folder = LibraryFolder();
    size_t slash = folder.rfind('/');
    std::string installation = slash == std::string::npos ? "." : folder.substr(0, slash);
    return installation + "/win.ini";
#endif
}

std::string UserProfilePath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && *config == '/') {
        return std::string(config) + "/tessaran/win.ini";
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/.config/tessaran/win.ini";
}

} // namespace platform

DWORD GetProfileSection(LPCSTR section, LPSTR buffer, DWORD size) {
    if (section == nullptr) {
        return CopyTexts({}, buffer, size);
    }
    std::vector<ProfileLine> lines = ReadProfile();
    SectionRange range = FindSection(lines, section);
    std::vector<std::string> entries;
    for (size_t i = range.first; i < range.end; ++i) {
        const ProfileLine& line = lines[i];
        if (line.key.empty()) {
            continue;
        }
        bool hasValue = line.text.find('=') != std::string::npos;
        entries.push_back(hasValue ? line.key + "=" + line.value : line.key);
    }
    return CopyTexts(entries, buffer, size);
}

DWORD GetProfileString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    std::string value = defaultValue == nullptr ? "" : defaultValue;
    if (section != nullptr && key != nullptr) {
        std::vector<ProfileLine> lines = ReadProfile();
        SectionRange range = FindSection(lines, section);
        for (size_t i = range.first; i < range.end; ++i) {
            if (!lines[i].key.empty() && SameName(lines[i].key, key)) {
                value = lines[i].value;
                break;
            }
        }
    }
    size_t copied = std::min<size_t>(value.size(), size - 1);
    std::memcpy(buffer, value.data(), copied);
    buffer[copied] = '\0';
    return static_cast<DWORD>(copied);
}

BOOL WriteProfileString(LPCSTR section, LPCSTR key, LPCSTR value) {
    if (section == nullptr) {
        return FALSE;
    }
    std::vector<ProfileLine> lines = ReadProfile();
    SectionRange range = FindSection(lines, section);
    if (key == nullptr) {
        if (range.found) {
            lines.erase(lines.begin() + range.header, lines.begin() + range.end);
        }
        return WriteProfile(lines) ? TRUE : FALSE;
    }
    if (!range.found) {
        if (value == nullptr) {
            return TRUE;
        }
        lines.push_back(ParseLine(std::string("[") + section + "]"));
        range = {true, lines.size() - 1, lines.size(), lines.size()};
    }
    auto keyLine = std::find_if(
        lines.begin() + range.first, lines.begin() + range.end,
        [key](const ProfileLine& line) { return !line.key.empty() && SameName(line.key, key); });
    bool exists = keyLine != lines.begin() + range.end;
    if (value == nullptr) {
        if (exists) {
            lines.erase(keyLine);
        }
    } else if (exists) {
        *keyLine = ParseLine(std::string(key) + "=" + value);
    } else {
        lines.insert(lines.begin() + range.end, ParseLine(std::string(key) + "=" + value));
    }
    return WriteProfile(lines) ? TRUE : FALSE;
}
