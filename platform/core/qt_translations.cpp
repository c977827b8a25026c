#include "platform/core/qt_translations.h"

#include "common/user_language.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace {

// Owned by the application, so it goes with it.
QPointer<QTranslator> g_installed;

} // namespace

namespace platform {

// The file is looked for by its whole name: QTranslator::load would otherwise fall back
// from qtbase_zh_CN to any qtbase.qm it finds.
std::string LoadQtTranslations() {
    if (g_installed) {
        QCoreApplication::removeTranslator(g_installed);
        delete g_installed;
    }
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const std::string& language : UserLanguages()) {
        const QString path = folder + "/qtbase_" + QString::fromStdString(language) + ".qm";
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (QFileInfo::exists(path) && translator->load(path)) {
            QCoreApplication::installTranslator(translator);
            g_installed = translator;
            return language;
        }
        delete translator;
    }
    return "";
}

} // namespace platform
