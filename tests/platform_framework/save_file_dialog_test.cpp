// The Save As dialog as a person answers it (Qt's dialog, shown offscreen), and Qt's own
// texts in the user's language.
#include "platform/core/qt_translations.h"
#include "platform/toolkit/save_file_dialog.h"
#include "platform/toolkit/scripted_ui.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>

namespace {

// Runs `act` on the modal window that shows next, once it shows.
void WhenModalShows(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        modal ? act(modal) : WhenModalShows(act);
    });
}

// Types `name` in the dialog's file name field and presses Save; when the dialog asks
// whether to replace a file, `replace` answers. Records the question's text.
void TypeAndSave(const std::string& name, bool replace, std::string& question) {
    WhenModalShows([=, &question](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(name));
        WhenModalShows([=, &question](QWidget* asking) {
            auto* box = qobject_cast<QMessageBox*>(asking);
            if (box == nullptr) {
                return; // no question: the dialog closed
            }
            question = box->text().toStdString();
            box->button(replace ? QMessageBox::Yes : QMessageBox::No)->click();
            if (!replace) {
                dialog->reject();
            }
        });
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->click();
    });
}

class SaveFileDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::SetScriptedUi(FALSE);
        m_folder = testing::TempDir() + "save-dialog-" + std::to_string(::getpid()) + "/";
        QDir().mkpath(QString::fromStdString(m_folder));
        std::ofstream(m_folder + "table.csv") << "old";
    }
    void TearDown() override {
        platform::SetScriptedUi(TRUE);
        QDir(QString::fromStdString(m_folder)).removeRecursively();
    }

    std::string m_folder;
};

// A name without an extension gets the suffix, and an existing NAME.csv is asked about as
// when NAME.csv is typed; a name with an extension keeps it.
TEST_F(SaveFileDialogTest, ANameGetsItsExtensionBeforeAReplacementIsAsked) {
    const struct {
        const char* typed;
        bool replace;
        const char* chosen; // "" when cancelled
        bool asked;
    } cases[] = {
        {"graph1", true, "graph1.csv", false},   {"table", false, "", true},
        {"table", true, "table.csv", true},      {"table.csv", false, "", true},
        {"notes.txt", true, "notes.txt", false},
    };
    for (const auto& c : cases) {
        std::string question;
        TypeAndSave(m_folder + c.typed, c.replace, question);
        const std::string chosen =
            platform::AskSaveFileName(nullptr, {"Export", "", "CSV files (*.csv)", "csv"});
        EXPECT_EQ(chosen, *c.chosen ? m_folder + c.chosen : "") << c.typed;
        EXPECT_EQ(question.find("table.csv") != std::string::npos, c.asked)
            << c.typed << ": " << question;
    }
}

TEST_F(SaveFileDialogTest, WritesTheWholeFileOrSaysWhyNot) {
    std::string reason = "stale";
    EXPECT_TRUE(platform::WriteWholeFile(m_folder + "table.csv", "a,b\r\n", reason));
    EXPECT_EQ(reason, "");
    std::ifstream in(m_folder + "table.csv", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "a,b\r\n");
    EXPECT_FALSE(platform::WriteWholeFile(m_folder + "none/table.csv", "x", reason));
    EXPECT_EQ(reason, "No such file or directory");
    EXPECT_FALSE(platform::WriteWholeFile(m_folder, "x", reason));
    EXPECT_EQ(reason, "Is a directory");
}

// Qt's dialog texts follow the user's language, and go back to English with it.
TEST(QtTranslationsTest, QtDialogTextsFollowTheUserLanguage) {
    const auto lookIn = [] {
        return QCoreApplication::translate("QFileDialog", "Look in:").toStdString();
    };
    const auto cancel = [] {
        return QCoreApplication::translate("QPlatformTheme", "Cancel").toStdString();
    };
    setenv("LANGUAGE", "zh_CN", 1);
    EXPECT_EQ(platform::LoadQtTranslations(), "zh_CN");
    EXPECT_EQ(lookIn(), "查找范围：");
    EXPECT_EQ(cancel(), "取消");
    setenv("LANGUAGE", "xx:zh_TW", 1);
    EXPECT_EQ(platform::LoadQtTranslations(), "zh_TW") << "the first language Qt has";
    unsetenv("LANGUAGE");
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(platform::LoadQtTranslations(), "");
    EXPECT_EQ(lookIn(), "Look in:");
    unsetenv("LC_ALL");
}

} // namespace
