#include "domain/NewSubstance.h"

#include "foundation/UserInterface.h"
#include "foundation/Utils.h"
#include "store/DataModuleKelvoADO.h"

using namespace Qt::Literals::StringLiterals;

bool CreateNewSubstance(TdmKelvoADO& dm, const QString& code, const QString& name) {
    QString refusal;
    if (code.isEmpty())
        refusal = u"Enter a substance code"_s;
    else if (HasInvalidNameChar(code))
        refusal = u"invalid character (<space> , . / \\ ( ) : ? \" < > | *)"_s;
    else if (!dm.IsSubstanceCodeFree(code))
        refusal = code + u" is not a unique substance code"_s;
    else if (name.isEmpty())
        refusal = u"Enter a substance name"_s;
    if (!refusal.isEmpty()) {
        ShowMessage(refusal);
        return false;
    }
    // Created by the system itself: no "Save changes?" for its rows.
    dm.AskBeforeSave = false;
    dm.InsertSubstance(code, name);
    dm.AskBeforeSave = true;
    return true;
}
