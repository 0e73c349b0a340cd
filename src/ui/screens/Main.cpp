#include "ui/screens/Main.h"

#include "domain/Project.h"
#include "domain/ProjectBrowser.h"
#include "domain/ProjectDirectoryRebuild.h"
#include "domain/ProjectExport.h"
#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "store/ControlsDisabled.h"
#include "store/DataModuleKelvoADO.h"
#include "ui/Guard.h"
#include "ui/app/FileView.h"
#include "ui/app/HelpSystem.h"
#include "ui/bound/DBNavigator.h"
#include "ui/models/RecordSetModel.h"
#include "ui/screens/CopyProject.h"
#include "ui/screens/ProjectArchiveButtons.h"
#include "ui/screens/ProjectFiles.h"
#include "ui/screens/Runs.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int helpContext = 19;

TdmKelvoADO& DataModule() {
    if (!dmKelvoADO) throw EKelvoError(u"The scenario database is not open"_s);
    return *dmKelvoADO;
}

QTableView* ReadOnlyGrid(QWidget* parent, const QString& name, TRecordSet& recordSet,
                         const QList<std::pair<QString, QString>>& columns) {
    auto* view = new QTableView(parent);
    view->setObjectName(name);
    QStringList fields;
    for (const auto& column : columns)
        fields << column.first;
    auto* model = new TRecordSetModel(recordSet, fields, view);
    for (int c = 0; c < columns.size(); ++c) {
        model->setColumnReadOnly(c, true);
        model->setHeaderData(c, Qt::Horizontal, columns[c].second);
    }
    model->bindView(view);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

QPushButton* Button(QWidget* parent, const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

TfrmMain::TfrmMain(QWidget* parent) : QDialog(parent), m_dm(DataModule()) {
    setObjectName(u"frmMain"_s);
    setWindowTitle(u"Overview of composed projects"_s);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    SetHelpContext(this, helpContext);
    OpenLists();
    CreateControls();
    Connect();
}

TfrmMain::~TfrmMain() {
    done(Rejected);
}

// The lists are open before their grids are made, so the grids find their fields; the newest project
// (the last of the list) is current.
void TfrmMain::OpenLists() {
    if (!m_dm.OpenProjects() || !m_dm.OpenRuns()) {
        QApplication::restoreOverrideCursor();
        ShowMessage(u"Failed to open Project/Runs."_s);
        return;
    }
    if (!m_dm.qryProjects.isEmpty()) m_dm.qryProjects.last();
    m_dm.RefreshRuns();
}

void TfrmMain::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    grdProjects = ReadOnlyGrid(this, u"grdProjects"_s, m_dm.qryProjects,
                               {{u"Name"_s, u"Name"_s},
                                {u"Description"_s, u"Description"_s},
                                {u"SubstanceCode"_s, u"Substance Code"_s},
                                {u"CreationDate"_s, u"Created"_s},
                                {u"ModificationDate"_s, u"Modified"_s},
                                {u"Path"_s, u"Path"_s}});
    // Room for a description of a few words; the path takes what is left.
    grdProjects->setColumnWidth(1, grdProjects->fontMetrics().horizontalAdvance(u'0') * 30);
    layout->addWidget(grdProjects, 2);
    DBNavigator1 = new TDBNavigator(this);
    DBNavigator1->setObjectName(u"DBNavigator1"_s);
    DBNavigator1->setRecordSet(&m_dm.qryProjects);
    DBNavigator1->setVisibleButtons({TDBNavigator::First, TDBNavigator::Prior, TDBNavigator::Next,
                                     TDBNavigator::Last, TDBNavigator::Delete});
    layout->addWidget(DBNavigator1, 0, Qt::AlignLeft);

    grpRuns = new QGroupBox(u" Runs "_s, this);
    grpRuns->setObjectName(u"grpRuns"_s);
    auto* runsLayout = new QHBoxLayout(grpRuns);
    grdRuns = ReadOnlyGrid(grpRuns, u"grdRuns"_s, m_dm.tblRuns,
                           {{u"RunID"_s, u"ID"_s},
                            {u"CropCode"_s, u"Crop"_s},
                            {u"CropNr"_s, u"No in Season"_s},
                            {u"LocationCode"_s, u"Scenario"_s},
                            {u"WaterbodyCode"_s, u"WaterbodyType"_s},
                            {u"NumberOfApps"_s, u"#Appls."_s},
                            {u"Selected"_s, u"Selected for Report"_s},
                            {u"Step4"_s, u"Step 4"_s}});
    // The short columns narrower, so the Step 4 column is seen without scrolling.
    const int digit = grdRuns->fontMetrics().horizontalAdvance(u'0');
    for (const auto& [column, digits] : {std::pair{2, 11}, {3, 8}, {5, 7}})
        grdRuns->setColumnWidth(column, digit * digits);
    // The report column's caption is seen whole.
    grdRuns->setColumnWidth(6, grdRuns->horizontalHeader()->sectionSizeHint(6));
    grdRuns->setToolTip(u"double click to select/unselect for report"_s);
    runsLayout->addWidget(grdRuns, 1);
    auto* runButtons = new QVBoxLayout;
    cbSelect = new QCheckBox(u"Select/Unselect all Runs"_s, grpRuns);
    cbSelect->setObjectName(u"cbSelect"_s);
    cbSelect->setChecked(true);
    btnEdit = Button(grpRuns, u"btnEdit"_s, u"View and Edit applications..."_s);
    btnRemoveRun = Button(grpRuns, u"btnRemoveRun"_s, u"Remove run"_s);
    runButtons->addWidget(cbSelect);
    runButtons->addWidget(btnEdit);
    runButtons->addWidget(btnRemoveRun);
    runButtons->addStretch();
    runsLayout->addLayout(runButtons);
    layout->addWidget(grpRuns, 3);

    auto* buttons = new QHBoxLayout;
    btnReport = Button(this, u"btnReport"_s, u"Export FOCUS input to MACRO, PRZM and TOXSWA"_s);
    btnCopy = Button(this, u"btnCopy"_s, u"Copy project"_s);
    btnViewReport = Button(this, u"btnViewReport"_s, u"View Report"_s);
    BitBtn1 = Button(this, u"BitBtn1"_s, u"&Close"_s);
    BitBtn1->setDefault(true);
    for (QPushButton* b : {btnReport, btnCopy, btnViewReport})
        buttons->addWidget(b);
    AddProjectArchiveButtons(this, m_dm, buttons,
                             {[this] {
                                  return m_dm.qryProjects.active() && !m_dm.qryProjects.isEmpty()
                                             ? m_dm.qryProjects.fieldByName(u"Name"_s).asString()
                                             : QString();
                              },
                              [this] { OpenLists(); }});
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    layout->addLayout(buttons);
    resize(1000, 620);
}

void TfrmMain::Connect() {
    const auto guard = [this](void (TfrmMain::*handler)()) {
        return [this, handler] { Guarded([this, handler] { (this->*handler)(); }); };
    };
    connect(grdRuns, &QTableView::doubleClicked, this, [] { Guarded([] { ToggleRunSelection(); }); });
    auto* toggle = new QShortcut(Qt::Key_Space, grdRuns, nullptr, nullptr, Qt::WidgetShortcut);
    connect(toggle, &QShortcut::activated, this, [] { Guarded([] { ToggleRunSelection(); }); });
    connect(cbSelect, &QCheckBox::clicked, this,
            [](bool checked) { Guarded([checked] { SelectAllRuns(checked); }); });
    connect(btnRemoveRun, &QPushButton::clicked, this, guard(&TfrmMain::RemoveRun));
    connect(btnEdit, &QPushButton::clicked, this, guard(&TfrmMain::EditRuns));
    connect(btnViewReport, &QPushButton::clicked, this, guard(&TfrmMain::ViewReport));
    connect(btnReport, &QPushButton::clicked, this, guard(&TfrmMain::ExportProject));
    connect(btnCopy, &QPushButton::clicked, this, guard(&TfrmMain::CopyProject));
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
}

bool TfrmMain::HasRuns() {
    if (m_dm.tblRuns.active() && !m_dm.tblRuns.isEmpty()) return true;
    ShowMessage(u"No runs available."_s);
    return false;
}

void TfrmMain::RemoveRun() {
    if (HasRuns()) m_dm.tblRuns.deleteRecord();
}

void TfrmMain::EditRuns() {
    if (!HasRuns()) return;
    {
        TfrmRuns runs(this);
        runs.exec();
    }
    m_dm.tblRuns.refresh();
}

void TfrmMain::ViewReport() {
    const std::unique_ptr<TProject> project = m_dm.CurrentProject();
    const QString report = project ? project->ReportFileName() : QString();
    if (project && QFileInfo(report).isFile()) {
        if (IsExportIncomplete(project->Path))
            ShowWarning(u"The last export of this project did not finish: the report may be incomplete and "
                        u"may not match the model files. Export the project again."_s);
        ShowFileView(report, this);
    } else
        ShowMessage(u"Report not available. Please create it with aid 'Export FOCUS input...' button"_s);
}

void TfrmMain::ExportProject() {
    std::unique_ptr<TProject> project;
    {
        const TBusyCursor busy;
        const TControlsDisabled quiet(m_dm.tblRuns);
        project = m_dm.CurrentProject();
    }
    if (!project) {
        ShowMessage(u"no project available"_s);
        return;
    }
    TfrmProjectFiles files(this);
    files.SetPath(project->GetPath());
    if (files.exec() != QDialog::Accepted) return;
    QApplication::processEvents();
    ::ExportProject(*project, files.Options());
}

void TfrmMain::CopyProject() {
    if (!m_dm.qryProjects.active() || m_dm.qryProjects.isEmpty()) {
        ShowMessage(u"no project available"_s);
        return;
    }
    TfrmCopyProject copy(m_dm.qryProjects.fieldByName(u"Name"_s).asString(),
                         m_dm.qryProjects.fieldByName(u"Description"_s).asString(), this);
    if (copy.exec() != QDialog::Accepted) return;
    CopyCurrentProject(copy.NewName(), copy.NewDescription());
}

void TfrmMain::done(int result) {
    if (!m_closed) {
        m_closed = true;
        m_dm.CloseProjects();
        m_dm.CloseRuns();
    }
    if (isVisible()) QDialog::done(result);
}
