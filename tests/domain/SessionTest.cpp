#include "domain/Session.h"
#include "export/DataModuleMacroADO.h"
#include "foundation/Installation.h"
#include "store/DataModuleKelvoADO.h"
#include "support/KelvoTest.h"

#include <QFile>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

using TKind = TScriptedUserInterface::TKind;

// A fresh installation with a parent SESSIONPAR complete for both models and a MACRO compound row
// MACROONLY that the system does not know yet.
class SessionTest : public TInstallationTest {
protected:
    void SetUp() override {
        TInstallationTest::SetUp();
        if (HasFatalFailure()) return;
        TConnection db;
        db.Open(DatabaseFile());
        for (const QString& table : {u"Substances"_s, u"Substance_Macro"_s, u"Substance_PRZM"_s}) {
            db.Execute(u"CREATE TEMP TABLE Clone AS SELECT * FROM %1 WHERE SubstanceCode = 'EXAMPLE_P'"_s.arg(
                table));
            db.Execute(u"UPDATE Clone SET SubstanceCode = 'SESSIONPAR'"_s);
            db.Execute(u"INSERT INTO %1 SELECT * FROM Clone"_s.arg(table));
            db.Execute(u"DROP TABLE Clone"_s);
        }
        db.Execute(
            u"UPDATE Substances SET Locked = 0, MetSubCode1 = NULL WHERE SubstanceCode = 'SESSIONPAR'"_s);
        db.Close();
        dm = std::make_unique<TdmKelvoADO>();
        macro = std::make_unique<TdmMacroADO>();
        macroDb.Open(macro->DatabasePath());
        macroDb.Execute(
            u"INSERT INTO compound (name, inform, koc) VALUES ('MACROONLY', 'From MACRO', 100)"_s);
        macroDb.Close();
    }

    void TearDown() override {
        macro.reset();
        dm.reset();
        SetModelAvailable(TModelKind::Macro, false);
        SetModelAvailable(TModelKind::Przm, false);
        TInstallationTest::TearDown();
    }

    QString ChemicalFile() const { return InstallDir() + u"PRZM/wpic/chmdat.dat"_s; }

    QByteArray Contents(const QString& file) const {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QStringList CompoundNames() {
        macroDb.Open(macro->DatabasePath());
        QStringList names;
        for (const TSqlRow& row : macroDb.Select(u"SELECT name FROM compound ORDER BY name"_s).rows)
            names << row.value(0).toString();
        macroDb.Close();
        return names;
    }

    bool Known(const QString& code) {
        return !dm->dbKelvoADO.Select(u"SELECT 1 FROM Substances WHERE SubstanceCode = ?"_s, {code})
                    .rows.isEmpty();
    }

    std::unique_ptr<TdmKelvoADO> dm;
    std::unique_ptr<TdmMacroADO> macro;
    TConnection macroDb;
};

TEST_F(SessionTest, BothModelsAreReadAtStartAndWrittenAtTheEnd) {
    EXPECT_TRUE(StartSession(*dm, *macro));
    EXPECT_TRUE(IsModelAvailable(TModelKind::Przm));
    EXPECT_TRUE(IsModelAvailable(TModelKind::Macro));
    EXPECT_TRUE(Known(u"MACROONLY"_s));
    EXPECT_FALSE(macro->dbMacroADO.IsOpen());
    EXPECT_FALSE(Contents(ChemicalFile()).contains("SESSIONPAR"));

    EndSession(*dm, *macro);
    EXPECT_FALSE(dm->dbKelvoADO.IsOpen());
    EXPECT_EQ((QStringList{u"EXAMPLE_P"_s, u"MACROONLY"_s, u"SESSIONPAR"_s}), CompoundNames());
    EXPECT_TRUE(Contents(ChemicalFile()).contains("SESSIONPAR"));
}

TEST_F(SessionTest, MissingMacroDatabaseLeavesMacroUnavailable) {
    ASSERT_TRUE(QFile::remove(macro->DatabasePath()));
    EXPECT_TRUE(StartSession(*dm, *macro));
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Unable to open MACRO database: "_s + macro->DatabasePath()});
    EXPECT_FALSE(IsModelAvailable(TModelKind::Macro));
    EXPECT_TRUE(IsModelAvailable(TModelKind::Przm));

    EndSession(*dm, *macro);
    EXPECT_FALSE(QFile::exists(macro->DatabasePath()));
    EXPECT_TRUE(Contents(ChemicalFile()).contains("SESSIONPAR"));
}

// An unreadable chemical data file is shown, and is not rewritten at the end.
TEST_F(SessionTest, UnreadablePrzmFileLeavesPrzmUnavailable) {
    QFile file(ChemicalFile());
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("damaged");
    file.close();
    const QByteArray damaged = Contents(ChemicalFile());

    EXPECT_TRUE(StartSession(*dm, *macro));
    const auto shown = ui.Take();
    ASSERT_EQ(1, shown.size());
    EXPECT_EQ(TKind::Error, shown[0].kind);
    EXPECT_TRUE(shown[0].text.contains(u"chmdat.dat"_s)) << shown[0].text.toStdString();
    EXPECT_FALSE(IsModelAvailable(TModelKind::Przm));
    EXPECT_TRUE(IsModelAvailable(TModelKind::Macro));

    EndSession(*dm, *macro);
    EXPECT_EQ(damaged, Contents(ChemicalFile()));
    EXPECT_TRUE(CompoundNames().contains(u"SESSIONPAR"_s));
}

TEST_F(SessionTest, WithoutTheScenarioDatabaseNothingIsExchanged) {
    ASSERT_TRUE(QFile::remove(DatabaseFile()));
    const QByteArray chemicals = Contents(ChemicalFile());
    const QStringList compounds = CompoundNames();

    EXPECT_FALSE(StartSession(*dm, *macro));
    const auto shown = ui.Take();
    ASSERT_EQ(2, shown.size());
    EXPECT_EQ(TKind::Error, shown[0].kind);
    EXPECT_EQ(u"Failed to open the KELVO-database."_s, shown[1].text);
    EXPECT_FALSE(IsModelAvailable(TModelKind::Przm));
    EXPECT_FALSE(IsModelAvailable(TModelKind::Macro));

    EndSession(*dm, *macro);
    EXPECT_EQ(chemicals, Contents(ChemicalFile()));
    EXPECT_EQ(compounds, CompoundNames());
}

} // namespace
