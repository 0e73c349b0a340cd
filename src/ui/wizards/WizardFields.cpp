#include "ui/wizards/WizardFields.h"

#include "domain/Project.h"
#include "foundation/Errors.h"
#include "foundation/UserInterface.h"

#include <QLineEdit>
#include <QPalette>
#include <QSignalBlocker>

void ApplyTypedName(TProject& project, QLineEdit& edtName) {
    try {
        project.SetName(edtName.text());
    } catch (const EKelvoError&) {
        // The field is put right before the message box opens, so nothing sees the refused text.
        const int refusedLength = edtName.text().size();
        const int cursor = edtName.cursorPosition();
        {
            const QSignalBlocker quiet(edtName);
            edtName.setText(project.GetName());
        }
        edtName.setCursorPosition(cursor - (refusedLength - edtName.text().size()));
        ShowCurrentException();
    }
}

void SetUpPathPanel(QLineEdit& pnlPath) {
    QPalette palette = pnlPath.palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    pnlPath.setPalette(palette);
}

void ShowProjectPath(QLineEdit& pnlPath, const TProject& project) {
    pnlPath.setText(project.GetPath());
    pnlPath.setCursorPosition(0);
}
