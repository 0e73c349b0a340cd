#include "store/SubstanceTestBase.h"
#include "support/DataModuleTest.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList SubstanceTables = {u"Substances"_s, u"Substance_Macro"_s, u"Substance_PRZM"_s,
                                     u"SubstancexCropxLocation"_s};

} // namespace

void TSubstanceTest::SetUp() {
    TDataModuleTest::SetUp();
    if (HasFatalFailure()) return;
    Clone(u"EXAMPLE_P"_s, u"PAR"_s, true, u"MET1"_s, u"MET2"_s);
    Clone(u"EXAMPLE_M1"_s, u"MET1"_s, false);
    Clone(u"EXAMPLE_M1"_s, u"MET2"_s, false);
    Clone(u"EXAMPLE_M1"_s, u"LONE"_s, false);
    Store(u"Substance_PRZM"_s, u"PAR"_s, u"icombo3"_s, 3);
    for (const QString& metabolite : {u"MET1"_s, u"MET2"_s}) {
        Store(u"Substance_Macro"_s, metabolite, u"fconvert"_s, 0.5);
        Store(u"Substance_Macro"_s, metabolite, u"inform"_s, u"PAR"_s);
    }
}

void TSubstanceTest::TearDown() {
    TDataModuleTest::TearDown();
}

void TSubstanceTest::Clone(const QString& source, const QString& code, bool parent,
                           const QString& metabolite1, const QString& metabolite2) {
    TConnection& db = dm->dbKelvoADO;
    for (const QString& table : SubstanceTables) {
        db.Execute(u"CREATE TEMP TABLE Clone AS SELECT * FROM %1 WHERE SubstanceCode = ?"_s.arg(table),
                   {source});
        db.Execute(u"UPDATE Clone SET SubstanceCode = ?"_s, {code});
        if (table == u"SubstancexCropxLocation"_s) db.Execute(u"UPDATE Clone SET Locked = 0"_s);
        db.Execute(u"INSERT INTO %1 SELECT * FROM Clone"_s.arg(table));
        db.Execute(u"DROP TABLE Clone"_s);
    }
    db.Execute(u"UPDATE Substances SET Locked = 0, IsParent = ?, MetSubCode1 = ?, MetSubCode2 = ? "
               "WHERE SubstanceCode = ?"_s,
               {parent ? 1 : 0, metabolite1.isEmpty() ? QVariant() : metabolite1,
                metabolite2.isEmpty() ? QVariant() : metabolite2, code});
}

QVariant TSubstanceTest::Stored(const QString& table, const QString& code, const QString& column) {
    const TSqlResult result =
        dm->dbKelvoADO.Select(u"SELECT \"%1\" FROM %2 WHERE SubstanceCode = ?"_s.arg(column, table), {code});
    return result.rows.isEmpty() ? QVariant() : result.rows[0][0];
}

void TSubstanceTest::Store(const QString& table, const QString& code, const QString& column,
                           const QVariant& value) {
    dm->dbKelvoADO.Execute(u"UPDATE %1 SET \"%2\" = ? WHERE SubstanceCode = ?"_s.arg(table, column),
                           {value, code});
}

int TSubstanceTest::Count(const QString& table, const QString& code) {
    return dm->dbKelvoADO.Select(u"SELECT COUNT(*) FROM %1 WHERE SubstanceCode = ?"_s.arg(table), {code})
        .rows[0][0]
        .toInt();
}
