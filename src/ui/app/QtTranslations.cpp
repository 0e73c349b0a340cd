#include "ui/app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

using namespace Qt::Literals::StringLiterals;

std::unique_ptr<QTranslator> InstallQtTranslations(const QLocale& locale) {
    auto translator = std::make_unique<QTranslator>();
    // "qt_<language>" gathers the translations of every Qt module.
    if (!translator->load(locale, u"qt"_s, u"_"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator.get()))
        return {};
    return translator;
}
