#include "store/DataModuleKelvoADO.h"

#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "store/Locate.h"

#include <utility>

using namespace Qt::Literals::StringLiterals;

// The record rules of the three substance record sets: locked substances, the "Save changes?"
// question with the required values, deletion checks and the parent/metabolite links.

namespace {

const QString LockedText = u"Record is locked because it is a FOCUS predefined record"_s;

enum class TSubstanceTable { Substances, Macro, Przm };

struct TRequiredValue {
    TSubstanceTable table;
    QString field;
    bool parentOnly;
    const char16_t* text;
};

// Checked in this order; the first missing value refuses the posting.
const TRequiredValue RequiredValues[] = {
    {TSubstanceTable::Substances, u"MolMass"_s, false, u"Molar mass is required."},
    {TSubstanceTable::Substances, u"MolEntVap"_s, false, u"Molar enthalpy of vaporisation is required."},
    {TSubstanceTable::Substances, u"SlbWatRef"_s, false, u"Solubility in water is required."},
    {TSubstanceTable::Substances, u"MolEntSlb"_s, false, u"Molar enthalpy of dissolution is required."},
    {TSubstanceTable::Substances, u"TemRefSlb"_s, false, u"Reference temperature is required."},
    {TSubstanceTable::Substances, u"CofDifAirRef"_s, false, u"Diffusion coefficient in air is required."},
    {TSubstanceTable::Substances, u"DT50WatRef"_s, false, u"Half-life time water is required."},
    {TSubstanceTable::Substances, u"TemRefTraWat"_s, false, u"Reference temperature water is required."},
    {TSubstanceTable::Substances, u"DT50SedRef"_s, false, u"Half-life time sediment is required."},
    {TSubstanceTable::Substances, u"TemRefTraSed"_s, false, u"Reference temperature sediment is required."},
    {TSubstanceTable::Substances, u"MolEntTra"_s, false, u"Activation energy is required."},
    {TSubstanceTable::Macro, u"vap"_s, false, u"Saturated vapour pressure is required."},
    {TSubstanceTable::Macro, u"VpTemp"_s, false, u"Reference temperature is required."},
    {TSubstanceTable::Macro, u"diffusion"_s, false, u"Diffusion coefficient in water is required."},
    {TSubstanceTable::Macro, u"fstar"_s, false, u"Factor for the uptake by plant roots in soil is required."},
    {TSubstanceTable::Macro, u"fext"_s, true, u"Wash-Off factor from crop is required."},
    {TSubstanceTable::Macro, u"halflife"_s, false, u"Half-life time soil is required."},
    {TSubstanceTable::Macro, u"tref"_s, false, u"Reference temperature soil is required."},
    {TSubstanceTable::Macro, u"candeg"_s, false, u"Half-life time crop is required."},
    {TSubstanceTable::Macro, u"tresp"_s, false, u"Exponent is required."},
    {TSubstanceTable::Przm, u"fextrc"_s, true, u"Wash-Off factor from crop is required."},
};

bool CurrentSubstanceLocked(const TdmKelvoADO& dm) {
    return dm.tblSubstances.active() && dm.tblSubstances.fieldByName(u"Locked"_s).asBoolean();
}

// Clears the metabolite's formation data in its Substance_Macro row, found through the second views,
// and stores the row.
void ClearMetaboliteMacroRow(TdmKelvoADO& dm, const QString& metabolite) {
    const bool masterWasOpen = dm.tblSubInsert.active();
    const bool detailWasOpen = dm.tblSubInsertMacro.active();
    if (LocateByTextKeys(dm.tblSubInsert, {metabolite}, 1)) {
        dm.tblSubInsertMacro.open();
        if (LocateByTextKeys(dm.tblSubInsertMacro, {metabolite}, 1)) {
            dm.tblSubInsertMacro.edit();
            dm.tblSubInsertMacro.fieldByName(u"fconvert"_s).clear();
            dm.tblSubInsertMacro.fieldByName(u"inform"_s).clear();
            dm.tblSubInsertMacro.post();
        }
    }
    if (!detailWasOpen) dm.tblSubInsertMacro.close();
    if (!masterWasOpen) dm.tblSubInsert.close();
}

} // namespace

void TdmKelvoADO::BindSubstanceRules() {
    for (TTable* rs : {&tblSubstances, &tblSubstancesMacro, &tblSubstancesPRZM}) {
        rs->beforeEdit = [this](TRecordSet& dataSet) { tblSubstancesBeforeEdit(dataSet); };
        rs->beforePost = [this](TRecordSet& dataSet) { tblSubstancesBeforePost(dataSet); };
        rs->isRowLocked = [this](const TRecordSet&) { return CurrentSubstanceLocked(*this); };
    }
    tblSubstances.beforeDelete = [this](TRecordSet& dataSet) { tblSubstancesBeforeDelete(dataSet); };
    tblSubstances.fieldByName(u"IsParent"_s).onChange = [this](TField& sender) {
        tblSubstancesIsParentChange(sender);
    };
}

void TdmKelvoADO::tblSubstancesBeforeEdit(TRecordSet&) {
    if (!CurrentSubstanceLocked(*this)) return;
    ShowErrorBox(LockedText);
    Abort();
}

void TdmKelvoADO::tblSubstancesBeforePost(TRecordSet& dataSet) {
    if (AskBeforeSave && dataSet.modified()) {
        AskBeforeSave = false;
        const QString code = dataSet.fieldByName(u"SubstanceCode"_s).asString();
        bool save = true;
        if (code != LastAskedCode) {
            save = AskYesCancel(u"Save changes?"_s);
            LastAskedCode = code;
        }
        AskBeforeSave = true;
        if (!save) Abort();

        if (const QString missing = MissingRequiredValue(); !missing.isEmpty()) throw EKelvoError(missing);
    }
    if (tblSubstances.fieldByName(u"SubstanceCode"_s).isNull()) throw EKelvoError(u"Code is required."_s);
    // The parent's rows are accepted: its metabolites' rows follow.
    const QVector<TMetaboliteMacroChange> changes = std::exchange(PendingMetaboliteChanges, {});
    for (const TMetaboliteMacroChange& change : changes)
        if (change.clearInform)
            ClearMetaboliteMacroRow(*this, change.code);
        else
            SetConversionFactor(change.code, change.fconvert.toDouble());
    if (RetouchPending) {
        try {
            TouchRecord(tblSubstancesMacro);
            TouchRecord(tblSubstancesPRZM);
            TouchRecord(tblSubstances);
            RetouchPending = false;
        } catch (...) {
            ShowCurrentException();
        }
    }
}

QString TdmKelvoADO::MissingRequiredValue() const {
    const bool parent = tblSubstances.fieldByName(u"IsParent"_s).asBoolean();
    for (const TRequiredValue& required : RequiredValues) {
        if (required.parentOnly && !parent) continue;
        const TRecordSet& rs = required.table == TSubstanceTable::Substances ? tblSubstances
                               : required.table == TSubstanceTable::Macro    ? tblSubstancesMacro
                                                                             : tblSubstancesPRZM;
        if (rs.fieldByName(required.field).isNull()) return QString::fromUtf16(required.text);
    }
    return {};
}

void TdmKelvoADO::tblSubstancesBeforeDelete(TRecordSet& dataSet) {
    if (CurrentSubstanceLocked(*this)) {
        ShowErrorBox(LockedText);
        Abort();
    }
    if (!AskDestructive(u"Delete record ?"_s)) Abort();
    const QString code = dataSet.fieldByName(u"SubstanceCode"_s).asString();
    if (IsSubstanceUsedInProject(code)) {
        ShowMessage(u"Substance is used in a project. Remove the project first."_s);
        Abort();
    }
    if (IsMetaboliteOfAnother(code)) {
        ShowMessage(u"Substance is a metabolite. Remove parent substance first."_s);
        Abort();
    }
}

// Keeps an unlocked current substance in edit state while the substance editor is open.
void TdmKelvoADO::tblSubstancesAfterScroll(TRecordSet&) {
    if (tblSubstances.isEmpty() || CurrentSubstanceLocked(*this)) return;
    for (TTable* rs : {&tblSubstances, &tblSubstancesMacro, &tblSubstancesPRZM}) {
        try {
            rs->edit();
        } catch (...) {
        }
    }
}

void TdmKelvoADO::tblSubstancesIsParentChange(TField& sender) {
    if (!tblSubstancesPRZM.active()) return;
    const QString code = tblSubstances.fieldByName(u"SubstanceCode"_s).asString();
    if (code.isEmpty() || tblSubstancesPRZM.fieldByName(u"SubstanceCode"_s).asString() != code) return;
    if (sender.asBoolean()) {
        tblSubstancesPRZM.edit();
        tblSubstancesPRZM.fieldByName(u"icombo3"_s).setAsInteger(1);
        return;
    }
    for (const QString& slot : {u"MetSubCode1"_s, u"MetSubCode2"_s}) {
        TField& link = tblSubstances.fieldByName(slot);
        const QString metabolite = link.asString();
        if (metabolite.isEmpty()) continue;
        link.clear();
        PendingMetaboliteChanges.append({metabolite, QVariant(), true});
    }
    tblSubstancesPRZM.edit();
    tblSubstancesPRZM.fieldByName(u"icombo3"_s).setAsInteger(0);
    ClearTransformationFields(tblSubstancesPRZM);
}
