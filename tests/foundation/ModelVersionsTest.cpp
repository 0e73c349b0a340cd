#include "foundation/ModelVersions.h"
#include "foundation/Errors.h"
#include "support/KelvoTest.h"

#include <QDir>
#include <QFile>
#include <optional>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString notInstalled = QString::fromUtf16(NotInstalledText);
const QString kelvoDatabase = QString::fromUtf16(KelvoDatabaseVersion);

class ModelVersionsTest : public TKelvoTest {
protected:
    QString WriteVersionFile(const QByteArray& contents) {
        const QString file = temp.filePath(u"versionnum.dat"_s);
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(contents);
        return file;
    }

    QTemporaryDir temp;
};

TEST_F(ModelVersionsTest, ReadsTheValuesOfLinesTwoToFour) {
    struct TCase {
        const char* name;
        TModel model;
        std::optional<QByteArray> contents; // none: no version file
        bool installed;
        QString modelVersion, shellVersion, dataVersion;
    };
    const TCase cases[] = {
        {"TOXSWA values after an equals sign with blanks around it", TModel::Toxswa,
         QByteArray("TOXSWA\nmodel version = 2.1.2 \nshell version  =  3.1\n"), true, u"2.1.2"_s, u"3.1"_s,
         kelvoDatabase},
        {"PRZM file of two lines", TModel::Przm, QByteArray("PRZM\nmodel = 1.5.6\n"), true, u"1.5.6"_s,
         QString(), QString()},
        {"no MACRO version file", TModel::Macro, std::nullopt, false, notInstalled, notInstalled,
         notInstalled},
        {"no TOXSWA version file", TModel::Toxswa, std::nullopt, false, notInstalled, notInstalled,
         notInstalled},
        {"a line without equals sign is taken whole", TModel::Przm,
         QByteArray("x\n  3.2.1 \nshell=2\ndata\n"), true, u"  3.2.1 "_s, u"2"_s, u"data"_s},
        {"MACRO trims a line without equals sign", TModel::Macro, QByteArray("x\n  5.1 \n\t4.4.2\n db 3 \n"),
         true, u"5.1"_s, u"4.4.2"_s, u"db 3"_s},
        {"only the first equals sign separates", TModel::Macro, QByteArray("x\nmodel = a = b\nshell=\n=db\n"),
         true, u"a = b"_s, QString(), u"db"_s},
        {"CRLF line ends; line 1 and lines after 4 unused", TModel::Macro,
         QByteArray("model = 9\r\nm = 5.0\r\ns = 4.1\r\nd = 2.2\r\ne = 7\r\n"), true, u"5.0"_s, u"4.1"_s,
         u"2.2"_s},
        {"empty file", TModel::Przm, QByteArray(), true, QString(), QString(), QString()},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = c.contents ? WriteVersionFile(*c.contents) : temp.filePath(u"missing.dat"_s);
        const TModelVersions versions = ReadVersionFile(c.model, file);
        EXPECT_EQ(versions.installed, c.installed);
        EXPECT_EQ(versions.model, c.modelVersion);
        EXPECT_EQ(versions.shell, c.shellVersion);
        EXPECT_EQ(versions.data, c.dataVersion);
    }
}

TEST_F(ModelVersionsTest, AVersionFileThatCannotBeReadIsAnError) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    const QString file = WriteVersionFile("x\nmodel = 1\n");
    QFile::setPermissions(file, QFileDevice::Permissions());
    EXPECT_THROW(ReadVersionFile(TModel::Przm, file), EKelvoError);
}

class InstalledModelVersionsTest : public TInstallationTest {};

TEST_F(InstalledModelVersionsTest, ReadsTheVersionFilesOfTheInstallation) {
    for (TModel model : {TModel::Macro, TModel::Przm, TModel::Toxswa}) {
        SCOPED_TRACE(ModelDirName(model).toStdString());
        const TModelVersions versions = ReadModelVersions(model);
        EXPECT_TRUE(versions.installed);
        EXPECT_EQ(versions.model, u"stand-in 1.0"_s);
        EXPECT_EQ(versions.shell, u"stand-in 1.0"_s);
        EXPECT_EQ(versions.data, model == TModel::Toxswa ? kelvoDatabase : u"stand-in 1.0"_s);
    }
    QDir(InstallDir() + u"PRZM"_s).removeRecursively();
    EXPECT_FALSE(ReadModelVersions(TModel::Przm).installed);
    EXPECT_EQ(ReadModelVersions(TModel::Przm).model, notInstalled);
}

} // namespace
