#include "store/DataModuleKelvoADO.h"

#include "store/Locate.h"

using namespace Qt::Literals::StringLiterals;

// Whether a substance is defined well enough for project creation and for the export to the models.

namespace {

// The first count fields of the current row all hold a value, except the one allowed to be empty.
bool Filled(const TRecordSet& rs, int count, const QString& mayBeEmpty) {
    if (rs.isEmpty()) return false;
    for (int i = 0; i < count && i < rs.fieldCount(); ++i) {
        const TField& f = rs.field(i);
        if (f.isNull() && f.fieldName() != mayBeEmpty) return false;
    }
    return true;
}

} // namespace

// Leaves the three substance record sets open on the substance when it is complete, closes them when
// it is not, and leaves them open when the code is not found.
bool TdmKelvoADO::IsSubstanceComplete(const QString& code) {
    OpenSubstanceTables();
    if (!LocateByTextKeys(tblSubstances, {code}, 1)) return false;
    const bool complete = IsCurrentSubstanceComplete();
    if (!complete) {
        tblSubstancesMacro.close();
        tblSubstancesPRZM.close();
        tblSubstances.close();
    }
    return complete;
}

bool TdmKelvoADO::IsCurrentSubstanceComplete() {
    const bool detailed = tblSubstances.fieldByName(u"DetailedSorption"_s).asBoolean();
    return Filled(tblSubstances, 30, detailed ? u"Kom"_s : QString()) &&
           Filled(tblSubstancesMacro, 15, detailed ? u"Koc"_s : QString()) &&
           Filled(tblSubstancesPRZM, 40, QString());
}

bool TdmKelvoADO::CheckSubstance(const QString& code) {
    if (IsSubstanceComplete(code)) return true;
    TouchRecord(tblSubstances);
    return false;
}
