#include "host/console/save_dialog.h"

#include "platform/toolkit/scripted_ui.h"

#include <QFileDialog>

#include <optional>

namespace {

std::optional<std::string>& QueuedAnswer() {
    static std::optional<std::string> answer;
    return answer;
}

} // namespace

void AnswerNextSaveDialog(const std::string& path) {
    QueuedAnswer() = path;
}

std::string AskSaveFileName(const std::string& caption, const std::string& filter) {
    std::optional<std::string>& queued = QueuedAnswer();
    if (platform::IsScriptedUi()) {
        const std::string answer = queued.value_or("");
        queued.reset();
        return answer;
    }
    const QString path = QFileDialog::getSaveFileName(nullptr, QString::fromUtf8(caption),
                                                      QString(), QString::fromUtf8(filter));
    return path.toStdString();
}
