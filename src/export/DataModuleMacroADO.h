#pragma once

#include "store/Connection.h"
#include "store/RecordSet.h"

#include <QString>

// The MACRO data module: the connection to the MACRO model's database and the four tables Kelvo
// reads and writes there (substances in compound and metab, runs in run and applications).
class TdmMacroADO {
public:
    // Takes the database path below the installation directory; the connection stays closed.
    TdmMacroADO();
    ~TdmMacroADO();
    TdmMacroADO(const TdmMacroADO&) = delete;
    TdmMacroADO& operator=(const TdmMacroADO&) = delete;

    const QString& DatabasePath() const { return m_databasePath; }

    // Opens the connection; a failure shows "Unable to open MACRO database: " + path and answers false.
    // A database without every table and column of the program's MACRO database shows "Unable to open
    // MACRO database: <path> is damaged: missing ..." and is closed again.
    bool OpenMacroDatabase();
    // Closes the connection and with it the record sets.
    void CloseMacroDatabase();
    // Opens "compound" (or "metab"); none when it is not open afterwards.
    TTable* OpenCompoundTable();
    TTable* OpenMetabTable();
    // Deletes every row of "compound" (or "metab"), then opens it.
    TTable* ClearCompoundTable();
    TTable* ClearMetabTable();
    // Deletes every "run" row of the project name; database errors reach the caller.
    void RemoveProjectRuns(const QString& projectName);
    // Opens the record set, deletes its rows one by one from the first, and closes it.
    void DeleteAllRows(TRecordSet& recordSet);

    TConnection dbMacroADO;
    TTable tblCompound;
    TTable tblMetab;
    TTable tblRun;
    TTable tblApplications;
    TQuery qryRemoveProjectRuns;

private:
    QString m_databasePath;
};

// The one MACRO data module of the process; set while it exists.
extern TdmMacroADO* dmMacroADO;
