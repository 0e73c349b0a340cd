#include "ui/app/Version.h"
#include "AppTestSupport.h"
#include "foundation/Errors.h"
#include "ui/Guard.h"
#include "ui/app/HelpSystem.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

class VersionTest : public TInstallationTest {
protected:
    void WriteVersionFile(const QString& model, const QByteArray& content) {
        QFile file(InstallDir() + model + u"/versionnum.dat"_s);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    static QString Value(const TfrmVersions& window, const char* name) {
        const auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
        EXPECT_NE(label, nullptr) << name;
        return label ? label->text() : QString();
    }
};

TEST_F(VersionTest, ShowsTheVersionsOfTheInstalledStandIns) {
    TfrmVersions window;
    EXPECT_EQ(window.windowTitle(), u"Versions"_s);
    EXPECT_EQ(HelpContextFor(&window), 28);
    const std::pair<const char*, QString> expected[] = {{"lblKelvo_shell", u"v. 1 (= 2.1, 9 Apr 2003)"_s},
                                                        {"lblKelvo_db", u"v. 1 (= 2.2, 9 Apr 2003)"_s},
                                                        {"lblTOXSWAm", u"stand-in 1.0"_s},
                                                        {"lblTOXSWAs", u"stand-in 1.0"_s},
                                                        {"lblTOXSWAd", u"v. 1 (= 2.2, 9 Apr 2003)"_s},
                                                        {"lblMACROm", u"stand-in 1.0"_s},
                                                        {"lblMACROs", u"stand-in 1.0"_s},
                                                        {"lblMACROd", u"stand-in 1.0"_s},
                                                        {"lblPRZMm", u"stand-in 1.0"_s},
                                                        {"lblPRZMs", u"stand-in 1.0"_s},
                                                        {"lblPRZMd", u"stand-in 1.0"_s},
                                                        {"lblDriftms", u"v. 1 (= 12 Apr 2001)"_s},
                                                        {"lblDriftd", u"v. 1 (= 12 Apr 2001)"_s}};
    for (const auto& [name, value] : expected)
        EXPECT_EQ(Value(window, name), value) << name;
}

TEST_F(VersionTest, ReadsTheValuesAfterTheEqualsSignAndLeavesMissingLinesEmpty) {
    WriteVersionFile(u"TOXSWA"_s, "TOXSWA\nmodel =  2.1.2 \nshell= 3.1\n");
    WriteVersionFile(u"PRZM"_s, "PRZM\nmodel = 3.21\n");
    TfrmVersions window;
    EXPECT_EQ(Value(window, "lblTOXSWAm"), u"2.1.2"_s);
    EXPECT_EQ(Value(window, "lblTOXSWAs"), u"3.1"_s);
    EXPECT_EQ(Value(window, "lblTOXSWAd"), u"v. 1 (= 2.2, 9 Apr 2003)"_s);
    EXPECT_EQ(Value(window, "lblPRZMm"), u"3.21"_s);
    EXPECT_EQ(Value(window, "lblPRZMs"), QString());
    EXPECT_EQ(Value(window, "lblPRZMd"), QString());
}

TEST_F(VersionTest, ModelsWithoutVersionFileAreToInstallByUser) {
    ASSERT_TRUE(QDir(InstallDir() + u"MACRO"_s).removeRecursively());
    ASSERT_TRUE(QFile::remove(InstallDir() + u"TOXSWA/versionnum.dat"_s));
    TfrmVersions window;
    for (const char* name : {"lblMACROm", "lblMACROs", "lblMACROd", "lblTOXSWAm", "lblTOXSWAs", "lblTOXSWAd"})
        EXPECT_EQ(Value(window, name), u"to install by user"_s) << name;
    EXPECT_EQ(Value(window, "lblPRZMm"), u"stand-in 1.0"_s);
}

TEST_F(VersionTest, UnreadableVersionFileStopsTheWindowWithTheError) {
    const QString fileName = InstallDir() + u"PRZM/versionnum.dat"_s;
    QFile::setPermissions(fileName, QFileDevice::Permissions());
    if (QFile file(fileName); file.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "file permissions do not bind here";
    bool shown = false;
    EXPECT_FALSE(Guarded([&] {
        ShowVersions(nullptr);
        shown = true;
    }));
    EXPECT_FALSE(shown);
    const QStringList errors = ui.TakeTexts();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(u"Cannot read "_s + fileName)) << errors[0].toStdString();
}

TEST_F(VersionTest, OpensModallyOverItsOwnerAndClosesWithClose) {
    QWidget owner;
    owner.setGeometry(100, 100, 600, 400);
    owner.show();
    bool closedByButton = false;
    QPoint centre;
    AnswerModal([&](QWidget* modal) {
        EXPECT_EQ(modal->objectName(), u"frmVersions"_s);
        centre = modal->frameGeometry().center();
        QTest::mouseClick(modal->findChild<QPushButton*>(u"btnClose"_s), Qt::LeftButton);
        closedByButton = !modal->isVisible();
    });
    ShowVersions(&owner);
    EXPECT_TRUE(closedByButton);
    EXPECT_LE((centre - owner.frameGeometry().center()).manhattanLength(), 4) << "centred on the launcher";
}

} // namespace
