#pragma once

#include <QDialog>

class QLineEdit;
class TdmKelvoADO;

// Asks for the code and name of a new substance and, confirmed, creates it with its three rows.
class TfrmNewSubstance : public QDialog {
    Q_OBJECT
public:
    explicit TfrmNewSubstance(TdmKelvoADO& dm, QWidget* parent = nullptr);

    // The code and name proposed when the dialog opens (a copy's).
    void Propose(const QString& code, const QString& name);
    QString Code() const;
    QString Name() const;
    // OK checks the trimmed texts and keeps the dialog open on the first refusal; a substance that
    // cannot be created closes it as cancelled.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CodeEdited(const QString& text);

    TdmKelvoADO& m_dm;
    QLineEdit* m_code;
    QLineEdit* m_name;
};
