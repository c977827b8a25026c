#include "common/user_language.h"

#include <cstdlib>

namespace {

bool IsIdentityLanguage(const std::string& name) {
    return name == "C" || name == "POSIX" || name.starts_with("C.") || name == "en" ||
           name.starts_with("en_") || name.starts_with("en.") || name.starts_with("en@");
}

// "zh_CN.UTF-8@mod" -> {"zh_CN", "zh"}.
void AddCandidates(const std::string& name, std::vector<std::string>& out) {
    std::string base = name.substr(0, name.find_first_of(".@"));
    if (base.empty()) {
        return;
    }
    out.push_back(base);
    size_t underscore = base.find('_');
    if (underscore != std::string::npos) {
        out.push_back(base.substr(0, underscore));
    }
}

// The names the environment gives, in order, before any is checked.
std::vector<std::string> NamesFromEnvironment() {
    std::vector<std::string> names;
    if (const char* list = std::getenv("LANGUAGE"); list && *list) {
        std::string text = list;
        for (size_t start = 0; start <= text.size();) {
            size_t end = text.find(':', start);
            end = end == std::string::npos ? text.size() : end;
            names.push_back(text.substr(start, end - start));
            start = end + 1;
        }
    }
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* value = std::getenv(variable); value && *value) {
            names.push_back(value);
            break;
        }
    }
    return names;
}

} // namespace

namespace platform {

std::vector<std::string> UserLanguages() {
    std::vector<std::string> candidates;
    for (const std::string& name : NamesFromEnvironment()) {
        if (IsIdentityLanguage(name)) {
            break;
        }
        AddCandidates(name, candidates);
    }
    return candidates;
}

} // namespace platform
