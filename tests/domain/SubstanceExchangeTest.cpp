#include "domain/SubstanceEditing.h"
#include "domain/SubstanceExchangeFormat.h"
#include "domain/SubstanceImport.h"
#include "export/DataModuleMacroADO.h"
#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "store/DataModuleKelvoADO.h"
#include "store/Locate.h"
#include "support/DataModuleTest.h"

#include <QFile>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace {

// A parent with two metabolites (scheme 3), as a scientist's spreadsheet lists them: only Kom (Koc
// follows), fext (fextrc follows), q10fac (iqfac follows).
const QString Library =
    u"# kelvo-substances version 1\n"
    "SubstanceCode,IsParent,Name,MolMass,MolEntVap,SlbWatRef,TemRefSlb,MolEntSlb,CofDifAirRef,Kom,ExpFre,"
    "DT50WatRef,TemRefTraWat,DT50SedRef,TemRefTraSed,MolEntTra,MetSubCode1,MetSubCode2,Comment,vap,VpTemp,"
    "diffusion,fstar,fext,halflife,tref,candeg,tresp,fconvert,icombo3,prtrn12,prtrn13,q10fac\n"
    "PA,1,Parent A,300.5,95000,12.5,20,27000,0.43,100,0.9,10,20,20,20,54000,MA,MB,\"sorbs, slowly\",1e-05,20,"
    "4.3e-05,0.5,0.05,30,20,10,0.079,,3,0.3,0.2,2.2\n"
    "MA,0,Metabolite A,200,95000,100,20,27000,0.43,20,0.9,5,20,5,20,54000,,,,2e-06,20,4.3e-05,0.5,,15,20,10,"
    "0.079,0.199667221297837,,,,0\n"
    "MB,0,Metabolite B,150.25,95000,50,20,27000,0.43,30,0.9,7,20,7,20,54000,,,,3e-07,20,4.3e-05,0.5,,12,20,"
    "10,0.079,0.1,,,,2.2\n"_s;

// Every stored row of the user's substances (the locked ones are the installation's), in code order:
// each value with its type, exact to the last bit.
QStringList UserRows(TdmKelvoADO& dm) {
    QStringList rows;
    for (const QString& table : {u"Substances"_s, u"Substance_Macro"_s, u"Substance_PRZM"_s})
        for (const TSqlRow& row :
             dm.dbKelvoADO
                 .Select(u"SELECT t.* FROM %1 t JOIN Substances s USING (SubstanceCode) WHERE NOT "
                         u"COALESCE(s.Locked, 0) ORDER BY SubstanceCode"_s.arg(table))
                 .rows) {
            QStringList values;
            for (const QVariant& value : row)
                values << (value.isNull() ? u"NULL"_s
                                          : QString::fromLatin1(value.metaType().name()) + u':' +
                                                (value.typeId() == QMetaType::Double
                                                     ? QString::number(value.toDouble(), 'g', 17)
                                                     : value.toString()));
            rows << table + u": "_s + values.join(u'|');
        }
    return rows;
}

int SubstanceCount(TdmKelvoADO& dm) {
    return dm.dbKelvoADO.Select(u"SELECT COUNT(*) FROM Substances"_s).rows[0][0].toInt();
}

class SubstanceExchangeTest : public TDataModuleTest {
protected:
    TSubstanceImportResult Import(const QString& text, TSubstanceImportOptions options = {},
                                  const QString& name = u"lib.csv"_s) {
        return ImportSubstances(*dm, ReadSubstanceFile(text.toUtf8(), name), options);
    }
    // The message the import refuses with; the library is unchanged.
    QString Refusal(const QString& text, TSubstanceImportOptions options = {}, const QString& name = u"lib.csv"_s) {
        const QStringList before = UserRows(*dm);
        const int count = SubstanceCount(*dm);
        QString message;
        try {
            Import(text, options, name);
        } catch (const EKelvoError& e) {
            message = e.Message();
        }
        EXPECT_EQ(before, UserRows(*dm)) << message.toStdString();
        EXPECT_EQ(count, SubstanceCount(*dm)) << message.toStdString();
        return message;
    }
    void DeleteUserSubstances() { dm->dbKelvoADO.Execute(u"DELETE FROM Substances WHERE NOT COALESCE(Locked, 0)"_s); }
    QVariant Stored(const QString& table, const QString& code, const QString& column) {
        return dm->dbKelvoADO
            .Select(u"SELECT %1 FROM %2 WHERE SubstanceCode = ?"_s.arg(column, table), {code})
            .rows.value(0)
            .value(0);
    }
};

TEST_F(SubstanceExchangeTest, RoundTripInBothFormatsGivesTheSameFileAndRows) {
    const TSubstanceImportResult result = Import(Library);
    EXPECT_EQ((QStringList{u"PA"_s, u"MA"_s, u"MB"_s}), result.added);
    // The coupled values followed as when typed.
    EXPECT_DOUBLE_EQ(100 * KomKocFactor, Stored(u"Substance_Macro"_s, u"PA"_s, u"Koc"_s).toDouble());
    EXPECT_DOUBLE_EQ(100 * KomKocFactor, Stored(u"Substances"_s, u"PA"_s, u"KocSed"_s).toDouble());
    EXPECT_DOUBLE_EQ(0.5, Stored(u"Substance_PRZM"_s, u"PA"_s, u"fextrc"_s).toDouble());
    EXPECT_EQ(0, Stored(u"Substance_PRZM"_s, u"MA"_s, u"iqfac"_s).toInt());
    EXPECT_EQ(u"sorbs, slowly"_s, Stored(u"Substances"_s, u"PA"_s, u"Comment"_s).toString());
    EXPECT_EQ(u"MB"_s, Stored(u"Substances"_s, u"PA"_s, u"MetSubCode2"_s).toString());
    EXPECT_DOUBLE_EQ(0.2, Stored(u"Substance_PRZM"_s, u"PA"_s, u"prtrn13"_s).toDouble());
    const QStringList rows = UserRows(*dm);

    for (const TSubstanceFileFormat format : {TSubstanceFileFormat::Csv, TSubstanceFileFormat::Json}) {
        const QByteArray exported = ExportSubstances(*dm, {}, format);
        DeleteUserSubstances();
        ASSERT_TRUE(UserRows(*dm).isEmpty());
        const TSubstanceImportResult again = ImportSubstances(
            *dm, ReadSubstanceFile(exported, u"export"_s), {TExistingSubstance::Skip, false});
        // The locked example substances are in the file and in the library: passed over.
        EXPECT_EQ((QStringList{u"EXAMPLE_M1"_s, u"EXAMPLE_P"_s}), again.skipped);
        const QStringList after = UserRows(*dm);
        EXPECT_EQ(rows.size(), after.size());
        for (qsizetype i = 0; i < std::min(rows.size(), after.size()); ++i)
            EXPECT_EQ(rows[i], after[i]) << int(format);
        EXPECT_EQ(exported, ExportSubstances(*dm, {}, format)) << int(format);
    }
    // Numbers in the shortest text that reads back to the same double, in the C locale.
    const QString csv = QString::fromUtf8(ExportSubstances(*dm, {u"MA"_s}, TSubstanceFileFormat::Csv));
    EXPECT_TRUE(csv.startsWith(u"# kelvo-substances version 1\nSubstanceCode,IsParent,Name,MolMass,"_s)) << csv.toStdString();
    EXPECT_TRUE(csv.contains(u",0.199667221297837,"_s)) << csv.toStdString();
    const QString json = QString::fromUtf8(ExportSubstances(*dm, {u"PA"_s}, TSubstanceFileFormat::Json));
    EXPECT_TRUE(json.contains(u"\"format\": \"kelvo-substances\""_s) && json.contains(u"\"version\": 1"_s));
    EXPECT_TRUE(json.contains(u"\"MolMass\": 300.5"_s) && json.contains(u"\"Koc\": 172.4"_s)) << json.toStdString();
}

TEST_F(SubstanceExchangeTest, SpreadsheetCsvWithSemicolonsDecimalCommasAndByteOrderMark) {
    QString spreadsheet = Library;
    // The spreadsheet's way: ";" between cells, "," in numbers, quotes only where a cell needs them.
    spreadsheet.replace(u","_s, u";"_s).replace(u"\"sorbs; slowly\""_s, u"sorbs, slowly"_s);
    static const QRegularExpression point(u"(\\d)\\.(\\d)"_s);
    spreadsheet.replace(point, u"\\1,\\2"_s);
    Import(u"\uFEFF"_s + spreadsheet);
    const QStringList fromSpreadsheet = UserRows(*dm);
    DeleteUserSubstances();
    Import(Library);
    EXPECT_EQ(UserRows(*dm), fromSpreadsheet);

    // A row that does not fit says what was detected.
    DeleteUserSubstances();
    const QString message = Refusal(u"SubstanceCode;Name;MolMass\nX1;x;1,5;7\n"_s);
    EXPECT_EQ(u"lib.csv, line 2: 4 values where the header has 3 (read as semicolon separated, decimal comma)"_s,
              message);
    EXPECT_EQ(u"lib.csv, line 2, field MolMass, value \"250.5\": not a number (read as semicolon separated, "
              u"decimal comma: a decimal comma is expected)"_s,
              Refusal(u"SubstanceCode;MolMass\nX1;250.5\n"_s));
}

// Each refusal names the file, the line or path, the field and the value, and nothing is written.
TEST_F(SubstanceExchangeTest, RefusalsNameFilePlaceFieldAndValue) {
    Import(Library);
    struct TCase {
        const char* name;
        QString text;
        QString message;
        TSubstanceImportOptions options = {};
    };
    const QString header = u"SubstanceCode,IsParent,Name,MolMass,SlbWatRef,DT50WatRef,DT50SedRef,vap,halflife,Kom,Koc,fext,"
                           u"fextrc,MetSubCode1,icombo3,prtrn12\n"_s;
    const QString good = u"N1,1,New,250,1,10,10,1e-5,20,100,172.4,0.05,0.5,MF,2,0.5"_s;
    const QString metabolite = u"MF,0,Free,100,1,10,10,1e-5,20,30,51.72,,,,,\n"_s;
    const auto row = [&](const QString& from, const QString& to) {
        return header + QString(good).replace(from, to) + u'\n' + metabolite;
    };
    const TCase cases[] = {
        {"out of range", row(u",250,"_s, u",5,"_s),
         u"lib.csv, line 2, field MolMass, value \"5\": "_s},
        {"not a number", row(u",250,"_s, u",heavy,"_s),
         u"lib.csv, line 2, field MolMass, value \"heavy\": not a number (read as comma separated, decimal point)"_s},
        {"Kom and Koc disagree", row(u",172.4,"_s, u",180,"_s),
         u"lib.csv, line 2, field Koc, value \"180\": Koc is Kom x 1.724 (172.4)"_s},
        {"wash-off disagrees", row(u",0.5,MF"_s, u",0.4,MF"_s),
         u"lib.csv, line 2, field fextrc, value \"0.4\": fextrc is fext x 10 (0.5)"_s},
        {"fraction above 1", row(u",MF,2,0.5"_s, u",MF,2,1.5"_s),
         u"lib.csv, line 2, field prtrn12, value \"1.5\": Invalid fraction. Enter a number between 0 and 1."_s},
        {"metabolite nowhere", row(u",MF,"_s, u",NOWHERE,"_s),
         u"lib.csv, line 2, field MetSubCode1, value \"NOWHERE\": the metabolite NOWHERE is neither in the file nor "
         u"in the library"_s},
        {"metabolite of another parent", row(u",MF,"_s, u",MA,"_s),
         u"lib.csv, line 2, field MetSubCode1, value \"MA\": MA cannot be a metabolite of N1"_s},
        {"heavier metabolite", row(u",250,"_s, u",50,"_s),
         u"lib.csv, line 2, field MetSubCode1, value \"MF\": Molecular Mass of metabolite > parent."_s},
        {"scheme without metabolite", row(u",MF,2,"_s, u",,2,"_s),
         u"lib.csv, line 2, field MetSubCode1, value \"\": Select a metabolite."_s},
        {"code with a bad character", row(u"N1,"_s, u"N\u20AC,"_s), u"lib.csv, line 2, field SubstanceCode, value \"N\u20AC\": "_s},
        {"code twice", row(u"X"_s, u"X"_s) + good + u'\n', u"lib.csv, line 4, field SubstanceCode, value \"N1\": the file holds this code twice"_s},
        {"existing code", row(u"N1,"_s, u"PA,"_s),
         u"lib.csv, line 2, field SubstanceCode, value \"PA\": the library has a substance PA already: replace, skip "
         u"or rename it"_s},
        {"locked substance replaced", row(u"N1,"_s, u"EXAMPLE_P,"_s),
         u"lib.csv, line 2, field SubstanceCode, value \"EXAMPLE_P\": Record is locked because it is a FOCUS "
         u"predefined record"_s,
         {TExistingSubstance::Replace, false}},
        {"required value missing", row(u",1e-5,"_s, u",,"_s), u"lib.csv, line 2: Saturated vapour pressure is required."_s},
        {"unknown field", u"SubstanceCode,Colour\nN1,red\n"_s, u"lib.csv: unknown field Colour"_s},
        {"unclosed quote", header + u"N1,1,\"New\n"_s, u"lib.csv, line 2: unclosed quote"_s},
        {"json path", u"{\"format\": \"kelvo-substances\", \"version\": 1, \"substances\": [{\"SubstanceCode\": \"J1\", "
                      u"\"MolMass\": \"x\"}]}"_s,
         u"lib.json, $.substances[0].MolMass, value \"x\": not a number (read as JSON)"_s},
        {"json newer version", u"{\"format\": \"kelvo-substances\", \"version\": 2, \"substances\": []}"_s,
         u"lib.json, $.version: version 2 is not one this Kelvo reads (1)"_s},
    };
    for (const TCase& c : cases) {
        const bool json = c.text.startsWith(u'{');
        const QString message = Refusal(c.text, c.options, json ? u"lib.json"_s : u"lib.csv"_s);
        EXPECT_TRUE(message.startsWith(c.message)) << c.name << ": " << message.toStdString();
    }
    // The good row itself is taken.
    EXPECT_EQ((QStringList{u"N1"_s, u"MF"_s}), Import(row({}, {})).added);
}

TEST_F(SubstanceExchangeTest, ExistingCodesAreReplacedSkippedOrRenamed) {
    Import(Library);
    QString changed = Library;
    changed.replace(u"Parent A"_s, u"Parent A2"_s);
    const TSubstanceImportResult skipped = Import(changed, {TExistingSubstance::Skip, false});
    EXPECT_EQ((QStringList{u"PA"_s, u"MA"_s, u"MB"_s}), skipped.skipped);
    EXPECT_EQ(u"Parent A"_s, Stored(u"Substances"_s, u"PA"_s, u"Name"_s).toString());

    const TSubstanceImportResult replaced = Import(changed, {TExistingSubstance::Replace, false});
    EXPECT_EQ((QStringList{u"PA"_s, u"MA"_s, u"MB"_s}), replaced.replaced);
    EXPECT_EQ(u"Parent A2"_s, Stored(u"Substances"_s, u"PA"_s, u"Name"_s).toString());

    // Renamed, the parent links to its renamed metabolites.
    const TSubstanceImportResult renamed = Import(changed, {TExistingSubstance::Rename, false});
    EXPECT_EQ((QStringList{u"c2_PA"_s, u"c2_MA"_s, u"c2_MB"_s}), renamed.added);
    EXPECT_EQ(u"c2_MA"_s, Stored(u"Substances"_s, u"c2_PA"_s, u"MetSubCode1"_s).toString());
    EXPECT_EQ(u"c2_MB"_s, Stored(u"Substances"_s, u"c2_PA"_s, u"MetSubCode2"_s).toString());
    EXPECT_EQ(u"c3_PA"_s, Import(changed, {TExistingSubstance::Rename, false}).codeOf(u"PA"_s));

    // An identical substance is taken as it is; a different one is refused.
    EXPECT_EQ(QStringList{u"PA"_s}.size(), Import(QString::fromUtf8(ExportSubstances(*dm, {u"PA"_s},
                                                                                    TSubstanceFileFormat::Csv)),
                                                  {TExistingSubstance::Refuse, true})
                                               .reused.size());
}

// A FOCUS example, locked in the installation, comes in as an unlocked copy; the lock does not make two
// substances different.
TEST_F(SubstanceExchangeTest, ImportedSubstancesAreNeverLocked) {
    ASSERT_TRUE(Stored(u"Substances"_s, u"EXAMPLE_M1"_s, u"Locked"_s).toBool());
    const QString example =
        QString::fromUtf8(ExportSubstances(*dm, {u"EXAMPLE_M1"_s}, TSubstanceFileFormat::Csv));
    ASSERT_TRUE(example.contains(u"EXAMPLE_M1,"_s));
    EXPECT_EQ(u"c2_EXAMPLE_M1"_s, Import(example, {TExistingSubstance::Rename, false}).codeOf(u"EXAMPLE_M1"_s));
    EXPECT_FALSE(Stored(u"Substances"_s, u"c2_EXAMPLE_M1"_s, u"Locked"_s).toBool());
    EXPECT_FALSE(Stored(u"Substances"_s, u"c2_EXAMPLE_M1"_s, u"Locked"_s).isNull());
    EXPECT_EQ(Stored(u"Substances"_s, u"EXAMPLE_M1"_s, u"KomSol"_s),
              Stored(u"Substances"_s, u"c2_EXAMPLE_M1"_s, u"KomSol"_s));
    EXPECT_TRUE(Stored(u"Substances"_s, u"EXAMPLE_M1"_s, u"Locked"_s).toBool()) << "the installation's stays locked";

    QString unlocked = QString::fromUtf8(ExportSubstances(*dm, {u"c2_EXAMPLE_M1"_s}, TSubstanceFileFormat::Csv));
    unlocked.replace(u"c2_EXAMPLE_M1"_s, u"EXAMPLE_M1"_s);
    EXPECT_EQ(QStringList{u"EXAMPLE_M1"_s}, Import(unlocked, {TExistingSubstance::Refuse, true}).reused);
}

// What the models get from an imported substance equals what they get from the same values typed.
TEST_F(SubstanceExchangeTest, ModelFilesAfterImportEqualThoseAfterTyping) {
    const auto modelFiles = [this] {
        dm->WritePRZMSubstances();
        TdmMacroADO macro;
        EXPECT_TRUE(dm->WriteMacroSubstances(macro));
        QFile chmdat(InstallDir() + u"/PRZM/wpic/chmdat.dat"_s);
        EXPECT_TRUE(chmdat.open(QIODevice::ReadOnly));
        TConnection db;
        db.Open(macro.DatabasePath());
        QVector<TSqlRow> rows = db.Select(u"SELECT * FROM compound ORDER BY 1"_s).rows;
        rows += db.Select(u"SELECT * FROM metab ORDER BY 1, 2"_s).rows;
        db.Close();
        return std::pair{chmdat.readAll(), rows};
    };
    // Typed: the new substance and its values entered one by one in the editor's order.
    ASSERT_TRUE(dm->OpenSubstanceTables());
    dm->InsertSubstance(u"TYPED"_s, u"Typed"_s);
    const std::pair<const char*, double> typed[] = {
        {"MolMass", 321.5}, {"SlbWatRef", 3.3}, {"DT50WatRef", 12}, {"DT50SedRef", 40}, {"Kom", 55.5},
        {"vap", 2e-6},      {"halflife", 17.5}, {"fext", 0.04},     {"q10fac", 2.58}};
    for (const auto& [name, value] : typed) {
        const QString field = QString::fromLatin1(name);
        for (TTable* t : {&dm->tblSubstances, &dm->tblSubstancesMacro, &dm->tblSubstancesPRZM})
            if (t->findField(field)) {
                t->fieldByName(field).setAsFloat(value);
                ColumnEntered(*dm, t->tableName(), field);
            }
    }
    dm->AskBeforeSave = false;
    ASSERT_TRUE(dm->SaveSubstance());
    dm->CloseSubstanceTables();
    const auto afterTyping = modelFiles();
    const QByteArray exported = ExportSubstances(*dm, {u"TYPED"_s}, TSubstanceFileFormat::Json);
    DeleteUserSubstances();
    modelFiles();
    Import(QString::fromUtf8(exported), {}, u"typed.json"_s);
    const auto afterImport = modelFiles();
    EXPECT_EQ(afterTyping.first, afterImport.first);
    EXPECT_EQ(afterTyping.second, afterImport.second);
    EXPECT_TRUE(afterTyping.first.contains("TYPED"));
}

} // namespace
