#include "support/KelvoTest.h"
#include "ui/app/QtTranslations.h"

#include <QDialogButtonBox>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace {

// Qt's standard buttons speak the user's language while the translations are installed, and English again
// without them.
TEST(QtTranslationsTest, QtsOwnButtonsSpeakTheUsersLanguage) {
    const auto cancelText = [] {
        QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
        return buttons.button(QDialogButtonBox::Cancel)->text() + u'|' + buttons.button(QDialogButtonBox::Yes)->text();
    };
    {
        const std::unique_ptr<QTranslator> german = InstallQtTranslations(QLocale(QLocale::German, QLocale::Germany));
        ASSERT_NE(german, nullptr) << "Qt's translations are missing: scripts/deps installs qt6-translations-l10n";
        EXPECT_EQ(cancelText(), u"Abbrechen|&Ja"_s);
    }
    EXPECT_EQ(cancelText(), u"Cancel|&Yes"_s);
}

} // namespace
