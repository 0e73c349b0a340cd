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
    StayOnName,      // edtName: no name, or a name already taken
    StayOnSubstance, // cmbSubstances: the substance is not completely defined
    StayOnCancel     // btnCancel: the project could not be created
};

// The checks and the storing behind a wizard's Finish button, in the wizards' order and with their
// messages: the name, its being free among the maps, the substance's completeness, then Save with new
// runs. typedName is the text of the name field.
TWizardFinish FinishProjectWizard(TProjectWizardKind kind, TProject& project, const QString& typedName);
