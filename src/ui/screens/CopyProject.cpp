#include "ui/screens/CopyProject.h"

#include "domain/Project.h"
#include "domain/ProjectBrowser.h"
#include "foundation/UserInterface.h"
#include "ui/DialogButtons.h"
#include "ui/Guard.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

QLineEdit* Edit(QGroupBox* group, const QString& name, const QString& caption, int maxLength, bool readOnly) {
    auto* edit = new QLineEdit(group);
    edit->setObjectName(name);
    edit->setReadOnly(readOnly);
    // The original's name and description are only shown: Tab crosses the new ones.
    if (readOnly) edit->setFocusPolicy(Qt::ClickFocus);
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
    edtNameNew = Edit(to, u"edtNameNew"_s, u"Name:"_s, MaxProjectNameLength, false);
    edtDescNew = Edit(to, u"edtDescNew"_s, u"Description:"_s, MaxProjectDescriptionLength, false);
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
    // Never cut silently: the whole suggestions stay for the user to shorten, and a refusal says so.
    const QString name = u"Copy_of_"_s + edtName->text();
    const QString description = u"Copy_of_"_s + edtDesc->text();
    edtNameNew->setMaxLength(std::max<int>(MaxProjectNameLength, name.size()));
    edtNameNew->setText(name);
    edtDescNew->setMaxLength(std::max<int>(MaxProjectDescriptionLength, description.size()));
    edtDescNew->setText(description);
    edtNameNew->setFocus();
    if (name.size() > MaxProjectNameLength || description.size() > MaxProjectDescriptionLength)
        QTimer::singleShot(0, this, [this] { Guarded([this] { Refused(); }); });
}

// Shows why the new name or description is refused and puts the cursor on it; false when both are good.
bool TfrmCopyProject::Refused() {
    const std::pair<QString, QLineEdit*> checks[] = {{ProjectNameRefusal(NewName()), edtNameNew},
                                                     {ProjectDescriptionRefusal(NewDescription()), edtDescNew}};
    for (const auto& [refusal, edit] : checks) {
        if (refusal.isEmpty()) continue;
        ShowMessage(refusal);
        edit->setFocus();
        edit->selectAll();
        return true;
    }
    return false;
}

void TfrmCopyProject::done(int result) {
    if (result == Accepted) {
        bool refused = true;
        if (!Guarded([&] { refused = Refused(); }) || refused) return;
    }
    QDialog::done(result);
}
