// The scenario information window against the raw queries behind it, in the same run. Goal: ratio <= 2.
// Measured: opening the window and switching through every crop, every scenario and every water body type
// as a user clicking through its grids and radio items would. Baseline: the same queries on a raw
// QSqlQuery: the crops, the scenarios of each crop, the scenarios, the first crops and the water body types
// of each scenario, the scenarios of each water body type, every value taken as text.

#include "BenchInstallation.h"
#include "BenchTiming.h"
#include "store/DataModuleKelvoADO.h"
#include "ui/app/Info.h"

#include <QApplication>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <chrono>

using namespace Qt::Literals::StringLiterals;

namespace {

// Every row of a grid made current, one after the other.
void ClickThrough(QTableView* view) {
    for (int row = 0; row < view->model()->rowCount(); ++row)
        view->setCurrentIndex(view->model()->index(row, 0));
}

qint64 Baseline(QSqlDatabase& db) {
    qint64 n = SelectText(db, u"SELECT * FROM Crops ORDER BY CropNR"_s);
    for (const QString& crop : SelectColumn(db, u"SELECT CropCode FROM Crops ORDER BY CropNR"_s))
        n += SelectText(
            db,
            u"SELECT Locations.* FROM Locations INNER JOIN CropsxLocations ON Locations.LocationCode = "
            u"CropsxLocations.LocationCode WHERE (CropsxLocations.CropCode=?) and (CropsxLocations.CropNr = '1st')"_s,
            {crop});
    n += SelectText(db, u"SELECT * FROM Locations"_s);
    for (const QString& location : SelectColumn(db, u"SELECT LocationCode FROM Locations"_s)) {
        n +=
            SelectText(db,
                   u"SELECT Crops.*, CropsxLocations.IrrigationUsed FROM Crops INNER JOIN CropsxLocations ON "
                   u"Crops.CropCode = CropsxLocations.CropCode WHERE (CropsxLocations.LocationCode=?) and "
                   u"(CropsxLocations.CropNr = '1st')"_s,
                   {location});
        n += SelectText(db, u"SELECT * FROM LocationxWaterbody WHERE LocationCode=?"_s, {location});
    }
    for (const QString& type : {u"focus_ditch"_s, u"focus_pond"_s, u"focus_stream"_s})
        n += SelectText(
            db,
            u"SELECT Locations.* FROM Locations INNER JOIN LocationxWaterBody ON Locations.LocationCode = "
            u"LocationxWaterBody.LocationCode WHERE LocationxWaterBody.WaterBodyCode=?"_s,
            {type});
    return n;
}

void BM_InfoWindowThroughEverything(benchmark::State& state) {
    TBenchInstallation installation;
    QSqlDatabase raw = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"raw"_s);
    raw.setDatabaseName(installation.dm->dbKelvoADO.FileName());
    raw.open();
    double seconds = 0;
    double baselineSeconds = 0;
    for (auto _ : state) {
        auto start = TClock::now();
        {
            TfrmInfo info;
            ClickThrough(info.findChild<QTableView*>(u"grdCrops"_s));
            ClickThrough(info.findChild<QTableView*>(u"DBGrid1"_s));
            for (const QString& radio : {u"rbPond"_s, u"rbStream"_s, u"rbDitch"_s})
                info.findChild<QRadioButton*>(radio)->setChecked(true);
        }
        const double s = Seconds(start);
        state.SetIterationTime(s);
        seconds += s;
        start = TClock::now();
        benchmark::DoNotOptimize(Baseline(raw));
        baselineSeconds += Seconds(start);
    }
    state.counters["ratio"] = seconds / baselineSeconds;
    raw.close();
    raw = QSqlDatabase();
    QSqlDatabase::removeDatabase(u"raw"_s);
}

BENCHMARK(BM_InfoWindowThroughEverything)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

} // namespace
