#include "platform/framework/window_list_dialog.h"

#include "platform/core/window_private.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace platform {

HWND ChooseWindow(HWND owner, const std::vector<HWND>& windows, HWND current) {
    QDialog dialog(WindowWidget(owner) != nullptr ? WindowWidget(owner)->window() : nullptr);
    dialog.setWindowTitle("Select Window");
    auto* list = new QListWidget(&dialog);
    for (HWND window : windows) {
        const WindowRecord* record = LookupWindow(window);
        list->addItem(QString::fromUtf8(record != nullptr ? record->text : std::string()));
        if (window == current) {
            list->setCurrentRow(list->count() - 1);
        }
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemActivated, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel("&Select window:", &dialog);
    label->setBuddy(list);
    layout->addWidget(label);
    layout->addWidget(list);
    layout->addWidget(buttons);
    list->setFocus();
    const int accepted = dialog.exec();
    const int row = list->currentRow();
    return accepted == QDialog::Accepted && row >= 0 ? windows[size_t(row)] : nullptr;
}

} // namespace platform
