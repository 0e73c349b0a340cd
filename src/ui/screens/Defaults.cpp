#include "ui/screens/Defaults.h"

#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "store/DataModuleKelvoADO.h"
#include "ui/GridClipboard.h"
#include "ui/Guard.h"
#include "ui/app/HelpSystem.h"
#include "ui/bound/DBNavigator.h"
#include "ui/models/PickListDelegate.h"
#include "ui/models/RecordSetModel.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int helpContext = 16;

TdmKelvoADO& DataModule() {
    if (!dmKelvoADO) throw EKelvoError(u"The scenario database is not open"_s);
    return *dmKelvoADO;
}

} // namespace

TfrmDefaults::TfrmDefaults(QWidget* parent) : QDialog(parent), m_dm(DataModule()) {
    setObjectName(u"frmDefaults"_s);
    setWindowTitle(u"Default Application Pattern"_s);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    SetHelpContext(this, helpContext);

    auto* layout = new QVBoxLayout(this);
    auto* substance = new QGroupBox(this);
    substance->setObjectName(u"GroupBox1"_s);
    auto* substanceLayout = new QHBoxLayout(substance);
    substanceLayout->addWidget(new QLabel(u"Substance: "_s, substance));
    edtSubCode = new QLineEdit(substance);
    edtSubCode->setObjectName(u"edtSubCode"_s);
    edtSubCode->setReadOnly(true);
    substanceLayout->addWidget(edtSubCode);
    substanceLayout->addStretch();
    layout->addWidget(substance);
    auto* label2 = new QLabel(u"-- Possible days of Applications --"_s, this);
    label2->setObjectName(u"Label2"_s);
    label2->setAlignment(Qt::AlignRight);
    layout->addWidget(label2);

    grdDefaults = new QTableView(this);
    grdDefaults->setObjectName(u"grdDefaults"_s);
    grdDefaults->setSelectionMode(QAbstractItemView::SingleSelection);
    grdDefaults->verticalHeader()->hide();
    grdDefaults->setTabKeyNavigation(true);
    m_model = new TRecordSetModel(m_dm.tblDefaults,
                                  {u"CropCode"_s, u"CropNr"_s, u"LocationCode"_s, u"DefAppMethod"_s,
                                   u"DefNumberOfApps"_s, u"DefFirstDayYrApp"_s, u"First"_s,
                                   u"DefLastDayYrApp"_s, u"Last"_s, u"DefMinIntervalApps"_s},
                                  grdDefaults);
    const QStringList captions = {
        u"Crop"_s,  u"Nr in season"_s, u"Scenario "_s, u"Method"_s, u"# Appls."_s,
        u"First"_s, u"Date"_s,         u"Last"_s,      u"Date"_s,   u"Min. Interval (d)"_s};
    // What each column holds, with its unit, shown over its caption.
    const QStringList tips = {QString(),
                              u"First or second crop in the season"_s,
                              QString(),
                              QString(),
                              u"Number of applications in the season"_s,
                              u"First possible day of application (day of the year, 1-366)"_s,
                              u"First possible day of application (dd-mmm)"_s,
                              u"Last possible day of application (day of the year, 1-366)"_s,
                              u"Last possible day of application (dd-mmm)"_s,
                              u"Minimum interval between applications (days)"_s};
    for (int c = 0; c < ColumnCount; ++c) {
        m_model->setHeaderData(c, Qt::Horizontal, captions[c]);
        m_model->setHeaderData(c, Qt::Horizontal, tips[c], Qt::ToolTipRole);
    }
    m_model->setColumnReadOnly(ColFirstDate, true);
    m_model->setColumnReadOnly(ColLastDate, true);
    m_model->setPickList(ColCropNr, {u"1st"_s, u"2nd"_s});
    m_model->setBackground([](int, int column) {
        return column == ColFirstDate || column == ColLastDate ? TRecordSetModel::InfoColour()
                                                               : QColor(Qt::white);
    });
    m_model->bindView(grdDefaults);
    AllowPaste(*grdDefaults);
    int width = 2 * grdDefaults->frameWidth() + grdDefaults->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < ColumnCount; ++c)
        width += grdDefaults->columnWidth(c);
    grdDefaults->setMinimumWidth(width);
    grdDefaults->setMinimumHeight(300);
    layout->addWidget(grdDefaults);

    auto* bottom = new QHBoxLayout;
    navDefaults = new TDBNavigator(this);
    navDefaults->setObjectName(u"navDefaults"_s);
    navDefaults->setRecordSet(&m_dm.tblDefaults);
    bottom->addWidget(navDefaults);
    bottom->addStretch();
    btnOK = new QPushButton(u"OK"_s, this);
    btnOK->setObjectName(u"btnOK"_s);
    btnOK->setAutoDefault(false);
    BitBtn2 = new QPushButton(u"Cancel"_s, this);
    BitBtn2->setObjectName(u"BitBtn2"_s);
    BitBtn2->setAutoDefault(false);
    bottom->addWidget(btnOK);
    bottom->addWidget(BitBtn2);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(grdDefaults->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { Guarded([&] { ColumnEntered(current); }); });
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmDefaults::~TfrmDefaults() {
    done(Rejected);
}

bool TfrmDefaults::Prepare(const QString& substanceCode) {
    const bool ready = m_dm.OpenSubstanceAt(substanceCode) && m_dm.OpenDefaults();
    edtSubCode->setText(substanceCode);
    return ready;
}

bool TfrmDefaults::Locked() const {
    return m_dm.tblSubstances.active() && m_dm.tblSubstances.fieldByName(u"Locked"_s).asBoolean();
}

void TfrmDefaults::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_activated) return;
    m_activated = true;
    // After the window is on the screen, so the message is shown over it.
    QTimer::singleShot(0, this, [this] { Guarded([this] { Activate(); }); });
}

// The lists are filled and the locked-substance message shown once per showing.
void TfrmDefaults::Activate() {
    m_cropCodes = m_dm.LoadCropCodes(false);
    m_locationCodes = m_dm.LocationCodes();
    m_model->setPickList(ColCrop, m_cropCodes);
    m_model->setPickList(ColScenario, m_locationCodes);
    m_model->setPickList(ColMethod, m_dm.ApplicationMethodList(-1));
    m_lastColumn = ColCrop;
    if (Locked()) {
        grdDefaults->setEditTriggers(QAbstractItemView::NoEditTriggers);
        for (int c = 0; c < ColumnCount; ++c)
            m_model->setColumnReadOnly(c, true);
        btnOK->setEnabled(false);
        navDefaults->setVisibleButtons(
            {TDBNavigator::First, TDBNavigator::Prior, TDBNavigator::Next, TDBNavigator::Last});
        ShowMessage(
            u"Predefined FOCUS substance. It is not allowed to change the default application pattern."_s);
    } else {
        navDefaults->setVisibleButtons({TDBNavigator::First, TDBNavigator::Prior, TDBNavigator::Next,
                                        TDBNavigator::Last, TDBNavigator::Insert, TDBNavigator::Delete,
                                        TDBNavigator::Post, TDBNavigator::Cancel});
    }
    ColumnEntered(grdDefaults->currentIndex());
}

// The pick lists are narrowed for the row entered, which the record set reaches only after this.
void TfrmDefaults::ColumnEntered(const QModelIndex& current) {
    const int column = current.column();
    if (column < 0) return;
    const auto text = [&](int of) { return current.siblingAtColumn(of).data(Qt::EditRole).toString(); };
    // The date columns only show the days: Tab passes over them in both directions.
    if (column == ColFirstDate || column == ColLastDate) {
        const int target = column == ColFirstDate ? (m_lastColumn < ColLast ? ColLast : ColFirst)
                                                  : (m_lastColumn < ColInterval ? ColInterval : ColLast);
        QTimer::singleShot(0, grdDefaults, [this, column, target] {
            const QModelIndex index = grdDefaults->currentIndex();
            if (index.column() == column) grdDefaults->setCurrentIndex(index.siblingAtColumn(target));
        });
        return;
    }
    m_lastColumn = column;
    if (column == ColCrop) {
        const QString location = text(ColScenario);
        const QStringList crops = location.isEmpty() ? QStringList() : m_dm.FirstCropCodesAt(location);
        m_model->setPickList(ColCrop, crops.isEmpty() ? m_cropCodes : crops);
    } else if (column == ColScenario) {
        const QString crop = text(ColCrop);
        const QStringList locations = crop.isEmpty() ? QStringList() : m_dm.FirstCropLocationCodes(crop);
        m_model->setPickList(ColScenario, locations.isEmpty() ? m_locationCodes : locations);
    }
    grdDefaults->setToolTip(column <= ColScenario ? u"<click to edit>"_s : QString());
}

void TfrmDefaults::done(int result) {
    if (!m_closed) {
        TRecordSet& defaults = m_dm.tblDefaults;
        // OK writes what was typed; a row the rules refuse keeps the window open with the rule's message
        // and the row in edit.
        if (result == Accepted && isVisible() &&
            (!CommitCellEdits(this) || !Guarded([&] {
                 if (defaults.active() && defaults.state() != TRecordSet::TState::Browse) defaults.post();
             })))
            return;
        m_closed = true;
        if (!Locked() && defaults.active()) {
            Guarded([&] { defaults.cancel(); });
        }
        m_dm.CloseSubstanceTables();
        m_dm.CloseDefaults();
    }
    if (isVisible()) QDialog::done(result);
}
