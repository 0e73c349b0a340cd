#pragma once

#include <QDialog>

class QLineEdit;

// "Copy Project": shows the current project's name and description and asks for the copy's, which
// start as "Copy_of_" and the original's. A suggested name or description too long for a project is shown
// whole, with a message, for the user to shorten.
class TfrmCopyProject : public QDialog {
    Q_OBJECT

public:
    TfrmCopyProject(const QString& name, const QString& description, QWidget* owner);

    QString NewName() const;
    QString NewDescription() const;
    // OK keeps the dialog open, with the name or description for correction, while it is refused.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool Refused();

    QLineEdit* edtName;
    QLineEdit* edtDesc;
    QLineEdit* edtNameNew;
    QLineEdit* edtDescNew;
};
