// The win.ini profile.
//
// Where win.ini is: the file named by the environment variable TESSARAN_WININI when it is set
// and not empty; otherwise "win.ini" in the installation folder, the folder above the library
// folder (for <prefix>/lib/libplatform.so that is <prefix>/win.ini; in a build tree,
// <build>/win.ini). An installed console (built with TESSARAN_SYSTEM_INSTALL) keeps one per
// user instead: $XDG_CONFIG_HOME/tessaran/win.ini, else ~/.config/tessaran/win.ini; writing
// makes the folder.
//
// The file is read as Windows reads it: "[section]" lines (names compared without regard to
// letter case), "key=value" lines with blanks around key and value dropped, ';' comment lines
// and blank lines skipped; the first section of a name counts.
#pragma once

#include "platform/core/win32_types.h"

#include <string>

// The section's entries as "key=value" texts, each ending in NUL, and one more NUL after the
// last. Returns the number of characters copied, not counting the final NUL. When the buffer
// is too small the last text is cut, ends in two NULs and the result is size - 2. A missing
// file or section gives 0 and an empty result.
DWORD GetProfileSection(LPCSTR section, LPSTR buffer, DWORD size);
// The value of one key, or the default; result as for GetProfileSection for one text.
DWORD GetProfileString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size);
// Writes (or with a null value deletes) one key; a null key deletes the section. Creates the
// file and section when missing. FALSE when the file cannot be written.
BOOL WriteProfileString(LPCSTR section, LPCSTR key, LPCSTR value);

namespace platform {

// The path win.ini is read from and written to, by the rule above.
std::string ProfilePath();
// The per-user path of the rule above.
std::string UserProfilePath();

} // namespace platform
