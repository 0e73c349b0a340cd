#include "store/DataModuleKelvoADO.h"

#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "store/Locate.h"
#include "store/Transaction.h"

using namespace Qt::Literals::StringLiterals;

// The operations on substances that the substance editor, its dialogs and the substance exchanges call.

namespace {

bool Editing(const TRecordSet& rs) {
    return rs.state() == TRecordSet::TState::Edit || rs.state() == TRecordSet::TState::Insert;
}

// Posts a record set that must be in edit or insert state.
void PostEditing(TRecordSet& rs) {
    if (!Editing(rs)) throw EKelvoError(u"%1: Dataset not in edit or insert mode"_s.arg(rs.name()));
    rs.post();
}

// A query made for one call, opened with the code bound to each of its parameters.
class TCodeQuery : public TQuery {
public:
    TCodeQuery(TConnection* connection, const QStringList& sql, const QString& code, int parameters = 1)
        : TQuery(connection, u"qryCode"_s, sql) {
        for (int i = 0; i < parameters; ++i)
            setParam(i, code);
        open();
    }
};

// Removes the first entry equal to the text without regard to letter case.
void RemoveFirst(QStringList& list, const QString& text) {
    for (qsizetype i = 0; i < list.size(); ++i)
        if (list[i].compare(text, Qt::CaseInsensitive) == 0) {
            list.removeAt(i);
            return;
        }
}

const QStringList TransformationFields = {u"dtr121a"_s, u"dtr121b"_s, u"dtr121c"_s, u"dtr122a"_s,
                                          u"dtr131a"_s, u"dtr131b"_s, u"dtr131c"_s, u"dtr132a"_s,
                                          u"dtr231a"_s, u"dtr231b"_s, u"dtr231c"_s, u"dtr232a"_s};

} // namespace

// The three rows (and the metabolite changes the post brings) are one commit; a save that fails keeps
// every edit in the editor, to be saved again.
bool TdmKelvoADO::SaveSubstance() {
    TTable* const tables[] = {&tblSubstances, &tblSubstancesMacro, &tblSubstancesPRZM};
    // Inside a job's transaction the job decides; on its own the save is rolled back whole.
    std::vector<std::pair<TTable*, TRecordSet::TEditSnapshot>> edits;
    if (!dbKelvoADO.InTransaction())
        for (TTable* rs : tables)
            if (rs->state() == TRecordSet::TState::Edit) edits.emplace_back(rs, rs->editSnapshot());
    try {
        TTransaction save(dbKelvoADO);
        for (TTable* rs : tables)
            if (Editing(*rs)) rs->post();
        save.Commit();
    } catch (...) {
        for (auto& [rs, snapshot] : edits)
            if (rs->state() == TRecordSet::TState::Browse) rs->restoreEdit(snapshot);
        ShowCurrentException();
        return false;
    }
    return true;
}

void TdmKelvoADO::UndoSubstance() {
    PendingMetaboliteChanges.clear();
    for (TTable* rs : {&tblSubstancesMacro, &tblSubstancesPRZM, &tblSubstances})
        if (Editing(*rs)) rs->cancel();
}

bool TdmKelvoADO::OpenSubstanceTables() {
    return OpenDataSet(tblSubstances) && OpenDataSet(tblSubstancesMacro) && OpenDataSet(tblSubstancesPRZM);
}

bool TdmKelvoADO::OpenSubstanceAt(const QString& code) {
    return OpenSubstanceTables() && LocateByTextKeys(tblSubstances, {code}, 1);
}

// Posts what is pending, stopping silently at the first error, and closes the three record sets.
// The details close first, so that closing the master cannot post what they still hold.
void TdmKelvoADO::CloseSubstanceTables() {
    try {
        PostEditing(tblSubstances);
        PostEditing(tblSubstancesMacro);
        PostEditing(tblSubstancesPRZM);
    } catch (...) {
    }
    tblSubstancesMacro.close();
    tblSubstancesPRZM.close();
    tblSubstances.close();
}

bool TdmKelvoADO::SetFieldValue(TRecordSet& recordSet, const QString& fieldName, double value) {
    try {
        recordSet.edit();
        recordSet.fieldByName(fieldName).setAsFloat(value);
    } catch (...) {
        ShowCurrentException();
        return false;
    }
    return true;
}

bool TdmKelvoADO::IsSubstanceCodeFree(const QString& code) {
    tblSubInsert.close();
    tblSubInsert.open();
    bool free = true;
    const TField& codeField = tblSubInsert.field(0);
    for (int row = 0; row < tblSubInsert.rowCount() && free; ++row)
        free = codeField.plainText(tblSubInsert.valueAt(row, 0)) != code;
    tblSubInsert.close();
    return free;
}

bool TdmKelvoADO::IsSubstanceUsedInProject(const QString& code) {
    // Asked at every move of the substance editor: one row is enough, read by a prepared statement.
    return !dbKelvoADO.Select(u"SELECT 1 FROM Projects WHERE SubstanceCode = ? LIMIT 1"_s, {code})
                .rows.isEmpty();
}

QHash<QString, QStringList> TdmKelvoADO::ProjectsBySubstance() {
    QHash<QString, QStringList> projects;
    const TSqlResult result = dbKelvoADO.Select(
        u"SELECT SubstanceCode, Name FROM Projects WHERE SubstanceCode IS NOT NULL ORDER BY ProjectID"_s);
    for (const TSqlRow& row : result.rows)
        projects[row.at(0).toString()].append(row.at(1).toString());
    return projects;
}

bool TdmKelvoADO::IsMetaboliteOfAnother(const QString& code) {
    return !dbKelvoADO
                .Select(u"SELECT 1 FROM Substances WHERE MetSubCode1 = ? OR MetSubCode2 = ? LIMIT 1"_s,
                        {code, code})
                .rows.isEmpty();
}

// The substances that may become metabolites of the parent: no parents, nobody else's metabolites.
QStringList TdmKelvoADO::ListFreeMetabolites(const QString& parentCode) {
    const bool wasOpen = tblSubInsert.active();
    tblSubInsert.open();
    const TField& code = tblSubInsert.fieldByName(u"SubstanceCode"_s);
    const TField& isParent = tblSubInsert.fieldByName(u"IsParent"_s);
    const int codeIndex = code.index();
    const int metabolites[] = {tblSubInsert.fieldByName(u"MetSubCode1"_s).index(),
                               tblSubInsert.fieldByName(u"MetSubCode2"_s).index()};

    QStringList list;
    for (int row = 0; row < tblSubInsert.rowCount(); ++row)
        if (!tblSubInsert.valueAt(row, isParent.index()).toBool())
            list << code.plainText(tblSubInsert.valueAt(row, codeIndex));
    RemoveFirst(list, parentCode);
    for (int row = 0; row < tblSubInsert.rowCount(); ++row) {
        if (code.plainText(tblSubInsert.valueAt(row, codeIndex)) == parentCode) continue;
        for (const int metabolite : metabolites)
            RemoveFirst(list, tblSubInsert.valueAt(row, metabolite).toString());
    }
    if (!wasOpen) tblSubInsert.close();
    return list;
}

double TdmKelvoADO::GetMolarMass(const QString& code) {
    const TCodeQuery query(&dbKelvoADO,
                           {u"select MolMass from substances"_s, u"where substancecode = :pCode"_s}, code);
    return query.isEmpty() ? 0 : query.fieldByName(u"MolMass"_s).asFloat();
}

double TdmKelvoADO::GetConversionFactor(const QString& code) {
    for (auto change = PendingMetaboliteChanges.crbegin(); change != PendingMetaboliteChanges.crend(); ++change)
        if (change->code == code) return change->fconvert.toDouble();
    const TCodeQuery query(
        &dbKelvoADO, {u"select fconvert from substance_Macro"_s, u"where substancecode = :pCode"_s}, code);
    return query.recordCount() == 1 ? query.fieldByName(u"fconvert"_s).asFloat() : 0;
}

void TdmKelvoADO::SetConversionFactor(const QString& code, double value) {
    TCodeQuery query(&dbKelvoADO, {u"select * from substance_Macro"_s, u"where substancecode = :pCode"_s},
                     code);
    if (query.recordCount() != 1) return;
    TField& fconvert = query.fieldByName(u"fconvert"_s);
    if (fconvert.asFloat() == value) return;
    query.edit();
    fconvert.setAsFloat(value);
    query.post();
}

void TdmKelvoADO::DeferConversionFactor(const QString& code, double value) {
    PendingMetaboliteChanges.append({code, value, false});
}

void TdmKelvoADO::ClearTransformationFields(TRecordSet& przm) {
    przm.ensureEditing();
    for (const QString& name : TransformationFields)
        przm.fieldByName(name).setAsFloat(0);
}

// Marks the current row as changed: its second field is cleared and assigned again, so every change
// rule of that field runs twice.
void TdmKelvoADO::TouchRecord(TRecordSet& recordSet) {
    if (!recordSet.active()) return;
    recordSet.edit();
    TField& second = recordSet.field(1);
    const QVariant value = second.value();
    second.clear();
    second.setValue(value);
}
