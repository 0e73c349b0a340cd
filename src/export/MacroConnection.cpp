#include "export/MacroConnection.h"

#include "export/DataModuleMacroADO.h"
#include "foundation/Errors.h"

using namespace Qt::Literals::StringLiterals;

TMacroConnection::TMacroConnection() {
    if (!dmMacroADO) throw EKelvoError(u"Unable to open MACRO database"_s);
    if (dmMacroADO->dbMacroADO.IsOpen()) return;
    if (!dmMacroADO->OpenMacroDatabase()) Abort(); // the reason was shown
    m_opened = true;
}

TMacroConnection::~TMacroConnection() {
    if (m_opened) dmMacroADO->CloseMacroDatabase();
}
