#pragma once

#include <QString>

class TProject;

enum class TProjectWizardKind {
    Focus,      // one crop, every scenario growing it: the name field must not be empty
    UserDefined // chosen crops, scenarios and water bodies: the project must be complete
};

// How a wizard's Finish ended: the project stored, or the wizard stays open with the focus on a control.
enum class TWizardFinish {
    Created,
    StayOnName,      // edtName: no name, a name already taken, or a project directory not free
    StayOnSubstance, // cmbSubstances: the substance is not completely defined
    StayOnCancel     // btnCancel: the project could not be created
};

// The checks and the storing behind a wizard's Finish button, in the wizards' order and with their
// messages: the name, its being free among the maps, the project directory's being free, the substance's
// completeness, then Save with new runs. typedName is the text of the name field.
TWizardFinish FinishProjectWizard(TProjectWizardKind kind, TProject& project, const QString& typedName);

// The user-defined wizard's name for a new project of the project's substance: "project_" + code, or
// "enter_projectname" when the code holds a character that names may not hold.
void SuggestProjectName(TProject& project);

// The path button of both wizards: asks for a directory, starting at the project's path. A directory
// other than the default project root may become that root for the rest of the process ("Save as
// default project path?"). Answers false, changing nothing, when the user cancels.
bool ChooseProjectPath(TProject& project);
