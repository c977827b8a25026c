#include "platform/framework/message_box.h"

#include "platform/core/window_private.h"
#include "platform/framework/wnd.h"
#include "platform/toolkit/scripted_ui_private.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace {

QMessageBox::StandardButtons ButtonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MB_ABORTRETRYIGNORE:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case MB_YESNOCANCEL:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MB_YESNO:
        return QMessageBox::Yes | QMessageBox::No;
    case MB_RETRYCANCEL:
        return QMessageBox::Retry | QMessageBox::Cancel;
    default:
        return QMessageBox::Ok;
    }
}

QMessageBox::Icon IconOf(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONASTERISK:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int AnswerOf(int button) {
    switch (button) {
    case QMessageBox::Cancel:
        return IDCANCEL;
    case QMessageBox::Abort:
        return IDABORT;
    case QMessageBox::Retry:
        return IDRETRY;
    case QMessageBox::Ignore:
        return IDIGNORE;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    default:
        return IDOK;
    }
}

} // namespace

int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    // Windows captions a box "Error" when it is given no caption.
    const char* shownCaption = caption != nullptr ? caption : "Error";
    if (platform::IsScriptedUi()) {
        return platform::RecordMessageBox(owner, text, shownCaption, type);
    }
    QMessageBox box(IconOf(type), QString::fromUtf8(shownCaption),
                    QString::fromUtf8(text != nullptr ? text : ""), ButtonsOf(type),
                    platform::WindowWidget(owner));
    return AnswerOf(box.exec());
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    return MessageBox(owner, text, caption, type);
}

int AfxMessageBox(LPCSTR text, UINT type, UINT) {
    CWnd* main = AfxGetMainWnd();
    std::string caption = QCoreApplication::applicationName().toStdString();
    return MessageBox(main != nullptr ? main->m_hWnd : nullptr, text, caption.c_str(), type);
}
