#include "domain/ProjectBrowser.h"

#include "domain/Project.h"
#include "foundation/UserInterface.h"
#include "store/ControlsDisabled.h"
#include "store/DataModuleKelvoADO.h"

using namespace Qt::Literals::StringLiterals;

namespace {

bool HasCurrentProject(const TdmKelvoADO& dm) {
    return dm.qryProjects.active() && !dm.qryProjects.isEmpty();
}

} // namespace

// The copy's name is checked as the wizards check a new one: a second project of the same name would
// take over the first one's map and so drop it from the project list.
QString ProjectNameRefusal(const QString& newName) {
    if (newName.isEmpty()) return u"Enter project name"_s;
    if (newName.size() > MaxProjectNameLength)
        return u"The name %1 is longer than %2 characters: please shorten it."_s.arg(newName).arg(
            MaxProjectNameLength);
    if (!dmKelvoADO->ProjectNameIsFree(newName)) return u"Project name already exists"_s;
    return {};
}

bool CopyCurrentProject(const QString& newName, const QString& newDescription) {
    TdmKelvoADO& dm = *dmKelvoADO;
    const std::unique_ptr<TProject> project = dm.CurrentProject();
    if (!project) {
        ShowMessage(u"no project available"_s);
        return false;
    }
    if (const QString refusal = ProjectNameRefusal(newName); !refusal.isEmpty()) {
        ShowMessage(refusal);
        return false;
    }
    const std::unique_ptr<TProject> copy = project->CopyProject(newName, newDescription);
    const bool saved = copy->Save(false);
    dm.OpenProjects();
    TQuery& projects = dm.qryProjects;
    for (projects.first();
         !projects.eof() && projects.fieldByName(u"ProjectID"_s).asInteger() != copy->ProjectID;
         projects.next()) {
    }
    dm.RefreshRuns();
    ShowMessage(saved ? u"New project created: "_s + newName : u"Failed to make a copy of the project."_s);
    return saved;
}

void SelectAllRuns(bool select) {
    TdmKelvoADO& dm = *dmKelvoADO;
    if (!HasCurrentProject(dm)) return;
    const TControlsDisabled quietRuns(dm.tblRuns);
    const TControlsDisabled quietApplications(dm.tblApplications);
    dm.SetRunsSelected(select, dm.qryProjects.fieldByName(u"ProjectID"_s).asInteger());
    dm.OpenRuns();
    dm.RefreshRuns();
}

void ToggleRunSelection() {
    TTable& runs = dmKelvoADO->tblRuns;
    runs.edit();
    TField& selected = runs.fieldByName(u"Selected"_s);
    if (selected.asString().isEmpty())
        selected.setAsString(u"Yes"_s);
    else
        selected.clear();
    runs.post();
}
