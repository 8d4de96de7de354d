#include "QtTranslations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace {

std::unique_ptr<QTranslator>& Installed() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

} // namespace

QLocale::Language LanguageOfFile(const QString& languageFile) {
    const QString name = QFileInfo(languageFile).completeBaseName();
    if (name.isEmpty()) return QLocale::AnyLanguage;
    for (int l = QLocale::C + 1; l <= QLocale::LastLanguage; ++l) {
        const auto language = static_cast<QLocale::Language>(l);
        if (name.compare(QLocale::languageToString(language), Qt::CaseInsensitive) == 0)
            return language;
    }
    for (int l = QLocale::C + 1; l <= QLocale::LastLanguage; ++l) {
        const auto language = static_cast<QLocale::Language>(l);
        const QLocale locale(language);
        if (locale.language() == language &&
            name.compare(locale.nativeLanguageName(), Qt::CaseInsensitive) == 0)
            return language;
    }
    return QLocale::AnyLanguage;
}

bool ApplyQtTranslations(const QString& languageFile) {
    std::unique_ptr<QTranslator>& installed = Installed();
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    const QLocale::Language language = LanguageOfFile(languageFile);
    if (language == QLocale::AnyLanguage || language == QLocale::English) return false;
    auto translator = std::make_unique<QTranslator>();
    // "qt_cs" gathers the translations of every Qt module ("qtbase_cs" and the others).
    if (!translator->load(QLocale(language), QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
    return true;
}
