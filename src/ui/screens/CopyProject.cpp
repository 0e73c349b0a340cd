#include "ui/screens/CopyProject.h"

#include "ui/DialogButtons.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

QLineEdit* Edit(QGroupBox* group, const QString& name, const QString& caption, int maxLength, bool readOnly) {
    auto* edit = new QLineEdit(group);
    edit->setObjectName(name);
    edit->setReadOnly(readOnly);
    if (maxLength > 0) edit->setMaxLength(maxLength);
    edit->setMinimumWidth(320);
    static_cast<QFormLayout*>(group->layout())->addRow(caption, edit);
    return edit;
}

QGroupBox* Group(QWidget* parent, const QString& name, const QString& caption) {
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(name);
    new QFormLayout(group);
    return group;
}

} // namespace

TfrmCopyProject::TfrmCopyProject(const QString& name, const QString& description, QWidget* owner)
    : QDialog(owner) {
    setObjectName(u"frmCopyProject"_s);
    setWindowTitle(u"Copy Project"_s);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto* layout = new QVBoxLayout(this);
    QGroupBox* from = Group(this, u"GroupBox1"_s, u" Make a copy of project: "_s);
    edtName = Edit(from, u"edtName"_s, u"Name:"_s, 0, true);
    edtDesc = Edit(from, u"edtDesc"_s, u"Description:"_s, 0, true);
    QGroupBox* to = Group(this, u"GroupBox2"_s, u" to new project: "_s);
    edtNameNew = Edit(to, u"edtNameNew"_s, u"Name:"_s, 20, false);
    edtDescNew = Edit(to, u"edtDescNew"_s, u"Description:"_s, 100, false);
    layout->addWidget(from);
    layout->addWidget(to);
    layout->addWidget(OkCancelButtons(this));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    edtName->setText(name);
    edtDesc->setText(description);
}

QString TfrmCopyProject::NewName() const {
    return edtNameNew->text();
}

QString TfrmCopyProject::NewDescription() const {
    return edtDescNew->text();
}

void TfrmCopyProject::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    edtNameNew->setText(u"Copy_of_"_s + edtName->text());
    edtDescNew->setText(u"Copy_of_"_s + edtDesc->text());
    edtNameNew->setFocus();
}
