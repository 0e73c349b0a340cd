#include "export/DataModuleMacroADO.h"

#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "foundation/UserInterface.h"
#include "store/SchemaCheck.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

TdmMacroADO* dmMacroADO = nullptr;

TdmMacroADO::TdmMacroADO()
    : tblCompound(&dbMacroADO, u"tblCompound"_s, u"compound"_s),
      tblMetab(&dbMacroADO, u"tblMetab"_s, u"metab"_s), tblRun(&dbMacroADO, u"tblRun"_s, u"run"_s),
      tblApplications(&dbMacroADO, u"tblApplications"_s, u"applications"_s),
      qryRemoveProjectRuns(&dbMacroADO, u"qryRemoveProjectRuns"_s,
                           {u"delete from run"_s, u"where (projectName= :pProjectName)"_s}),
      m_databasePath(InstallationDir() + u"MACRO/pest_focus.sqlite"_s) {
    dmMacroADO = this;
}

TdmMacroADO::~TdmMacroADO() {
    if (dmMacroADO == this) dmMacroADO = nullptr;
    CloseMacroDatabase();
}

bool TdmMacroADO::OpenMacroDatabase() {
    try {
        dbMacroADO.Open(m_databasePath);
    } catch (...) {
        ShowMessage(u"Unable to open MACRO database: "_s + m_databasePath);
        return false;
    }
    try {
        CheckSchemaLike(dbMacroADO, ProgramFile(u"templates/MACRO/"_s + QFileInfo(m_databasePath).fileName()));
    } catch (const EKelvoError& e) {
        dbMacroADO.Close();
        ShowMessage(u"Unable to open MACRO database: "_s + e.Message());
    }
    return dbMacroADO.IsOpen();
}

void TdmMacroADO::CloseMacroDatabase() {
    dbMacroADO.Close();
}

namespace {

TTable* OpenTable(TTable& table) {
    table.open();
    return table.active() ? &table : nullptr;
}

} // namespace

TTable* TdmMacroADO::OpenCompoundTable() {
    return OpenTable(tblCompound);
}

TTable* TdmMacroADO::OpenMetabTable() {
    return OpenTable(tblMetab);
}

TTable* TdmMacroADO::ClearCompoundTable() {
    DeleteAllRows(tblCompound);
    return OpenCompoundTable();
}

TTable* TdmMacroADO::ClearMetabTable() {
    DeleteAllRows(tblMetab);
    return OpenMetabTable();
}

void TdmMacroADO::RemoveProjectRuns(const QString& projectName) {
    qryRemoveProjectRuns.setParam(0, projectName);
    qryRemoveProjectRuns.execSql();
}

void TdmMacroADO::DeleteAllRows(TRecordSet& recordSet) {
    recordSet.open();
    recordSet.first();
    while (!recordSet.isEmpty())
        recordSet.deleteRecord();
    recordSet.close();
}
