#include "platform/toolkit/scripted_ui.h"

#include "platform/core/win32_constants.h"

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <optional>

namespace {

std::optional<BOOL> scriptedSetting;
std::deque<int> messageBoxAnswers;
std::vector<platform::MessageBoxRecord> messageBoxRecords;

} // namespace

namespace platform {

BOOL IsScriptedUi() {
    if (scriptedSetting) {
        return *scriptedSetting;
    }
    const char* variable = std::getenv("TESSARAN_SCRIPTED");
    if (variable != nullptr && std::strcmp(variable, "1") == 0) {
        return TRUE;
    }
    if (qGuiApp == nullptr) {
        return TRUE; // nothing could be shown
    }
    QString name = QGuiApplication::platformName();
    return name == "offscreen" || name == "minimal" ? TRUE : FALSE;
}

void SetScriptedUi(BOOL scripted) {
    scriptedSetting = scripted;
}

void AnswerNextMessageBox(int answer) {
    messageBoxAnswers.push_back(answer);
}

const std::vector<MessageBoxRecord>& MessageBoxRecords() {
    return messageBoxRecords;
}

void ClearMessageBoxRecords() {
    messageBoxRecords.clear();
    messageBoxAnswers.clear();
}

// Platform-private (message_box.cpp): records a scripted message box and gives its answer.
int RecordMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    static const int firstButton[] = {IDOK, IDOK, IDABORT, IDYES, IDYES, IDRETRY};
    UINT buttons = type & MB_TYPEMASK;
    int answer = buttons < std::size(firstButton) ? firstButton[buttons] : IDOK;
    if (!messageBoxAnswers.empty()) {
        answer = messageBoxAnswers.front();
        messageBoxAnswers.pop_front();
    }
    messageBoxRecords.push_back(
        {owner, text == nullptr ? "" : text, caption == nullptr ? "" : caption, type, answer});
    return answer;
}

} // namespace platform
