#include "domain/SubstanceEditing.h"

#include "store/DataModuleKelvoADO.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// Where a column's Kom and Koc are kept.
struct TSorptionPair {
    TTable& komTable;
    QString kom;
    TTable& kocTable;
    QString koc;
};

TSorptionPair PairOf(TdmKelvoADO& dm, TSorptionColumn column) {
    switch (column) {
    case TSorptionColumn::General:
        return {dm.tblSubstances, u"Kom"_s, dm.tblSubstancesMacro, u"Koc"_s};
    case TSorptionColumn::Soil:
        return {dm.tblSubstances, u"KomSol"_s, dm.tblSubstances, u"KocSol"_s};
    case TSorptionColumn::SuspendedSolids:
        return {dm.tblSubstances, u"KomSus"_s, dm.tblSubstances, u"KocSus"_s};
    case TSorptionColumn::Sediment:
        break;
    }
    return {dm.tblSubstances, u"KomSed"_s, dm.tblSubstances, u"KocSed"_s};
}

constexpr TSorptionColumn DetailedColumns[] = {TSorptionColumn::Soil, TSorptionColumn::SuspendedSolids,
                                               TSorptionColumn::Sediment};

// The current row may be one being inserted, not yet stored.
bool HasValue(const TTable& table, const QString& field) {
    return table.active() && table.recNo() > 0 && !table.fieldByName(field).isNull();
}

// Edits the row and gives the field the value; nothing when the value is already there.
void Assign(TTable& table, const QString& fieldName, const QVariant& value) {
    TField& field = table.fieldByName(fieldName);
    if (field.value() == value && field.isNull() == value.isNull()) return;
    table.ensureEditing();
    if (value.isNull())
        field.clear();
    else
        field.setValue(value);
}

// The target follows the source through the factor (multiplied, or divided with divide); empty with it.
void Follow(TTable& source, const QString& sourceField, TTable& target, const QString& targetField,
            double factor, bool divide) {
    if (!HasValue(source, sourceField)) {
        Assign(target, targetField, QVariant());
        return;
    }
    const double value = source.fieldByName(sourceField).asFloat();
    Assign(target, targetField, divide ? value / factor : value * factor);
}

void CopyWhenEmpty(TTable& source, const QString& sourceField, TTable& target, const QString& targetField) {
    if (HasValue(source, sourceField) && !HasValue(target, targetField))
        Assign(target, targetField, source.fieldByName(sourceField).asFloat());
}

void CopyAlways(TTable& source, const QString& sourceField, TTable& target, const QString& targetField) {
    if (HasValue(source, sourceField)) Assign(target, targetField, source.fieldByName(sourceField).asFloat());
}

} // namespace

bool IsCurrentSubstanceLocked(const TdmKelvoADO& dm) {
    const TTable& t = dm.tblSubstances;
    return t.active() && t.recNo() > 0 && t.fieldByName(u"Locked"_s).asBoolean();
}

void KomEntered(TdmKelvoADO& dm, TSorptionColumn column) {
    if (IsCurrentSubstanceLocked(dm)) return;
    const TSorptionPair pair = PairOf(dm, column);
    Follow(pair.komTable, pair.kom, pair.kocTable, pair.koc, KomKocFactor, false);
    if (column == TSorptionColumn::General) FillDetailedFromGeneral(dm);
}

void KocEntered(TdmKelvoADO& dm, TSorptionColumn column) {
    if (IsCurrentSubstanceLocked(dm)) return;
    const TSorptionPair pair = PairOf(dm, column);
    Follow(pair.kocTable, pair.koc, pair.komTable, pair.kom, KomKocFactor, true);
    if (column == TSorptionColumn::General) FillDetailedFromGeneral(dm);
}

void FillDetailedFromGeneral(TdmKelvoADO& dm) {
    if (IsCurrentSubstanceLocked(dm)) return;
    const TSorptionPair general = PairOf(dm, TSorptionColumn::General);
    for (TSorptionColumn column : DetailedColumns) {
        const TSorptionPair detailed = PairOf(dm, column);
        CopyWhenEmpty(general.komTable, general.kom, detailed.komTable, detailed.kom);
    }
    for (TSorptionColumn column : DetailedColumns) {
        const TSorptionPair detailed = PairOf(dm, column);
        CopyWhenEmpty(general.kocTable, general.koc, detailed.kocTable, detailed.koc);
    }
}

void CompleteDetailedPairs(TdmKelvoADO& dm) {
    if (IsCurrentSubstanceLocked(dm)) return;
    for (TSorptionColumn column :
         {TSorptionColumn::Soil, TSorptionColumn::Sediment, TSorptionColumn::SuspendedSolids}) {
        const TSorptionPair pair = PairOf(dm, column);
        if (HasValue(pair.komTable, pair.kom))
            Follow(pair.komTable, pair.kom, pair.kocTable, pair.koc, KomKocFactor, false);
        else if (HasValue(pair.kocTable, pair.koc))
            Follow(pair.kocTable, pair.koc, pair.komTable, pair.kom, KomKocFactor, true);
    }
}

void FreundlichEntered(TdmKelvoADO& dm) {
    if (IsCurrentSubstanceLocked(dm)) return;
    TTable& s = dm.tblSubstances;
    CopyAlways(s, u"ExpFre"_s, dm.tblSubstancesMacro, u"freund"_s);
    CopyAlways(s, u"ExpFre"_s, s, u"ExpFreSus"_s);
    CopyAlways(s, u"ExpFre"_s, s, u"ExpFreSed"_s);
}

void ReferenceConcentrationEntered(TdmKelvoADO& dm) {
    if (IsCurrentSubstanceLocked(dm)) return;
    TTable& s = dm.tblSubstances;
    for (const QString& detailed : {u"ConLiqRefSol"_s, u"ConLiqRefSus"_s, u"ConLiqRefSed"_s})
        CopyAlways(s, u"ConLiqRef"_s, s, detailed);
}

void SetDetailedSorption(TdmKelvoADO& dm, bool detailed) {
    if (IsCurrentSubstanceLocked(dm)) return;
    Assign(dm.tblSubstances, u"DetailedSorption"_s, detailed);
}

void WashOffMacroEntered(TdmKelvoADO& dm) {
    if (IsCurrentSubstanceLocked(dm)) return;
    Follow(dm.tblSubstancesMacro, u"fext"_s, dm.tblSubstancesPRZM, u"fextrc"_s, WashOffFactor, false);
}

void WashOffPRZMEntered(TdmKelvoADO& dm) {
    if (IsCurrentSubstanceLocked(dm)) return;
    Follow(dm.tblSubstancesPRZM, u"fextrc"_s, dm.tblSubstancesMacro, u"fext"_s, WashOffFactor, true);
}

void Q10Entered(TdmKelvoADO& dm) {
    if (IsCurrentSubstanceLocked(dm)) return;
    TTable& przm = dm.tblSubstancesPRZM;
    const bool corrected =
        HasValue(przm, u"q10fac"_s) && przm.fieldByName(u"q10fac"_s).asFloat() >= Q10Threshold;
    Assign(przm, u"iqfac"_s, corrected ? 1 : 0);
}

void SetBiPhase(TdmKelvoADO& dm, bool on) {
    if (IsCurrentSubstanceLocked(dm)) return;
    TTable& przm = dm.tblSubstancesPRZM;
    if (on) {
        if (przm.fieldByName(u"dknum"_s).asInteger() == 0) Assign(przm, u"dknum"_s, 1);
        Assign(przm, u"icheck1"_s, 1);
    } else {
        Assign(przm, u"dknum"_s, 0);
        Assign(przm, u"icheck1"_s, 0);
    }
}

void SetMoistureBasis(TdmKelvoADO& dm, int iset1) {
    if (IsCurrentSubstanceLocked(dm)) return;
    Assign(dm.tblSubstancesPRZM, u"iset1"_s, iset1);
}

void SetHalfLifePF(TdmKelvoADO& dm, int pf) {
    if (IsCurrentSubstanceLocked(dm)) return;
    Assign(dm.tblSubstancesMacro, u"pf"_s, pf);
}

void ColumnEntered(TdmKelvoADO& dm, const QString& table, const QString& column) {
    const auto is = [&](const QString& t, const QString& c) {
        return table.compare(t, Qt::CaseInsensitive) == 0 && column.compare(c, Qt::CaseInsensitive) == 0;
    };
    const std::pair<QString, TSorptionColumn> detailed[] = {{u"Sol"_s, TSorptionColumn::Soil},
                                                            {u"Sus"_s, TSorptionColumn::SuspendedSolids},
                                                            {u"Sed"_s, TSorptionColumn::Sediment}};
    if (is(u"Substances"_s, u"Kom"_s)) KomEntered(dm, TSorptionColumn::General);
    if (is(u"Substance_Macro"_s, u"Koc"_s)) KocEntered(dm, TSorptionColumn::General);
    for (const auto& [suffix, sorption] : detailed) {
        if (is(u"Substances"_s, u"Kom"_s + suffix)) KomEntered(dm, sorption);
        if (is(u"Substances"_s, u"Koc"_s + suffix)) KocEntered(dm, sorption);
    }
    if (is(u"Substances"_s, u"ExpFre"_s)) FreundlichEntered(dm);
    if (is(u"Substances"_s, u"ConLiqRef"_s)) ReferenceConcentrationEntered(dm);
    if (is(u"Substance_Macro"_s, u"fext"_s)) WashOffMacroEntered(dm);
    if (is(u"Substance_PRZM"_s, u"fextrc"_s)) WashOffPRZMEntered(dm);
    if (is(u"Substance_PRZM"_s, u"q10fac"_s)) Q10Entered(dm);
    if (is(u"Substance_PRZM"_s, u"icheck1"_s))
        SetBiPhase(dm, dm.tblSubstancesPRZM.fieldByName(u"icheck1"_s).asInteger() > 0);
}
