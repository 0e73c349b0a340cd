#include "ui/app/Info.h"

#include "foundation/Errors.h"
#include "store/DataModuleKelvoADO.h"
#include "ui/Guard.h"
#include "ui/app/HelpSystem.h"
#include "ui/app/SiteMap.h"
#include "ui/models/RecordSetModel.h"
#include "ui_Info.h"

#include <QHeaderView>
#include <QTableView>

using namespace Qt::Literals::StringLiterals;

namespace {

TdmKelvoADO& DataModule() {
    if (!dmKelvoADO) throw EKelvoError(u"The scenario database is not open"_s);
    return *dmKelvoADO;
}

} // namespace

TfrmInfo::TfrmInfo(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmInfo>()), m_dm(DataModule()) {
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    ui->lstBody->setFlow(QListView::LeftToRight);
    ui->lstBody->setWrapping(true);
    ui->lstBody->setGridSize(QSize(110, 24));

    // The dependent lists are shown before their grids so that the grids find their fields.
    m_dm.OpenCrops();
    m_dm.OpenLocations();
    Guarded([this] { m_dm.ShowLocationsWithCurrentCrop(); });
    Guarded([this] { m_dm.ShowCropsAtCurrentLocation(); });
    Guarded([this] { m_dm.ShowLocationsAtWaterBody(u"focus_ditch"_s); });
    const QStringList scenario = {u"LocationCode"_s, u"LocationTypeCode"_s, u"MeteoStationCode"_s};
    const QStringList scenarioCaptions = {u"Scenario"_s, u"Type"_s, u"Weather station"_s};
    Grid(ui->grdCrops, m_dm.qryCrops, {u"CropCode"_s}, {u"Crop"_s});
    Grid(ui->grdLocations, m_dm.qryLocationWithCrops, {u"LocationCode"_s, u"MeteoStationCode"_s},
         {u"Scenario"_s, u"Weather station"_s});
    Grid(ui->DBGrid1, m_dm.tblLocations, scenario, scenarioCaptions);
    Grid(ui->DBGrid2, m_dm.qryCropsAtLoc, {u"CropCode"_s, u"IrrigationUsed"_s}, {u"Crop"_s, u"Irrigation"_s});
    Grid(ui->DBGrid3, m_dm.qryLocationsAtWaterbody, scenario, scenarioCaptions);

    connect(&m_dm.qryCrops, &TRecordSet::currentChanged, this,
            [this] { Guarded([this] { CropChanged(); }); });
    connect(&m_dm.tblLocations, &TRecordSet::currentChanged, this,
            [this] { Guarded([this] { LocationChanged(); }); });
    const std::pair<QRadioButton*, QString> types[] = {
        {ui->rbDitch, u"focus_ditch"_s}, {ui->rbPond, u"focus_pond"_s}, {ui->rbStream, u"focus_stream"_s}};
    for (const auto& [radio, type] : types)
        connect(radio, &QRadioButton::toggled, this, [this, type](bool on) {
            if (on) Guarded([this, type] { m_dm.ShowLocationsAtWaterBody(type); });
        });
    connect(ui->btnMap, &QPushButton::clicked, this, [this] { Guarded([this] { ShowMap(); }); });
    connect(ui->btnClose, &QPushButton::clicked, this, &QDialog::accept);

    Guarded([this] { CropChanged(); });
    Guarded([this] { LocationChanged(); });
    ui->rbDitch->setChecked(true);
    SetHelpContext(ui->tsCrops, 24);
    SetHelpContext(ui->tsSites, 25);
    SetHelpContext(ui->tsTypes, 26);
}

TfrmInfo::~TfrmInfo() {
    done(Rejected);
}

TRecordSetModel* TfrmInfo::Grid(QTableView* view, TRecordSet& recordSet, const QStringList& fields,
                                const QStringList& captions) {
    auto* model = new TRecordSetModel(recordSet, fields, this);
    for (int column = 0; column < fields.size(); ++column) {
        model->setColumnReadOnly(column, true);
        model->setHeaderData(column, Qt::Horizontal, captions.value(column));
    }
    model->bindView(view);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 8);
    view->setWordWrap(false);
    view->resizeColumnsToContents();
    view->horizontalHeader()->setStretchLastSection(true);
    // Rows read for another crop or scenario are shown whole too; a column the user widened stays so.
    connect(model, &QAbstractItemModel::modelReset, view, [view] {
        for (int column = 0; column < view->model()->columnCount(); ++column) {
            const int before = view->columnWidth(column);
            view->resizeColumnToContents(column);
            if (view->columnWidth(column) < before) view->setColumnWidth(column, before);
        }
    });
    return model;
}

void TfrmInfo::ShowPage(int page) {
    ui->PageControl1->setCurrentIndex(page);
}

void TfrmInfo::CropChanged() {
    ui->grpLocations->setTitle(u" Scenarios with "_s + m_dm.CurrentCropCode() + u' ');
    m_dm.ShowLocationsWithCurrentCrop();
}

void TfrmInfo::LocationChanged() {
    const QString location = m_dm.CurrentLocationCode();
    ui->grpCrops->setTitle(u" Crops at "_s + location + u' ');
    m_dm.ShowCropsAtCurrentLocation();
    ui->lstBody->clear();
    if (!location.isEmpty()) ui->lstBody->addItems(m_dm.WaterBodyCodesAt(location));
}

void TfrmInfo::ShowMap() {
    ShowSiteMap(m_dm.CurrentLocationCode(), this);
}

void TfrmInfo::done(int result) {
    if (!m_closed) {
        m_closed = true;
        m_dm.CloseCrops();
        m_dm.CloseLocations();
    }
    if (isVisible()) QDialog::done(result);
}
