#pragma once

#include <QDialogButtonBox>

class QDialog;

// OK and Cancel for a dialog, named btnOK and btnCancel, accepting and rejecting it.
QDialogButtonBox* OkCancelButtons(QDialog* dialog);
