#pragma once

#include <QLocale>
#include <QTranslator>
#include <memory>

// Qt's own texts (standard buttons, the file and print dialogs) in the language of locale, from Qt's
// translations; installed while the answer lives. Empty when Qt has no translation for the language, so
// Qt speaks English as before. Kelvo's own texts are not translated.
std::unique_ptr<QTranslator> InstallQtTranslations(const QLocale& locale = QLocale());
