#pragma once

class QLineEdit;
class TProject;

// The name field of both wizards: gives the typed text to the project; a name with a character that
// names may not hold is refused at once, shown through the standard error display, and the field falls
// back to the project's last valid name.
void ApplyTypedName(TProject& project, QLineEdit& edtName);

// The read-only path panel of both wizards: drawn in the window's colour, unlike an edit field.
void SetUpPathPanel(QLineEdit& pnlPath);
// Shows the project's path in the panel, from its start.
void ShowProjectPath(QLineEdit& pnlPath, const TProject& project);
