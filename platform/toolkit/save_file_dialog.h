// Saving a file as a person asks for it: Qt's Save As dialog, then the writing, with the
// reason when it fails. The console's table export and the graphs' PNG and CSV share it.
// Qt types at the boundary: platform- and host-side only.
#pragma once

#include <string>

class QWidget;

namespace platform {

// What the dialog offers: its title, the name it proposes, Qt's filter ("CSV files
// (*.csv)") and the extension a name typed without one gets ("csv").
struct SaveFileRequest {
    std::string caption;
    std::string name;
    std::string filter;
    std::string suffix;
};

// The file the person chose, "" when cancelled; in a scripted run (scripted_ui.h) nothing
// shows and the dialog is cancelled. A name typed without an extension gets the request's
// suffix before the dialog looks for an existing file, so replacing NAME.csv is asked
// about when NAME is typed, as when NAME.csv is.
std::string AskSaveFileName(QWidget* owner, const SaveFileRequest& request);

// Writes `bytes` as the whole of the file at `path`; when that fails, `reason` says why
// (the system's words: "Permission denied") and false is answered.
bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& reason);

} // namespace platform
