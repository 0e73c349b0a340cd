#include "ui/substances/SubstanceNew.h"

#include "domain/NewSubstance.h"
#include "foundation/Errors.h"
#include "foundation/Utils.h"
#include "ui/DialogButtons.h"
#include "ui/Guard.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

// Codes and names are keys and labels of at most 20 characters.
constexpr int MaxLength = 20;

} // namespace

TfrmNewSubstance::TfrmNewSubstance(TdmKelvoADO& dm, QWidget* parent)
    : QDialog(parent), m_dm(dm), m_code(new QLineEdit(this)), m_name(new QLineEdit(this)) {
    setObjectName(u"frmNewSubstance"_s);
    setWindowTitle(u"New Substance"_s);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_code->setObjectName(u"edtCodeNew"_s);
    m_name->setObjectName(u"edtNameNew"_s);
    m_code->setMaxLength(MaxLength);
    m_name->setMaxLength(MaxLength);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(u"Enter a new unique code for the substance  (max 20 chars)"_s, this));
    auto* form = new QFormLayout;
    form->addRow(u"Code:"_s, m_code);
    form->addRow(u"Name:"_s, m_name);
    layout->addLayout(form);
    layout->addWidget(OkCancelButtons(this));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_code, &QLineEdit::textChanged, this, &TfrmNewSubstance::CodeEdited);
}

void TfrmNewSubstance::Propose(const QString& code, const QString& name) {
    m_code->setText(code);
    m_name->setText(name);
}

QString TfrmNewSubstance::Code() const {
    return m_code->text();
}
QString TfrmNewSubstance::Name() const {
    return m_name->text();
}

void TfrmNewSubstance::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_code->setFocus();
}

// The text keeps the character; the refusal is only said.
void TfrmNewSubstance::CodeEdited(const QString& text) {
    Guarded([&text] {
        if (HasInvalidNameChar(text)) throw EKelvoError(InvalidCodeCharacterMessage());
    });
}

void TfrmNewSubstance::done(int result) {
    m_code->setText(m_code->text().trimmed());
    m_name->setText(m_name->text().trimmed());
    if (result != Accepted) {
        QDialog::done(result);
        return;
    }
    // The checks read the database: an error keeps the dialog open with the message.
    TNewSubstanceCheck check;
    if (!Guarded([&] { check = CheckNewSubstance(m_dm, Code(), Name()); })) return;
    if (check.refused != TNewSubstanceCheck::None) {
        ShowMessage(check.message);
        (check.refused == TNewSubstanceCheck::Name ? m_name : m_code)->setFocus();
        return;
    }
    const bool created = Guarded([this] {
        if (!CreateNewSubstance(m_dm, Code(), Name())) throw EAbort();
    });
    QDialog::done(created ? Accepted : Rejected);
}
