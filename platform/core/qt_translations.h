// Qt's own texts in the user's language: the file dialog's "Look in:", the buttons "Save"
// and "Cancel", the question before a file is replaced. They come from Qt's catalogs
// (qtbase_LANGUAGE.qm in Qt's translations folder, Debian's qt6-translations-l10n), for the
// language the user-language rule (common/user_language.h) picks, as the program's own
// texts do.
#pragma once

#include <string>

namespace platform {

// Installs Qt's catalog for the first of the user's languages that has one, in place of
// one installed before. Answers that language, "" for English or when Qt has no catalog
// for any of them. The application must exist; making it calls this.
std::string LoadQtTranslations();

} // namespace platform
