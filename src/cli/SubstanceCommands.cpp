// kelvo-cli substances, substance show/new/set/copy/delete and defaults list/set/delete: the substance
// library and its default application patterns, edited through the record sets and rules of the
// scenario data module exactly as the substance editor and the pattern editor edit them.

#include "cli/CliCommand.h"
#include "cli/CliScenario.h"
#include "cli/JsonOutput.h"
#include "cli/MetaboliteCommand.h"
#include "cli/SubstanceFileCommand.h"
#include "domain/NewSubstance.h"
#include "domain/SubstanceEditing.h"
#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "store/DataModuleKelvoADO.h"
#include "store/Locate.h"
#include "store/Transaction.h"

#include <QJsonArray>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

namespace {

// Codes and names are typed into fields of at most 20 characters.
constexpr int MaxCodeLength = 20;

QTextStream& Out() {
    static QTextStream out(stdout);
    return out;
}

QString NotFound(const QString& code) {
    return u"Substance: "_s + code + u" not found"_s;
}

void OpenSubstance(TdmKelvoADO& dm, const QString& code) {
    if (!dm.OpenSubstanceAt(code)) throw EKelvoError(NotFound(code));
}

QString TakeArgument(QStringList& arguments, const QString& name) {
    if (arguments.isEmpty()) throw TUsageError(u"%1 is missing"_s.arg(name));
    return arguments.takeFirst();
}

QJsonValue JsonValue(const TField& field) {
    const QVariant value = field.value();
    if (value.isNull()) return QJsonValue::Null;
    switch (field.dataType()) {
    case TFieldType::Boolean:
        return value.toBool();
    case TFieldType::Integer:
    case TFieldType::SmallInt:
        return value.toInt();
    case TFieldType::Float:
        return value.toDouble();
    default:
        return field.asString();
    }
}

// "FIELD=VALUE" split at the first "="; an empty value clears the field.
std::pair<QString, QString> Assignment(const QString& argument) {
    const qsizetype equals = argument.indexOf(u'=');
    if (equals <= 0) throw TUsageError(u"Expected FIELD=VALUE: %1"_s.arg(argument));
    return {argument.left(equals), argument.mid(equals + 1)};
}

void Assign(TRecordSet& rs, const QString& fieldName, const QString& value) {
    rs.edit();
    TField& field = rs.fieldByName(fieldName);
    if (value.isEmpty())
        field.clear();
    else
        field.setAsString(value);
}

// The lengths the dialog's edit fields allow.
void CheckLengths(const QString& code, const QString& name) {
    if (code.size() > MaxCodeLength || name.size() > MaxCodeLength)
        throw TRefusedValue(u"CODE and NAME have at most %1 characters"_s.arg(MaxCodeLength));
}

// --- substances ------------------------------------------------------------------------------------

// Made in Kelvo: the predefined (locked) records shipped with it are the system's, the others the user's.
QString OriginText(const TField& subSource, bool locked) {
    switch (subSource.asInteger()) {
    case 1:
        return locked ? u"system"_s : u"user"_s;
    case 2:
        return u"MACRO"_s;
    case 3:
        return u"PRZM"_s;
    default:
        return subSource.asString();
    }
}

int RunSubstances(QStringList arguments, TCliContext& context) {
    RequireNoArguments(arguments);
    TCliScenario scenario;
    TdmKelvoADO& dm = scenario.dm;
    if (!dm.OpenSubstanceTables()) return 1;
    TTable& t = dm.tblSubstances;
    QJsonArray substances;
    for (t.first(); !t.eof(); t.next()) {
        QJsonArray metabolites;
        for (const QString& slot : {u"MetSubCode1"_s, u"MetSubCode2"_s})
            if (const QString code = t.fieldByName(slot).asString(); !code.isEmpty())
                metabolites.append(code);
        substances.append(QJsonObject{{u"code"_s, t.fieldByName(u"SubstanceCode"_s).asString()},
                                      {u"name"_s, t.fieldByName(u"Name"_s).asString()},
                                      {u"isParent"_s, t.fieldByName(u"IsParent"_s).asBoolean()},
                                      {u"metabolites"_s, metabolites},
                                      {u"locked"_s, t.fieldByName(u"Locked"_s).asBoolean()},
                                      {u"origin"_s, OriginText(t.fieldByName(u"subSource"_s),
                                                                   t.fieldByName(u"Locked"_s).asBoolean())}});
    }
    for (qsizetype i = 0; i < substances.size(); ++i) {
        QJsonObject substance = substances[i].toObject();
        QStringList missing;
        substance.insert(u"complete"_s, dm.IsSubstanceComplete(substance[u"code"_s].toString(), &missing));
        if (!missing.isEmpty()) substance.insert(u"missing"_s, QJsonArray::fromStringList(missing));
        substances[i] = substance;
    }
    dm.CloseSubstanceTables();

    if (context.json) {
        PrintJson(QJsonObject{{u"substances"_s, substances}});
        return 0;
    }
    const auto yesNo = [](bool value) { return value ? u"yes"_s : u"no"_s; };
    Out() << u"%1 %2 %3 %4 %5 %6 %7"_s.arg(u"CODE"_s, -20)
                 .arg(u"NAME"_s, -20)
                 .arg(u"PARENT"_s, -6)
                 .arg(u"METABOLITES"_s, -41)
                 .arg(u"LOCKED"_s, -6)
                 .arg(u"ORIGIN"_s, -6)
                 .arg(u"COMPLETE"_s)
          << Qt::endl;
    for (const QJsonValue& value : substances) {
        const QJsonObject s = value.toObject();
        QStringList metabolites;
        for (const QJsonValue& m : s[u"metabolites"_s].toArray())
            metabolites << m.toString();
        Out() << u"%1 %2 %3 %4 %5 %6 %7"_s.arg(s[u"code"_s].toString(), -20)
                     .arg(s[u"name"_s].toString(), -20)
                     .arg(yesNo(s[u"isParent"_s].toBool()), -6)
                     .arg(metabolites.join(u", "_s), -41)
                     .arg(yesNo(s[u"locked"_s].toBool()), -6)
                     .arg(s[u"origin"_s].toString(), -6)
                     .arg(yesNo(s[u"complete"_s].toBool()))
              << Qt::endl;
    }
    return 0;
}

// --- substance -------------------------------------------------------------------------------------

QVector<TTable*> SubstanceRecordSets(TdmKelvoADO& dm) {
    return {&dm.tblSubstances, &dm.tblSubstancesMacro, &dm.tblSubstancesPRZM};
}

int ShowSubstance(QStringList arguments, const TCliContext& context) {
    const QString code = TakeArgument(arguments, u"CODE"_s);
    RequireNoArguments(arguments);
    TCliScenario scenario;
    OpenSubstance(scenario.dm, code);
    QJsonObject document{{u"code"_s, code}};
    for (TTable* rs : SubstanceRecordSets(scenario.dm)) {
        QJsonObject row;
        for (int i = 0; i < rs->fieldCount(); ++i)
            row.insert(rs->field(i).fieldName(), JsonValue(rs->field(i)));
        document.insert(rs->tableName(), row);
        if (context.json) continue;
        Out() << rs->tableName() << Qt::endl;
        for (int i = 0; i < rs->fieldCount(); ++i)
            Out() << u"  %1 = %2"_s.arg(rs->field(i).fieldName(), rs->field(i).asString()) << Qt::endl;
    }
    if (context.json) PrintJson(document);
    scenario.dm.CloseSubstanceTables();
    return 0;
}

int NewSubstance(QStringList arguments) {
    const QString code = TakeArgument(arguments, u"CODE"_s);
    const QString name = TakeArgument(arguments, u"NAME"_s);
    RequireNoArguments(arguments);
    TCliScenario scenario;
    TdmKelvoADO& dm = scenario.dm;
    CheckLengths(code.trimmed(), name.trimmed());
    if (!dm.OpenSubstanceTables()) return 1;
    if (!CreateNewSubstance(dm, code, name)) Abort();
    dm.UndoSubstance();
    dm.CloseSubstanceTables();
    Out() << u"Created substance %1"_s.arg(code.trimmed()) << Qt::endl;
    return 0;
}

// The record set of a field named plainly or as Table.Field; a plain name must be in one table only.
TTable& RecordSetOf(TdmKelvoADO& dm, QString& fieldName) {
    const qsizetype dot = fieldName.indexOf(u'.');
    QVector<TTable*> holders;
    for (TTable* rs : SubstanceRecordSets(dm)) {
        if (dot >= 0 && rs->tableName().compare(fieldName.left(dot), Qt::CaseInsensitive) != 0) continue;
        if (rs->findField(dot >= 0 ? fieldName.mid(dot + 1) : fieldName)) holders << rs;
    }
    if (holders.isEmpty()) throw TUsageError(u"Unknown field: %1"_s.arg(fieldName));
    if (holders.size() > 1)
        throw TUsageError(u"%1 is in more than one table; name it as Table.%1"_s.arg(fieldName));
    if (dot >= 0) fieldName = fieldName.mid(dot + 1);
    return *holders.first();
}

int SetSubstance(QStringList arguments) {
    const QString code = TakeArgument(arguments, u"CODE"_s);
    if (arguments.isEmpty()) throw TUsageError(u"FIELD=VALUE is missing"_s);
    TCliScenario scenario;
    TdmKelvoADO& dm = scenario.dm;
    OpenSubstance(dm, code);
    QVector<std::pair<QString, QString>> assignments;
    for (const QString& argument : arguments)
        assignments << Assignment(argument);
    // Each value as the editor takes it: the values coupled to it follow.
    for (auto& [field, value] : assignments) {
        TTable& rs = RecordSetOf(dm, field);
        Assign(rs, field, value);
        ColumnEntered(dm, rs.tableName(), field);
    }
    dm.AskBeforeSave = true;
    if (!dm.SaveSubstance()) return 1;
    dm.CloseSubstanceTables();
    Out() << u"Saved substance %1"_s.arg(code) << Qt::endl;
    return 0;
}

// As the substance editor copies: the new substance first, then the source's values.
int CopySubstance(QStringList arguments) {
    const QString source = TakeArgument(arguments, u"SOURCE"_s);
    const QString code = TakeArgument(arguments, u"NEWCODE"_s).trimmed();
    const QString name = TakeArgument(arguments, u"NEWNAME"_s).trimmed();
    RequireNoArguments(arguments);
    TCliScenario scenario;
    TdmKelvoADO& dm = scenario.dm;
    OpenSubstance(dm, source);
    CheckLengths(code, name);
    {
        // The new substance and its copied values are one commit.
        const TTransaction transaction(dm.dbKelvoADO);
        if (!CreateNewSubstance(dm, code, name)) Abort();
        dm.AskBeforeSave = false;
        dm.tblSubstances.cancel();
        dm.CopySubstanceValues(code, source);
        dm.AskBeforeSave = true;
    }
    dm.UndoSubstance();
    dm.CloseSubstanceTables();
    Out() << u"Copied substance %1 to %2"_s.arg(source, code) << Qt::endl;
    return 0;
}

int DeleteSubstance(QStringList arguments) {
    const QString code = TakeArgument(arguments, u"CODE"_s);
    RequireNoArguments(arguments);
    TCliScenario scenario;
    OpenSubstance(scenario.dm, code);
    scenario.dm.tblSubstances.deleteRecord();
    scenario.dm.CloseSubstanceTables();
    Out() << u"Deleted substance %1"_s.arg(code) << Qt::endl;
    return 0;
}

int RunSubstance(QStringList arguments, TCliContext& context) {
    const QString action = TakeArgument(arguments, u"ACTION"_s);
    if (action == u"show"_s) return ShowSubstance(arguments, context);
    if (action == u"new"_s) return NewSubstance(arguments);
    if (action == u"set"_s) return SetSubstance(arguments);
    if (action == u"copy"_s) return CopySubstance(arguments);
    if (action == u"delete"_s) return DeleteSubstance(arguments);
    if (action == u"metabolites"_s) return RunSubstanceMetabolites(arguments, context);
    if (action == u"export"_s) return RunSubstanceExport(arguments, context);
    if (action == u"import"_s) return RunSubstanceImport(arguments, context);
    throw TUsageError(u"Unknown substance action: %1"_s.arg(action));
}

// --- defaults --------------------------------------------------------------------------------------

struct TPatternKey {
    QString code;
    QString crop;
    QString location;
    QString cropNr;
};

TPatternKey TakePatternKey(QStringList& arguments) {
    TPatternKey key;
    key.code = TakeArgument(arguments, u"CODE"_s);
    key.crop = TakeArgument(arguments, u"CROP"_s);
    key.location = TakeArgument(arguments, u"LOCATION"_s);
    key.cropNr = TakeArgument(arguments, u"CROPNR"_s);
    return key;
}

// The substance current and its default patterns open, as the pattern editor prepares itself.
void OpenPatterns(TdmKelvoADO& dm, const QString& code) {
    OpenSubstance(dm, code);
    if (!dm.OpenDefaults()) Abort();
}

bool LocatePattern(TdmKelvoADO& dm, const TPatternKey& key) {
    return LocateByTextKeys(dm.tblDefaults, {key.code, key.crop, key.location, key.cropNr}, 4);
}

void CloseEditor(TdmKelvoADO& dm) {
    dm.CloseSubstanceTables();
    dm.CloseDefaults();
}

int ListDefaults(QStringList arguments, const TCliContext& context) {
    const QString code = TakeArgument(arguments, u"CODE"_s);
    RequireNoArguments(arguments);
    TCliScenario scenario;
    TdmKelvoADO& dm = scenario.dm;
    OpenPatterns(dm, code);
    TTable& t = dm.tblDefaults;
    QJsonArray patterns;
    for (t.first(); !t.eof(); t.next()) {
        QJsonObject row;
        for (int i = 1; i < t.fieldCount(); ++i)
            row.insert(t.field(i).fieldName(), JsonValue(t.field(i)));
        patterns.append(row);
        if (context.json) continue;
        QStringList texts;
        for (int i = 1; i < t.fieldCount(); ++i)
            texts << u"%1=%2"_s.arg(t.field(i).fieldName(), t.field(i).asString());
        Out() << texts.join(u' ') << Qt::endl;
    }
    if (context.json) PrintJson(QJsonObject{{u"code"_s, code}, {u"defaults"_s, patterns}});
    CloseEditor(dm);
    return 0;
}

int SetDefaults(QStringList arguments) {
    const TPatternKey key = TakePatternKey(arguments);
    QVector<std::pair<QString, QString>> assignments;
    for (const QString& argument : arguments)
        assignments << Assignment(argument);
    TCliScenario scenario;
    TdmKelvoADO& dm = scenario.dm;
    OpenPatterns(dm, key.code);
    if (dm.tblSubstances.fieldByName(u"Locked"_s).asBoolean()) {
        ShowMessage(
            u"Predefined FOCUS substance. It is not allowed to change the default application pattern."_s);
        return 1;
    }
    TTable& t = dm.tblDefaults;
    for (const auto& [field, value] : assignments) {
        const TField* f = t.findField(field);
        if (!f || f->calculated() || f->index() == 0) throw TUsageError(u"Unknown field: %1"_s.arg(field));
    }
    if (LocatePattern(dm, key)) {
        t.edit();
    } else {
        t.append();
        Assign(t, u"CropCode"_s, key.crop);
        Assign(t, u"LocationCode"_s, key.location);
        Assign(t, u"CropNr"_s, key.cropNr);
    }
    for (const auto& [field, value] : assignments)
        Assign(t, field, value);
    t.post();
    CloseEditor(dm);
    Out() << u"Saved default pattern %1 %2 %3 of %4"_s.arg(key.crop, key.location, key.cropNr, key.code)
          << Qt::endl;
    return 0;
}

int DeleteDefaults(QStringList arguments) {
    const TPatternKey key = TakePatternKey(arguments);
    RequireNoArguments(arguments);
    TCliScenario scenario;
    TdmKelvoADO& dm = scenario.dm;
    OpenPatterns(dm, key.code);
    if (!LocatePattern(dm, key))
        throw EKelvoError(
            u"No default pattern for %1 %2 %3 of %4"_s.arg(key.crop, key.location, key.cropNr, key.code));
    dm.tblDefaults.deleteRecord();
    CloseEditor(dm);
    Out() << u"Deleted default pattern %1 %2 %3 of %4"_s.arg(key.crop, key.location, key.cropNr, key.code)
          << Qt::endl;
    return 0;
}

int RunDefaults(QStringList arguments, TCliContext& context) {
    const QString action = TakeArgument(arguments, u"ACTION"_s);
    if (action == u"list"_s) return ListDefaults(arguments, context);
    if (action == u"set"_s) return SetDefaults(arguments);
    if (action == u"delete"_s) return DeleteDefaults(arguments);
    throw TUsageError(u"Unknown defaults action: %1"_s.arg(action));
}

const TCliCommandRegistrar substancesRegistrar(
    {u"substances"_s, u"[--json]"_s,
     u"the substance library: code, name, parent, metabolites, locked, origin, complete for export"_s,
     RunSubstances});
const TCliCommandRegistrar substanceRegistrar(
    {u"substance"_s, u"ACTION ..."_s,
     u"show CODE [--json] | new CODE NAME | set CODE FIELD=VALUE... (FIELD or Table.FIELD) | "
     "copy SOURCE NEWCODE NEWNAME | delete CODE | metabolites PARENT --scheme N [--m1 CODE] [--m2 CODE] "
     "[--przm1 F] [--przm2 F] [--macro1 F] [--macro2 F] [--json] | export [CODE ...] [--format csv|json] FILE | "
     "import FILE [--replace|--skip|--rename]"_s,
     RunSubstance});
const TCliCommandRegistrar defaultsRegistrar(
    {u"defaults"_s, u"ACTION ..."_s,
     u"default application patterns: list CODE [--json] | set CODE CROP LOCATION CROPNR FIELD=VALUE... | "
     "delete CODE CROP LOCATION CROPNR"_s,
     RunDefaults});

} // namespace
