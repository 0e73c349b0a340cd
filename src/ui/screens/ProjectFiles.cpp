#include "ui/screens/ProjectFiles.h"

#include "domain/ProjectExport.h"
#include "foundation/Installation.h"
#include "ui/DialogButtons.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

QCheckBox* CheckBox(QWidget* parent, const QString& name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setChecked(true);
    return box;
}

} // namespace

TfrmProjectFiles::TfrmProjectFiles(QWidget* owner) : QDialog(owner) {
    setObjectName(u"frmProjectFiles"_s);
    setWindowTitle(u"Create project files"_s);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(u"Project path:"_s, this));
    pnlPath = new QLabel(this);
    pnlPath->setObjectName(u"pnlPath"_s);
    pnlPath->setFrameShape(QFrame::Panel);
    pnlPath->setFrameShadow(QFrame::Sunken);
    pnlPath->setMinimumWidth(360);
    pnlPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(pnlPath);

    auto* options = new QGroupBox(u" Select options "_s, this);
    options->setObjectName(u"grpOptions"_s);
    auto* optionsLayout = new QVBoxLayout(options);
    cbReport = CheckBox(options, u"cbReport"_s, u"Project report"_s);
    cbPRZM = CheckBox(options, u"cbPRZM"_s, u"files required to run PRZM"_s);
    cbMACRO = CheckBox(options, u"cbMACRO"_s, u"export FOCUS input to MACRO database"_s);
    // TOXSWA is always prepared: its box sits on a disabled panel so that it cannot be changed.
    auto* toxswaPanel = new QWidget(options);
    toxswaPanel->setObjectName(u"pnlTOXSWA"_s);
    auto* toxswaLayout = new QVBoxLayout(toxswaPanel);
    toxswaLayout->setContentsMargins(0, 0, 0, 0);
    cbTOXSWA = CheckBox(toxswaPanel, u"cbTOXSWA"_s, u"FOCUS input for TOXSWA automatically prepared"_s);
    toxswaLayout->addWidget(cbTOXSWA);
    toxswaPanel->setEnabled(false);
    for (QWidget* w : {static_cast<QWidget*>(cbReport), static_cast<QWidget*>(cbPRZM),
                       static_cast<QWidget*>(cbMACRO), toxswaPanel})
        optionsLayout->addWidget(w);
    layout->addWidget(options);

    const bool przm = IsModelAvailable(TModelKind::Przm);
    cbPRZM->setChecked(przm);
    cbPRZM->setEnabled(przm);
    const bool macro = IsModelAvailable(TModelKind::Macro);
    cbMACRO->setChecked(macro);
    cbMACRO->setEnabled(macro);

    auto* question = new QLabel(u"Are all run specifications, incl. applications, correct?"_s, this);
    QFont bold = question->font();
    bold.setBold(true);
    question->setFont(bold);
    layout->addWidget(question);
    layout->addWidget(OkCancelButtons(this));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmProjectFiles::SetPath(const QString& path) {
    pnlPath->setText(path);
}

TProjectExportOptions TfrmProjectFiles::Options() const {
    TProjectExportOptions options;
    options.Report = cbReport->isChecked();
    options.PRZM = cbPRZM->isChecked();
    options.MACRO = cbMACRO->isChecked();
    return options;
}
