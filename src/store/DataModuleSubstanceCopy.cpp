#include "store/DataModuleKelvoADO.h"

#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "store/Locate.h"
#include "store/Transaction.h"

using namespace Qt::Literals::StringLiterals;

// Copying a substance's values, column by column by position, into a substance just created.

namespace {

// Copies the values of the fields from..to (inclusive) by position.
void CopyFields(const TRecordSet& source, TRecordSet& target, int from, int to) {
    for (int i = from; i <= to; ++i)
        target.field(i).setValue(source.field(i).value());
}

} // namespace

void TdmKelvoADO::CopySubstanceValues(const QString& newCode, const QString& sourceCode) {
    if (!LocateByTextKeys(tblSubstances, {sourceCode}, 1))
        throw EKelvoError(u"Substance: "_s + sourceCode + u" not found"_s);
    const TBusyCursor busy;
    if (tblSubInsert.active())
        tblSubInsert.refresh();
    else
        tblSubInsert.open();
    tblSubInsertMacro.open();
    tblSubInsertPRZM.open();
    // The new substance's rows and patterns are one commit: a copy that fails leaves no half substance.
    const TTransaction transaction(dbKelvoADO);
    if (LocateByTextKeys(tblSubInsert, {newCode}, 1)) {
        tblSubInsert.edit();
        // MolMass up to and including Locked: neither Name nor subSource.
        CopyFields(tblSubstances, tblSubInsert, 3, tblSubstances.fieldCount() - 2);
        tblSubInsert.fieldByName(u"SubstanceCode"_s).setAsString(newCode);
        tblSubInsert.fieldByName(u"IsParent"_s).setValue(tblSubstances.fieldByName(u"IsParent"_s).value());
        tblSubInsert.fieldByName(u"Locked"_s).setAsBoolean(false);
        tblSubInsert.fieldByName(u"MetSubCode1"_s).clear();
        tblSubInsert.fieldByName(u"MetSubCode2"_s).clear();
        tblSubInsert.post();

        tblSubInsertMacro.edit();
        CopyFields(tblSubstancesMacro, tblSubInsertMacro, 1, tblSubstancesMacro.fieldCount() - 1);
        tblSubInsertMacro.fieldByName(u"SubstanceCode"_s).setAsString(newCode);
        tblSubInsertMacro.post();

        // The PRZM row is stored in two steps: up to drate1c with the scheme code, then the rest.
        const int split = tblSubstancesPRZM.fieldByName(u"drate1c"_s).index();
        tblSubInsertPRZM.edit();
        CopyFields(tblSubstancesPRZM, tblSubInsertPRZM, 1, split);
        tblSubInsertPRZM.fieldByName(u"SubstanceCode"_s).setAsString(newCode);
        tblSubInsertPRZM.fieldByName(u"icombo3"_s).setAsInteger(1);
        tblSubInsertPRZM.post();
        tblSubInsertPRZM.edit();
        CopyFields(tblSubstancesPRZM, tblSubInsertPRZM, split + 1, tblSubstancesPRZM.fieldCount() - 1);
        tblSubInsertPRZM.post();
    }
    tblSubInsertMacro.close();
    tblSubInsertPRZM.close();
    tblSubInsert.close();

    CopyDefaultPatterns(newCode);

    tblSubstances.refresh();
    LocateByTextKeys(tblSubstances, {newCode}, 1);
    for (TTable* detail : {&tblSubstancesMacro, &tblSubstancesPRZM})
        if (detail->active()) detail->refresh();
}

// Copies every default application pattern of the current substance to the new code, unlocked.
void TdmKelvoADO::CopyDefaultPatterns(const QString& newCode) {
    OpenDataSet(tblDefaults);
    OpenDataSet(tblDefaultsInsert);
    for (tblDefaults.first(); !tblDefaults.eof(); tblDefaults.next()) {
        tblDefaultsInsert.append();
        CopyFields(tblDefaults, tblDefaultsInsert, 1, tblDefaultsInsert.fieldCount() - 1);
        tblDefaultsInsert.fieldByName(u"SubstanceCode"_s).setAsString(newCode);
        // The copy is the user's own substance: its patterns can be changed and deleted, even when
        // they come from a predefined one.
        tblDefaultsInsert.fieldByName(u"Locked"_s).setAsBoolean(false);
        tblDefaultsInsert.post();
    }
    tblDefaults.close();
    tblDefaultsInsert.close();
}
