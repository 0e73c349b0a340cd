#include "domain/ProjectWizard.h"

#include "domain/Project.h"
#include "foundation/UserInterface.h"
#include "store/DataModuleKelvoADO.h"

using namespace Qt::Literals::StringLiterals;

TWizardFinish FinishProjectWizard(TProjectWizardKind kind, TProject& project, const QString& typedName) {
    const bool named = kind == TProjectWizardKind::Focus ? !typedName.isEmpty() : project.IsComplete();
    if (!named) {
        ShowMessage(u"Enter project name"_s);
        return TWizardFinish::StayOnName;
    }
    if (!dmKelvoADO->ProjectNameIsFree(typedName)) {
        ShowMessage(u"Project name already exists"_s);
        return TWizardFinish::StayOnName;
    }
    if (!dmKelvoADO->CheckSubstance(project.SubstanceCode)) {
        ShowMessage(
            u"Error: You selected an incompletely defined substance. Please complete first to be able "
            "to compose a project."_s);
        return TWizardFinish::StayOnSubstance;
    }
    const QString root = project.GetPath();
    bool saved = false;
    {
        TBusyCursor busy;
        saved = project.Save(true);
    }
    if (saved) return TWizardFinish::Created;
    // The wizard stays open with its inputs as they were, the chosen root among them.
    project.SetPath(root);
    ShowMessage(u"Error creating runs"_s);
    return TWizardFinish::StayOnCancel;
}
