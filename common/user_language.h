// The user's language, as both the host's Localize and the platform's resource lookup
// choose it: one rule for texts and for resources.
//
// The entries of $LANGUAGE (a colon-separated list), then the first set one of $LC_ALL,
// $LC_MESSAGES, $LANG; each "ll_CC.codeset@mod" gives ll_CC, then ll. "C", "POSIX" and
// English end the list: English is the program's own language and needs no translation.
// The variables are read on every call, so a change of language applies at once.
//
// No Qt here: libksmem32 links this rule without the rest of the platform.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Language names to try, most wanted first ("zh_CN", "zh"); empty for English.
std::vector<std::string> UserLanguages();

} // namespace platform
