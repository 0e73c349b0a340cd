#include "ui/wizards/ProjectNameField.h"

#include "domain/Project.h"
#include "foundation/Errors.h"
#include "foundation/UserInterface.h"

#include <QLineEdit>
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
