#include "host/console/save_dialog.h"

#include "platform/toolkit/scripted_ui.h"

#include <QFileDialog>

#include <filesystem>

namespace {

std::string WithSuffix(const std::string& path, const std::string& suffix) {
    if (path.empty() || std::filesystem::path(path).has_extension()) {
        return path;
    }
    return path + suffix;
}

} // namespace

std::string AskSaveFileName(const std::string& caption, const std::string& filter,
                            const std::string& suffix) {
    if (platform::IsScriptedUi()) {
        return "";
    }
    const QString path = QFileDialog::getSaveFileName(nullptr, QString::fromUtf8(caption),
                                                      QString(), QString::fromUtf8(filter));
    return WithSuffix(path.toStdString(), suffix);
}
