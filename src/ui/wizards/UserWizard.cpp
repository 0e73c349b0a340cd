#include "ui/wizards/UserWizard.h"

#include "domain/Crop.h"
#include "domain/Location.h"
#include "domain/Project.h"
#include "domain/ProjectWizard.h"
#include "store/DataModuleKelvoADO.h"
#include "ui/Guard.h"
#include "ui/wizards/ListMoves.h"
#include "ui/wizards/WizardFields.h"
#include "ui_UserWizard.h"

#include <QShowEvent>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int FirstPage = 1;
constexpr int LastPage = 5;

QStringList Entries(const QListWidget& list) {
    QStringList entries;
    for (int row = 0; row < list.count(); ++row)
        entries << list.item(row)->text();
    return entries;
}

} // namespace

TfrmUserWizard::TfrmUserWizard(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmUserWizard>()), m_crops(dmKelvoADO->LoadCrops(false)) {
    ui->setupUi(this);
    setObjectName(u"frmUserWizard"_s);
    setProperty("helpContext", 18);
    SetUpPathPanel(*ui->pnlPath);
    m_cropLists = {ui->CropsSrcList,   ui->CropsDstList,    ui->CropsIncludeBtn,
                   ui->CropsIncAllBtn, ui->CropsExcludeBtn, ui->CropsExAllBtn};
    m_scenarioLists = {ui->LocationsSrcList,   ui->LocationsDstList,    ui->LocationsIncludeBtn,
                       ui->LocationsIncAllBtn, ui->LocationsExcludeBtn, ui->LocationsExAllBtn};
    ConnectMoves(m_cropLists);
    ConnectMoves(m_scenarioLists);

    connect(ui->cmbSubstances, &QComboBox::activated, this,
            [this] { Guarded([this] { SubstanceChanged(); }); });
    connect(ui->edtName, &QLineEdit::textChanged, this, [this] { Guarded([this] { NameChanged(); }); });
    connect(ui->SpeedButton1, &QToolButton::clicked, this, [this] { Guarded([this] { ChoosePath(); }); });
    connect(ui->btnNext, &QPushButton::clicked, this, [this] {
        Guarded([this] {
            if (m_page < LastPage) ShowPage(m_page + 1);
        });
    });
    connect(ui->btnBack, &QPushButton::clicked, this, [this] {
        Guarded([this] {
            if (m_page > FirstPage) ShowPage(m_page - 1);
        });
    });
    connect(ui->btnFinish, &QPushButton::clicked, this, [this] { Guarded([this] { Finish(); }); });
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmUserWizard::~TfrmUserWizard() = default;

void TfrmUserWizard::ConnectMoves(const TListPair& lists) {
    const auto moveSelected = [this, lists](QListWidget* from, QListWidget* to) {
        Guarded([&] {
            MoveSelectedEntries(*from, *to);
            UpdateButtons(lists);
        });
    };
    const auto moveAll = [this, lists](QListWidget* from, QListWidget* to) {
        Guarded([&] {
            MoveAllEntries(*from, *to);
            UpdateButtons(lists);
        });
    };
    connect(lists.include, &QPushButton::clicked, this,
            [=] { moveSelected(lists.source, lists.destination); });
    connect(lists.source, &QListWidget::itemDoubleClicked, this,
            [=] { moveSelected(lists.source, lists.destination); });
    connect(lists.exclude, &QPushButton::clicked, this,
            [=] { moveSelected(lists.destination, lists.source); });
    connect(lists.destination, &QListWidget::itemDoubleClicked, this,
            [=] { moveSelected(lists.destination, lists.source); });
    connect(lists.includeAll, &QPushButton::clicked, this, [=] { moveAll(lists.source, lists.destination); });
    connect(lists.excludeAll, &QPushButton::clicked, this, [=] { moveAll(lists.destination, lists.source); });
}

void TfrmUserWizard::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) Guarded([this] { Activate(); });
}

void TfrmUserWizard::Activate() {
    m_project = std::make_unique<TProject>(u"new"_s, QString());
    ui->edtName->clear();
    ApplyTypedName(*m_project, *ui->edtName);
    QComboBox& substances = *ui->cmbSubstances;
    substances.clear();
    substances.addItems(dmKelvoADO->ParentSubstanceCodes());
    substances.setCurrentIndex(substances.findText(m_project->SubstanceCode));
    if (substances.currentIndex() < 0 && substances.count() > 0) substances.setCurrentIndex(0);
    ShowPath();
    FillCropLists();
    UpdateButtons(m_cropLists);
    m_scenarioLists.source->clear();
    m_scenarioLists.destination->clear();
    SubstanceChanged();
    ProjectToControls();
    ShowPage(FirstPage);
}

void TfrmUserWizard::done(int result) {
    m_cropLists.source->clear();
    m_cropLists.destination->clear();
    m_project.reset();
    QDialog::done(result);
}

// Each substance chosen brings a new name suggestion, replacing what was typed.
void TfrmUserWizard::SubstanceChanged() {
    ui->btnNext->setEnabled(true);
    m_project->SubstanceCode = ui->cmbSubstances->currentText();
    SuggestProjectName(*m_project);
    ProjectToControls();
}

void TfrmUserWizard::ProjectToControls() {
    const TProject& project = *m_project;
    ui->edtName->setText(project.GetName());
    ui->edtDescription->setText(project.Description);
    ui->cmbSubstances->setCurrentIndex(ui->cmbSubstances->findText(project.SubstanceCode));
    ui->cbDitch->setChecked(project.WaterBodies.contains(u"focus_ditch"_s));
    ui->cbPond->setChecked(project.WaterBodies.contains(u"focus_pond"_s));
    ui->cbStream->setChecked(project.WaterBodies.contains(u"focus_stream"_s));
}

void TfrmUserWizard::ControlsToProject() {
    TProject& project = *m_project;
    project.SetName(ui->edtName->text());
    project.SetDescription(ui->edtDescription->text());
    project.SelectCrops(*m_crops, Entries(*m_cropLists.destination));
    project.SelectLocations(m_scenarios.get(), Entries(*m_scenarioLists.destination));
    project.WaterBodies.clear();
    if (ui->cbDitch->isChecked()) project.WaterBodies << u"focus_ditch"_s;
    if (ui->cbPond->isChecked()) project.WaterBodies << u"focus_pond"_s;
    if (ui->cbStream->isChecked()) project.WaterBodies << u"focus_stream"_s;
}

void TfrmUserWizard::ShowPage(int page) {
    ControlsToProject();
    m_page = page;
    const TProject& project = *m_project;
    QWidget* panel = nullptr;
    QWidget* focus = nullptr;
    bool next = true;
    switch (page) {
    case 1:
        panel = ui->pnlSubstances;
        next = project.HasSubstance();
        focus = ui->cmbSubstances;
        break;
    case 2:
        FillCropLists();
        UpdateButtons(m_cropLists);
        panel = ui->pnlCrops;
        next = project.HasCrops();
        focus = m_cropLists.source;
        break;
    case 3:
        panel = ui->pnlWaterBodyType;
        break;
    case 4:
        m_scenarios = dmKelvoADO->LocationsFor(*project.Crops, project.WaterBodies);
        FillScenarioLists();
        UpdateButtons(m_scenarioLists);
        panel = ui->pnlLocations;
        next = project.HasLocations();
        focus = m_scenarioLists.source;
        break;
    default:
        panel = ui->pnlProject;
        next = false;
        focus = ui->edtName;
        break;
    }
    ui->pgsWizard->setCurrentWidget(panel);
    ui->btnBack->setEnabled(page > FirstPage);
    ui->btnNext->setEnabled(next);
    ui->btnFinish->setEnabled(page == LastPage && project.IsComplete());
    if (focus) focus->setFocus();
    ProjectToControls();
}

void TfrmUserWizard::FillCropLists() {
    m_cropLists.source->clear();
    m_cropLists.destination->clear();
    for (const TCrop* crop : m_crops->Items<TCrop>())
        (m_project->HasCrop(*crop) ? m_cropLists.destination : m_cropLists.source)
            ->addItem(crop->DisplayText());
}

void TfrmUserWizard::FillScenarioLists() {
    m_scenarioLists.source->clear();
    m_scenarioLists.destination->clear();
    for (const TLocation* location : m_scenarios->Items<TLocation>())
        (m_project->HasLocation(*location) ? m_scenarioLists.destination : m_scenarioLists.source)
            ->addItem(location->DisplayText());
}

void TfrmUserWizard::UpdateButtons(const TListPair& lists) {
    const bool available = lists.source->count() > 0;
    const bool selected = lists.destination->count() > 0;
    lists.include->setEnabled(available);
    lists.includeAll->setEnabled(available);
    lists.exclude->setEnabled(selected);
    lists.excludeAll->setEnabled(selected);
    ui->btnNext->setEnabled(selected);
}

void TfrmUserWizard::NameChanged() {
    if (!m_project) return;
    ApplyTypedName(*m_project, *ui->edtName);
    ShowPath();
}

void TfrmUserWizard::ChoosePath() {
    if (ChooseProjectPath(*m_project)) ShowPath();
}

void TfrmUserWizard::ShowPath() {
    ShowProjectPath(*ui->pnlPath, *m_project);
}

void TfrmUserWizard::Finish() {
    ControlsToProject();
    switch (FinishProjectWizard(TProjectWizardKind::UserDefined, *m_project, ui->edtName->text())) {
    case TWizardFinish::Created:
        accept();
        return;
    case TWizardFinish::StayOnName:
        ui->edtName->setFocus();
        return;
    // The substance is chosen on the first page: the wizard goes there, with the focus on the list.
    case TWizardFinish::StayOnSubstance:
        ShowPage(FirstPage);
        return;
    case TWizardFinish::StayOnCancel:
        ui->btnCancel->setFocus();
        return;
    }
}
