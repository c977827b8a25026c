#include "platform/toolkit/save_file_dialog.h"

#include "platform/toolkit/scripted_ui.h"

#include <QFile>
#include <QFileDialog>

namespace platform {

// Qt's own dialog, the same on every desktop and in Qt's translations. Its default suffix
// is added before it looks for the file: a suffix added after the dialog returned replaced
// an existing NAME.csv without the question the dialog asks for NAME.
std::string AskSaveFileName(QWidget* owner, const SaveFileRequest& request) {
    if (IsScriptedUi()) {
        return "";
    }
    QFileDialog dialog(owner, QString::fromStdString(request.caption), QString(),
                       QString::fromStdString(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDefaultSuffix(QString::fromStdString(request.suffix));
    dialog.selectFile(QString::fromStdString(request.name));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return "";
    }
    return dialog.selectedFiles().constFirst().toStdString();
}

bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& reason) {
    QFile file(QString::fromStdString(path));
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                         file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()) &&
                         file.flush();
    reason = written ? "" : file.errorString().toStdString();
    return written;
}

} // namespace platform
