#include "ui/screens/Runs.h"

#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "store/DataModuleKelvoADO.h"
#include "ui/GridClipboard.h"
#include "ui/Guard.h"
#include "ui/PrintKey.h"
#include "ui/app/HelpSystem.h"
#include "ui/app/WindowImage.h"
#include "ui/models/PickListDelegate.h"
#include "ui/models/RecordSetModel.h"
#include "ui/screens/Defaults.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int helpContext = 31;
const QString parentHint = u"Displayed data relate to parent"_s;
const QString applicationsHint = u"See help, subject CAM"_s;
const QString discardQuestion = u"Discard the changes to the runs of this project?"_s;

TdmKelvoADO& DataModule() {
    if (!dmKelvoADO) throw EKelvoError(u"The scenario database is not open"_s);
    return *dmKelvoADO;
}

QStringList Without(QStringList list, int position) {
    if (position >= 0 && position < list.size()) list.removeAt(position);
    return list;
}

QTableView* Grid(QWidget* parent, const QString& name) {
    auto* view = new QTableView(parent);
    view->setObjectName(name);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectItems);
    view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                          QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    view->verticalHeader()->hide();
    view->setTabKeyNavigation(true);
    return view;
}

QPushButton* Button(QWidget* parent, const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QLabel* Text(QWidget* parent, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

TfrmRuns::TfrmRuns(QWidget* parent) : QDialog(parent), m_dm(DataModule()) {
    setObjectName(u"frmRuns"_s);
    setWindowTitle(u"Applications"_s);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    SetHelpContext(this, helpContext);
    const QStringList methods = m_dm.ApplicationMethodList(-1);
    m_airBlastMethods = Without(methods, 3);
    m_otherMethods = Without(methods, 1);
    CreateControls();
    Connect();
}

TfrmRuns::~TfrmRuns() {
    // The grids go after this window's own part: their signals must not reach it then.
    grdRuns->horizontalHeader()->disconnect(this);
    grdRuns->horizontalScrollBar()->disconnect(this);
    Close(Rejected);
}

void TfrmRuns::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(u"- Possible days of Applications -"_s, this);
    Label1->setObjectName(u"Label1"_s);
    Label1->setAlignment(Qt::AlignHCenter);
    layout->addWidget(Label1);
    grdRuns = Grid(this, u"grdRuns"_s);
    m_runs =
        new TRecordSetModel(m_dm.tblRuns,
                            {u"RunID"_s, u"LocationCode"_s, u"CropCode"_s, u"CropNr"_s, u"WaterbodyCode"_s,
                             u"AppMethod"_s, u"NumberOfApps"_s, u"FirstDayYrAppJulian"_s, u"FirstDayYrApp"_s,
                             u"LastDayYrAppJulian"_s, u"LastDayYrApp"_s, u"MinIntervalApps"_s,
                             u"BufferDistance"_s, u"DriftReduction"_s},
                            grdRuns);
    const QStringList runCaptions = {
        u"ID"_s,       u"Scenario"_s, u"Crop"_s,  u"Nr in season"_s, u"Waterbody"_s, u"Appl. Method"_s,
        u"# Appls."_s, u"First"_s,    u"DayNr"_s, u"Last"_s,         u"DayNr"_s,     u"Min. Interval (d)"_s,
        u"Buffer (m)"_s, u"Drift red. (%)"_s};
    // What each column holds, with its unit, shown over its caption.
    const QStringList runTips = {
        QString(), QString(), QString(), u"First or second crop in the season"_s, QString(), QString(),
        u"Number of applications in the season"_s, u"First possible day of application (dd-mmm)"_s,
        u"First possible day of application (day of the year, 1-366)"_s,
        u"Last possible day of application (dd-mmm)"_s,
        u"Last possible day of application (day of the year, 1-366)"_s,
        u"Minimum interval between applications (days)"_s,
        u"Step 4: no-spray buffer from the crop edge to the water (m); empty: the FOCUS distance"_s,
        u"Step 4: drift reduction of the nozzles (%): 50, 75, 90 or 95; empty: none"_s};
    for (int c = 0; c < RunColumnCount; ++c) {
        m_runs->setHeaderData(c, Qt::Horizontal, runCaptions[c]);
        m_runs->setHeaderData(c, Qt::Horizontal, runTips[c], Qt::ToolTipRole);
        m_runs->setColumnReadOnly(c, c < ColMethod);
    }
    // A metabolite run (an "m" as eighth character of its RunID) is shaded in full; it gets no drift, so
    // its Step 4 mitigation cannot be edited.
    const auto metabolite = [this](int row) {
        return m_dm.tblRuns.valueAt(row, m_dm.tblRuns.fieldByName(u"RunID"_s).index()).toString().mid(7, 1) ==
               u"m"_s;
    };
    m_runs->setBackground([metabolite](int row, int column) {
        return column < ColMethod || metabolite(row) ? TRecordSetModel::InfoColour() : QColor(Qt::white);
    });
    m_runs->setCellEditable(
        [metabolite](int row, int column) { return column < ColBuffer || !metabolite(row); });
    m_runs->setPickList(ColReduction, {QString(), u"50"_s, u"75"_s, u"90"_s, u"95"_s});
    m_runs->bindView(grdRuns);
    AllowPaste(*grdRuns);
    grdRuns->setToolTip(parentHint);
    grdRuns->setMinimumHeight(220);
    layout->addWidget(grdRuns, 3);
    edtRunID = new QLineEdit(this);
    edtRunID->setObjectName(u"edtRunID"_s);
    edtRunID->setReadOnly(true);
    edtRunID->hide();

    GroupBox2 = new QGroupBox(u"  Applications:  "_s, this);
    GroupBox2->setObjectName(u"GroupBox2"_s);
    auto* applicationsLayout = new QVBoxLayout(GroupBox2);
    lblPRZM =
        new QLabel(u"<-----------------------------  PRZM input ----------------------------->"_s, GroupBox2);
    lblPRZM->setObjectName(u"lblPRZM"_s);
    lblPRZM->setAlignment(Qt::AlignRight);
    applicationsLayout->addWidget(lblPRZM);
    grdApplications = Grid(GroupBox2, u"grdApplications"_s);
    m_applications = new TRecordSetModel(
        m_dm.tblApplications, {u"ApplicationNr"_s, u"Rate"_s, u"RunID"_s, u"CAM"_s, u"Depi"_s, u"Perc"_s},
        grdApplications);
    const QStringList applicationCaptions = {
        u"Nr of Appl."_s,        u"Rate (kg/ha)"_s, QString(), u"Chemical Application Model"_s,
        u"Depth Incorporated"_s, QString()};
    const QStringList applicationTips = {
        u"Number of the application in the season"_s, u"Application rate (kg active substance per ha)"_s,
        QString(), u"Chemical application model of PRZM"_s, u"Depth of incorporation into the soil (cm)"_s,
        QString()};
    for (int c = 0; c < ApplicationColumnCount; ++c) {
        m_applications->setHeaderData(c, Qt::Horizontal, applicationCaptions[c]);
        m_applications->setHeaderData(c, Qt::Horizontal, applicationTips[c], Qt::ToolTipRole);
    }
    m_applications->setColumnReadOnly(ColApplicationNr, true);
    m_applications->setColumnReadOnly(ColRun, true);
    m_applications->setBackground([this](int, int column) {
        return column == ColApplicationNr || !grdApplications->isEnabled() ? TRecordSetModel::InfoColour()
                                                                           : QColor(Qt::white);
    });
    m_applications->bindView(grdApplications);
    AllowPaste(*grdApplications);
    grdApplications->setColumnHidden(ColRun, true);
    grdApplications->setColumnHidden(ColPerc, true);
    grdApplications->setColumnWidth(ColCAM, 200);
    grdApplications->setColumnWidth(ColDepth, 130);
    applicationsLayout->addWidget(grdApplications);
    layout->addWidget(GroupBox2, 2);

    GroupBox1 = new QGroupBox(u" Application Pattern "_s, this);
    GroupBox1->setObjectName(u"GroupBox1"_s);
    auto* pattern = new QGridLayout(GroupBox1);
    btnCopyAppls = Button(GroupBox1, u"btnCopyAppls"_s, u"Copy"_s);
    btnCopyAppls->setToolTip(u" Copy selected application pattern to all other scenarios "_s);
    pattern->addWidget(btnCopyAppls, 0, 0);
    pattern->addWidget(Text(GroupBox1,
                            u"Copy selected application pattern (Appl. Method, NrOfApps, Min. Interval "
                            u"and Rate) to all scenarios of the same crop (in season)."_s),
                       0, 1);
    btnDefaults = Button(GroupBox1, u"btnDefaults"_s, u"Default..."_s);
    btnDefaults->setToolTip(u"To define standard application pattern, different from KELVO default"_s);
    pattern->addWidget(btnDefaults, 1, 0);
    auto* substance = new QHBoxLayout;
    substance->addWidget(new QLabel(u"View\\edit default appl. pattern of substance:"_s, GroupBox1));
    DBSubstanceCode = new QLabel(m_dm.CurrentProjectSubstanceCode(), GroupBox1);
    DBSubstanceCode->setObjectName(u"DBSubstanceCode"_s);
    QFont bold = DBSubstanceCode->font();
    bold.setBold(true);
    DBSubstanceCode->setFont(bold);
    substance->addWidget(DBSubstanceCode);
    substance->addStretch();
    pattern->addLayout(substance, 1, 1);
    pattern->setColumnStretch(1, 1);
    layout->addWidget(GroupBox1);

    auto* buttons = new QHBoxLayout;
    btnPrint = Button(this, u"btnPrint"_s, u"Print"_s);
    btnOK = Button(this, u"btnOK"_s, u"OK"_s);
    btnCancel = Button(this, u"btnCancel"_s, u"Cancel"_s);
    buttons->addWidget(btnPrint);
    PrintOnKey(*btnPrint);
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    int width = 40;
    for (int c = 0; c < RunColumnCount; ++c)
        width += grdRuns->columnWidth(c);
    setFixedSize(std::max(width, 760), 640);
}

void TfrmRuns::Connect() {
    const auto guard = [this](void (TfrmRuns::*handler)()) {
        return [this, handler] { Guarded([this, handler] { (this->*handler)(); }); };
    };
    connect(&m_dm.tblRuns, &TRecordSet::currentChanged, this, guard(&TfrmRuns::CurrentRunChanged));
    // The caption of the possible days stands over the day columns, wherever they are.
    connect(grdRuns->horizontalHeader(), &QHeaderView::sectionResized, this, [this] { PlaceDaysCaption(); });
    connect(grdRuns->horizontalHeader(), &QHeaderView::geometriesChanged, this, [this] { PlaceDaysCaption(); });
    connect(grdRuns->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { PlaceDaysCaption(); });
    connect(grdRuns->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { Guarded([&] { RunColumnEntered(current.column()); }); });
    connect(grdApplications->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && current.column() == ColApplicationNr)
                    QTimer::singleShot(0, grdApplications, [this] {
                        const QModelIndex index = grdApplications->currentIndex();
                        if (index.column() == ColApplicationNr)
                            grdApplications->setCurrentIndex(index.siblingAtColumn(ColRate));
                    });
            });
    // Entering and leaving the applications grid: focus moving into it from elsewhere in this window, or out
    // of it to another control of this window (its own cell editors belong to it).
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        const auto inApplications = [this](QWidget* w) {
            return w && (w == grdApplications || grdApplications->isAncestorOf(w));
        };
        if (!now || now->window() != this) return;
        if (inApplications(now) && !inApplications(old))
            Guarded([this] { ApplicationsEntered(); });
        else if (inApplications(old) && !inApplications(now))
            Guarded([this] { ApplicationsLeft(); });
    });
    // A button acts on what was typed: the cell being edited is written first.
    const auto afterCellEdits = [this, guard](void (TfrmRuns::*handler)()) {
        return [this, action = guard(handler)] {
            if (CommitCellEdits(this)) action();
        };
    };
    connect(btnCopyAppls, &QPushButton::clicked, this, afterCellEdits(&TfrmRuns::CopyPattern));
    connect(btnDefaults, &QPushButton::clicked, this, afterCellEdits(&TfrmRuns::ShowDefaults));
    connect(btnPrint, &QPushButton::clicked, this, afterCellEdits(&TfrmRuns::Print));
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

// Without its transaction nothing may be edited here: the editor closes again.
void TfrmRuns::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_shown) return;
    m_shown = true;
    if (!Guarded([this] { Activate(); }) && !m_activated) QTimer::singleShot(0, this, &QDialog::reject);
}

// Runs once per showing: a dialog or message box opened from here must neither open a second transaction
// nor end the first.
void TfrmRuns::Activate() {
    try {
        m_dm.dbKelvoADO.BeginTrans();
    } catch (const EKelvoError& e) {
        throw EKelvoError(
            u"The applications cannot be edited now: another program (Kelvo or the TOXSWA shell) is "
            u"writing the scenario database.\n"_s +
            e.Message());
    }
    m_activated = true;
    m_stateAtStart = m_dm.RunsEditorState();
    m_dm.OpenRuns();
    m_dm.OpenCrops();
    m_dm.RefreshRuns();
    grdRuns->setCurrentIndex(m_runs->index(std::max(m_dm.tblRuns.currentRow(), 0), ColMethod));
    grdApplications->setCurrentIndex(
        m_applications->index(std::max(m_dm.tblApplications.currentRow(), 0), ColRate));
    m_lastColumn = ColMethod;
    grdRuns->setFocus();
    CurrentRunChanged();
}

// The crops and methods do not change while the editor is open: each is looked up once.
bool TfrmRuns::IsAirBlastCrop(const QString& cropCode) {
    auto found = m_airBlastCrops.constFind(cropCode);
    if (found == m_airBlastCrops.constEnd())
        found = m_airBlastCrops.insert(cropCode, m_dm.IsAirBlastCrop(cropCode));
    return *found;
}

const QStringList& TfrmRuns::CAMsForMethod(const QString& method) {
    auto found = m_cams.constFind(method);
    if (found == m_cams.constEnd()) found = m_cams.insert(method, m_dm.CAMsForMethod(method));
    return *found;
}

bool TfrmRuns::IsMetaboliteRun() const {
    return !m_dm.tblRuns.fieldByName(u"RunID"_s).asString().toLower().endsWith(u"pa"_s);
}

void TfrmRuns::CurrentRunChanged() {
    TRecordSet& runs = m_dm.tblRuns;
    if (!runs.active() || runs.isEmpty()) return;
    edtRunID->setText(runs.fieldByName(u"RunID"_s).asString());
    m_runs->setPickList(ColMethod, IsAirBlastCrop(runs.fieldByName(u"CropCode"_s).asString())
                                       ? m_airBlastMethods
                                       : m_otherMethods);
    const bool runoff = runs.fieldByName(u"LocationCode"_s).asString().startsWith(u'R');
    grdApplications->setColumnHidden(ColCAM, !runoff);
    grdApplications->setColumnHidden(ColDepth, !runoff);
    lblPRZM->setVisible(runoff);
    grdApplications->setToolTip(runoff ? applicationsHint : QString());
    const bool metabolite = IsMetaboliteRun();
    grdRuns->setToolTip(metabolite ? parentHint : QString());
    grdApplications->setEnabled(!metabolite);
    for (int c = ColMethod; c < RunColumnCount; ++c)
        m_runs->setColumnReadOnly(c, metabolite);
    m_applications->setPickList(ColCAM, CAMsForMethod(runs.fieldByName(u"AppMethod"_s).asString()));
    grdApplications->viewport()->update();
    RunColumnEntered(grdRuns->currentIndex().column());
}

void TfrmRuns::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PlaceDaysCaption();
}

// Centres the caption over the columns from the first to the last possible day.
void TfrmRuns::PlaceDaysCaption() {
    const QHeaderView* header = grdRuns->horizontalHeader();
    const int left = header->sectionViewportPosition(ColFirst);
    const int right = header->sectionViewportPosition(ColLastDay) + header->sectionSize(ColLastDay);
    const int from = std::max(0, grdRuns->viewport()->mapTo(this, QPoint(left, 0)).x() - Label1->x());
    const int to = std::max(0, Label1->x() + Label1->width() - grdRuns->viewport()->mapTo(this, QPoint(right, 0)).x());
    Label1->setContentsMargins(from, 0, to, 0);
}

void TfrmRuns::RunColumnEntered(int column) {
    if (column < 0) return;
    if (column < ColMethod) {
        // The informative columns are not entered: the selection goes on to the method.
        QTimer::singleShot(0, grdRuns, [this] {
            const QModelIndex index = grdRuns->currentIndex();
            if (index.isValid() && index.column() < ColMethod)
                grdRuns->setCurrentIndex(index.siblingAtColumn(ColMethod));
        });
        column = ColMethod;
    }
    if (!m_dm.tblRuns.active() || m_dm.tblRuns.isEmpty()) return;
    if (!IsMetaboliteRun()) {
        QString hint;
        if (column == ColMethod)
            hint = u"<click to edit>"_s;
        else if (column == ColFirst)
            hint = u"default is 2 weeks before emergence date"_s;
        else if (column == ColLast)
            hint = m_dm.tblRuns.fieldByName(u"NumberOfApps"_s).asInteger() == 1
                       ? u"default is 30 days after first day."_s
                       : u"default is 2 weeks before harvest day"_s;
        grdRuns->setToolTip(hint);
    }
    m_lastColumn = column;
}

void TfrmRuns::ApplicationsEntered() {
    TRecordSet& runs = m_dm.tblRuns;
    if (runs.state() == TRecordSet::TState::Edit) Guarded([&] { runs.post(); });
    m_applications->setPickList(ColCAM, CAMsForMethod(runs.fieldByName(u"AppMethod"_s).asString()));
}

// The applications just edited reach the run's siblings and, for a runoff run, the crop's other runoff runs.
void TfrmRuns::ApplicationsLeft() {
    m_dm.tblApplications.checkBrowseMode();
    m_dm.tblRunsAfterPost(m_dm.tblRuns);
}

void TfrmRuns::CopyPattern() {
    m_dm.tblRuns.checkBrowseMode();
    QStringList unmitigated;
    const QStringList skipped = m_dm.CopyPatternToCropRuns(&unmitigated);
    if (!unmitigated.isEmpty())
        ShowMessage(u"The buffer is nearer than the FOCUS distance of the following runs, which keep their own "
                    u"mitigation:\n"_s +
                    unmitigated.join(u'\n'));
    if (skipped.isEmpty()) return;
    QString text = u"Application pattern is not copied to the following runs because the application window "
                   u"was too small.\n"_s;
    for (const QString& runId : skipped)
        text += runId + u'\n';
    text +=
        u"\nPlease, extend the application window such, that:\nLast day - First day > 30 d + ((no_of_appl-1) "
        u"* min interval)"_s;
    ShowMessage(text);
}

void TfrmRuns::ShowDefaults() {
    m_dm.tblRuns.checkBrowseMode();
    TfrmDefaults defaults(this);
    if (defaults.Prepare(m_dm.CurrentProjectSubstanceCode())) defaults.exec();
}

void TfrmRuns::PrintTo(QPrinter& printer) {
    PrintWindowImage(*this, printer, QPageLayout::Landscape, {btnPrint, btnOK, btnCancel});
}

void TfrmRuns::Print() {
    PrintWindowImageAsked(*this, QPageLayout::Landscape, {btnPrint, btnOK, btnCancel});
}

// Esc in a grid closes its cell editor (the editor's own handling) and never the window.
void TfrmRuns::keyPressEvent(QKeyEvent* event) {
    const QWidget* focus = focusWidget();
    if (event->key() == Qt::Key_Escape && focus &&
        (focus == grdRuns || focus == grdApplications || grdRuns->isAncestorOf(focus) ||
         grdApplications->isAncestorOf(focus))) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// A typed cell, a row not yet posted or a written row that differs from the start.
bool TfrmRuns::HasChanges() {
    if (CellEditsChanged(this)) return true;
    for (const TRecordSet* rs : {&m_dm.tblRuns, &m_dm.tblApplications})
        if (rs->state() != TRecordSet::TState::Browse && rs->modified()) return true;
    return m_dm.RunsEditorState() != m_stateAtStart;
}

// OK writes the cell being edited and keeps the window open while the current run cannot be posted;
// Cancel asks before it drops a change.
bool TfrmRuns::CloseQuery(int result) {
    if (result == Accepted) {
        if (!CommitCellEdits(this)) return false;
        return Guarded([this] {
            m_dm.tblApplications.checkBrowseMode();
            m_dm.tblRuns.checkBrowseMode();
        });
    }
    bool changed = true;
    if (!Guarded([&] { changed = m_activated && HasChanges(); })) changed = true;
    if (changed && !AskDestructive(discardQuestion)) return false;
    DiscardCellEdits(this);
    try {
        m_dm.tblApplications.cancel();
        m_dm.tblRuns.cancel();
    } catch (...) {
    }
    return true;
}

void TfrmRuns::done(int result) {
    if (!m_closed && isVisible() && !CloseQuery(result)) return;
    Close(result);
    if (!m_closed) return;
    if (isVisible()) QDialog::done(result);
}

// With OK commits the transaction, otherwise rolls it back; once.
void TfrmRuns::Close(int result) {
    if (m_closed) return;
    m_closed = true;
    if (!m_activated) return;
    TConnection& db = m_dm.dbKelvoADO;
    if (result == Accepted) {
        // A commit refused (the database kept busy by another program) keeps the editor open with its
        // transaction, so the user can try again or cancel.
        if (!Guarded([&] { db.CommitTrans(); })) {
            m_closed = false;
            return;
        }
    } else {
        Guarded([&] { db.RollbackTrans(); });
        // The snapshots still show the rolled-back values: they are read again.
        Guarded([this] {
            m_dm.RefreshRuns();
            if (m_dm.tblRuns.active() && !m_dm.tblRuns.isEmpty()) m_dm.tblRuns.first();
        });
    }
    Guarded([this] { m_dm.CloseCrops(); });
}
