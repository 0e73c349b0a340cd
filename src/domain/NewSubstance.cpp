#include "domain/NewSubstance.h"

#include "foundation/UserInterface.h"
#include "foundation/Utils.h"
#include "store/DataModuleKelvoADO.h"
#include "store/Transaction.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// Codes are keys in the model stores too, which do not tell letter cases apart.
bool IsCodeTaken(TdmKelvoADO& dm, const QString& code) {
    if (!dm.IsSubstanceCodeFree(code)) return true;
    const TSqlResult codes = dm.dbKelvoADO.Select(u"SELECT SubstanceCode FROM Substances"_s);
    for (const TSqlRow& row : codes.rows)
        if (row[0].toString().compare(code, Qt::CaseInsensitive) == 0) return true;
    return false;
}

} // namespace

QString InvalidCodeCharacterMessage() {
    return u"invalid character (<space> , . / \\ ( ) : ? \" < > | *)"_s;
}

TNewSubstanceCheck CheckNewSubstance(TdmKelvoADO& dm, const QString& typedCode, const QString& typedName) {
    const QString code = typedCode.trimmed();
    if (code.isEmpty()) return {TNewSubstanceCheck::Code, u"Enter a substance code"_s};
    if (HasInvalidNameChar(code)) return {TNewSubstanceCheck::Code, InvalidCodeCharacterMessage()};
    if (IsCodeTaken(dm, code)) return {TNewSubstanceCheck::Code, code + u" is not a unique substance code"_s};
    if (typedName.trimmed().isEmpty()) return {TNewSubstanceCheck::Name, u"Enter a substance name"_s};
    return {};
}

bool CreateNewSubstance(TdmKelvoADO& dm, const QString& typedCode, const QString& typedName) {
    const TNewSubstanceCheck check = CheckNewSubstance(dm, typedCode, typedName);
    if (check.refused != TNewSubstanceCheck::None) {
        ShowMessage(check.message);
        return false;
    }
    // Created by the system itself: no "Save changes?" for its rows; asked again afterwards, also when
    // the insert failed.
    struct TAskAgain {
        bool& ask;
        ~TAskAgain() { ask = true; }
    } askAgain{dm.AskBeforeSave};
    dm.AskBeforeSave = false;
    // The three rows are stored together: a process that ends half way leaves no part of the substance.
    const TTransaction transaction(dm.dbKelvoADO);
    dm.InsertSubstance(typedCode.trimmed(), typedName.trimmed());
    return true;
}
