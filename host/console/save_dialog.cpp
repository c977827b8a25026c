#include "host/console/save_dialog.h"

#include "platform/toolkit/scripted_ui.h"

#include <QFileDialog>

#include <filesystem>
#include <optional>

namespace {

std::optional<std::string>& QueuedAnswer() {
    static std::optional<std::string> answer;
    return answer;
}

std::string WithSuffix(const std::string& path, const std::string& suffix) {
    if (path.empty() || std::filesystem::path(path).has_extension()) {
        return path;
    }
    return path + suffix;
}

} // namespace

void AnswerNextSaveDialog(const std::string& path) {
    QueuedAnswer() = path;
}

std::string AskSaveFileName(const std::string& caption, const std::string& filter,
                            const std::string& suffix) {
    std::optional<std::string>& queued = QueuedAnswer();
    if (platform::IsScriptedUi()) {
        const std::string answer = queued.value_or("");
        queued.reset();
        return WithSuffix(answer, suffix);
    }
    const QString path = QFileDialog::getSaveFileName(nullptr, QString::fromUtf8(caption),
                                                      QString(), QString::fromUtf8(filter));
    return WithSuffix(path.toStdString(), suffix);
}
