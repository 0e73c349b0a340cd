#include "store/DataModuleKelvoADO.h"

#include "domain/Project.h"
#include "domain/Run.h"
#include "export/DataModuleMacroADO.h"
#include "export/MacroConnection.h"
#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "foundation/UserInterface.h"
#include "store/Locate.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// The map of the project: the MapID of its first link row; 0 without one.
int FirstMapOf(TConnection& db, int projectId) {
    TQuery links(&db, u"qryMapxProject"_s,
                 {u"select * from MapxProject"_s, u"where ProjectID = :pProjectID"_s});
    links.setParam(0, projectId);
    links.open();
    return links.isEmpty() ? 0 : links.fieldByName(u"MapID"_s).asInteger();
}

} // namespace

void TdmKelvoADO::BindProjectRules() {
    qryProjects.beforeDelete = [this](TRecordSet& rs) { qryProjectsBeforeDelete(rs); };
    qryProjects.afterDelete = [this](TRecordSet& rs) { qryProjectsAfterDelete(rs); };
}

void TdmKelvoADO::qryProjectsBeforeDelete(TRecordSet& dataSet) {
    m_projectUnderDeletion.reset();
    if (dataSet.fieldByName(u"ProjectID"_s).asInteger() <= 3)
        throw EKelvoError(u"Not allowed to delete example project."_s);
    if (!AskDestructive(u"Remove project: "_s + dataSet.fieldByName(u"Name"_s).asString())) Abort();
    if (!AskDestructive(u"Also delete created files?"_s)) return;
    // Reading the project reloads the list; the row deleted afterwards must still be the one asked about,
    // also when another process added or removed projects meanwhile.
    const int projectId = dataSet.fieldByName(u"ProjectID"_s).asInteger();
    std::unique_ptr<TProject> project = CurrentProject();
    if (!project || project->ProjectID != projectId)
        throw EKelvoError(u"The project was removed by another program; nothing is deleted."_s);
    // A directory that is not the project's own stops the deletion before anything is changed; the
    // files themselves go only once the project's rows are gone.
    project->CheckProjectDirectoryDeletable();
    if (IsModelAvailable(TModelKind::Macro) && dmMacroADO) {
        const TMacroConnection macro;
        dmMacroADO->RemoveProjectRuns(project->GetName());
    }
    if (const int mapId = FirstMapOf(dbKelvoADO, project->ProjectID); mapId > 0) {
        TQuery maps(&dbKelvoADO, u"qryToxswaMap"_s,
                    {u"select * from ToxswaMap"_s, u"where mapID = :pMapID"_s});
        maps.setParam(0, mapId);
        maps.open();
        while (!maps.isEmpty()) {
            maps.first();
            maps.deleteRecord();
        }
    }
    m_projectUnderDeletion = std::move(project);
}

void TdmKelvoADO::qryProjectsAfterDelete(TRecordSet&) {
    std::unique_ptr<TProject> project = std::move(m_projectUnderDeletion);
    if (!project) return;
    for (const TRun* run : project->Runs->Items<TRun>())
        DeleteApplicationScheme(run->ApplicationSchemeNumber());
    int mapId = 0;
    {
        TTable links(&dbKelvoADO, u"tblMapxProject"_s, u"MapxProject"_s);
        links.open();
        for (links.first(); !links.eof() && mapId == 0; links.next())
            if (links.fieldByName(u"ProjectID"_s).asInteger() == project->ProjectID)
                mapId = links.fieldByName(u"MapID"_s).asInteger();
    }
    if (mapId > 0) {
        TTable maps(&dbKelvoADO, u"tblToxswamap"_s, u"Toxswamap"_s);
        maps.open();
        if (LocateByIntegerKeys(maps, {mapId})) maps.deleteRecord();
    }
    if (project->DeleteProjectDirectory()) ShowInformation(u"All created files deleted!"_s);
}
