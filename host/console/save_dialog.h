// The console's Save As dialog. In a scripted run (platform::IsScriptedUi) nothing shows
// and the dialog is cancelled.
#pragma once

#include <string>

// The file the user chose, "" when cancelled. filter: Qt's, e.g. "CSV files (*.csv)". A name
// chosen without an extension gets `suffix` (".csv"): the filter would hide it otherwise.
std::string AskSaveFileName(const std::string& caption, const std::string& filter,
                            const std::string& suffix);
