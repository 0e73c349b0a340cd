#include "domain/ProjectWizard.h"

#include "domain/Project.h"
#include "foundation/UserInterface.h"
#include "foundation/Utils.h"
#include "store/DataModuleKelvoADO.h"

#include <QDir>

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
    // The project directory must be free and outside Kelvo's own directories and other projects'.
    try {
        project.CheckNewProjectDirectory();
    } catch (...) {
        ShowCurrentException();
        return TWizardFinish::StayOnName;
    }
    // No substance chosen is refused before the check, which would touch whatever substance record is
    // current when it finds no row for the code.
    QStringList missing;
    if (!project.HasSubstance() || !dmKelvoADO->CheckSubstance(project.SubstanceCode, &missing)) {
        ShowMessage(IncompleteSubstanceMessage(
            u"Error: You selected an incompletely defined substance. Please complete first to be able "
            "to compose a project."_s,
            missing));
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
    // A database that cannot be written has said so already.
    if (!dmKelvoADO->dbKelvoADO.IsReadOnly()) ShowMessage(u"Error creating runs"_s);
    return TWizardFinish::StayOnCancel;
}

void SuggestProjectName(TProject& project) {
    const QString suggested = u"project_"_s + project.SubstanceCode;
    project.SetName(HasInvalidNameChar(suggested) ? u"enter_projectname"_s : suggested);
}

bool ChooseProjectPath(TProject& project) {
    const QString chosen = AskDirectory(u"Select Directory"_s, project.GetPath());
    if (chosen.isEmpty()) return false;
    if (QDir::cleanPath(chosen) != QDir::cleanPath(DefaultProjectRoot()) &&
        AskConfirmation(u"Save as default project path?"_s))
        SetDefaultProjectRoot(chosen);
    project.SetPath(chosen);
    return true;
}
