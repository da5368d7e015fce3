#include "translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool loadQtCatalan(QCoreApplication &app)
{
    // Debian keeps them in Qt's own folder (package qt6-translations-l10n); a Windows
    // installation carries them beside the program.
    const QString folders[] = { QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QCoreApplication::applicationDirPath() + QStringLiteral("/translations") };
    auto *translator = new QTranslator(&app);
    for (const QString &folder : folders) {
        if (translator->load(QLocale(QLocale::Catalan, QLocale::Spain), QStringLiteral("qtbase"),
                QStringLiteral("_"), folder)
            && QCoreApplication::installTranslator(translator))
            return true;
    }
    delete translator;
    return false;
}
