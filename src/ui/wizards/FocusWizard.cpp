#include "ui/wizards/FocusWizard.h"

#include "domain/Crop.h"
#include "domain/Project.h"
#include "domain/ProjectWizard.h"
#include "store/DataModuleKelvoADO.h"
#include "ui/Guard.h"
#include "ui/wizards/WizardFields.h"
#include "ui_FocusWizard.h"

#include <QShowEvent>

using namespace Qt::Literals::StringLiterals;

TfrmFocusWizard::TfrmFocusWizard(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmFocusWizard>()) {
    ui->setupUi(this);
    setObjectName(u"frmFocusWizard"_s);
    setProperty("helpContext", 17);
    SetUpPathPanel(*ui->pnlPath);
    // The crop list is read once per process, here.
    const std::unique_ptr<TAggregationList> crops = dmKelvoADO->LoadCrops(false);
    for (const TCrop* crop : crops->Items<TCrop>())
        ui->cmbCrop->addItem(crop->Name);
    ui->cmbCrop->setCurrentIndex(m_cropPosition < ui->cmbCrop->count() ? m_cropPosition : -1);

    connect(ui->edtName, &QLineEdit::textChanged, this, [this] { Guarded([this] { NameChanged(); }); });
    connect(ui->SpeedButton1, &QToolButton::clicked, this, [this] { Guarded([this] { ChoosePath(); }); });
    connect(ui->btnFinish, &QPushButton::clicked, this, [this] { Guarded([this] { Finish(); }); });
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmFocusWizard::~TfrmFocusWizard() = default;

void TfrmFocusWizard::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) Guarded([this] { Activate(); });
}

void TfrmFocusWizard::Activate() {
    m_project = std::make_unique<TProject>(QString(), QString());
    // The name kept from the previous use is the project's name until the user changes it, so a refused
    // character falls back to it rather than to nothing.
    ApplyTypedName(*m_project, *ui->edtName);
    ShowPath();
    QComboBox& substances = *ui->cmbSubstances;
    substances.clear();
    substances.addItems(dmKelvoADO->ParentSubstanceCodes());
    substances.setCurrentIndex(substances.findText(m_project->SubstanceCode));
    if (substances.currentIndex() < 0 && m_substancePosition < substances.count())
        substances.setCurrentIndex(m_substancePosition);
    ui->edtName->setFocus();
}

void TfrmFocusWizard::done(int result) {
    m_project.reset();
    m_finishCrops.reset();
    m_substancePosition = ui->cmbSubstances->currentIndex();
    m_cropPosition = ui->cmbCrop->currentIndex();
    QDialog::done(result);
}

void TfrmFocusWizard::NameChanged() {
    if (!m_project) return;
    ApplyTypedName(*m_project, *ui->edtName);
    ShowPath();
}

void TfrmFocusWizard::ChoosePath() {
    if (ChooseProjectPath(*m_project)) ShowPath();
}

void TfrmFocusWizard::ShowPath() {
    ShowProjectPath(*ui->pnlPath, *m_project);
}

void TfrmFocusWizard::Finish() {
    TProject& project = *m_project;
    project.SubstanceCode = ui->cmbSubstances->currentText();
    std::unique_ptr<TAggregationList> crops = dmKelvoADO->LoadCrops(false);
    project.SelectCrop(*crops, ui->cmbCrop->currentText());
    m_finishCrops = std::move(crops);
    project.Locations = dmKelvoADO->LocationsFor(*project.Crops, project.WaterBodies);
    project.SetName(ui->edtName->text());
    project.SetDescription(ui->edtDescription->text());
    switch (FinishProjectWizard(TProjectWizardKind::Focus, project, ui->edtName->text())) {
    case TWizardFinish::Created:
        accept();
        return;
    case TWizardFinish::StayOnName:
        ui->edtName->setFocus();
        return;
    case TWizardFinish::StayOnSubstance:
        ui->cmbSubstances->setFocus();
        return;
    case TWizardFinish::StayOnCancel:
        ui->btnCancel->setFocus();
        return;
    }
}
