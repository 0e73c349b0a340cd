#include "store/DataModuleKelvoADO.h"

#include "domain/Crop.h"
#include "domain/Location.h"
#include "domain/WaterBodyType.h"
#include "foundation/ConcreteCollections.h"
#include "store/Locate.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// Closes a record set when it goes out of scope, also when a read fails.
class TClosing {
public:
    explicit TClosing(TRecordSet& recordSet) : m_recordSet(recordSet) {}
    ~TClosing() { m_recordSet.close(); }
    TClosing(const TClosing&) = delete;
    TClosing& operator=(const TClosing&) = delete;

private:
    TRecordSet& m_recordSet;
};

bool Locate(TRecordSet& table, const QString& code) {
    return LocateByTextKeys(table, {code}, 1);
}

// One column of every row of a one-parameter query.
QStringList ColumnOf(TQuery& query, const QString& parameter, const QString& column) {
    query.close();
    query.setParam(0, parameter);
    query.open();
    TClosing closing(query);
    QStringList values;
    for (query.first(); !query.eof(); query.next())
        values << query.fieldByName(column).asString();
    return values;
}

// Whether the crop rows beyond the first 25 belong in the list.
bool Wanted(const TRecordSet& crops, bool includeAll) {
    return includeAll || crops.fieldByName(u"CropNr"_s).asInteger() < 26;
}

} // namespace

std::unique_ptr<TCrop> TdmKelvoADO::LoadCrop(const QString& cropCode) {
    tblCrops.open();
    TClosing closing(tblCrops);
    if (!Locate(tblCrops, cropCode)) return nullptr;
    return std::make_unique<TCrop>(tblCrops.fieldByName(u"CropCode"_s).asString(),
                                   tblCrops.fieldByName(u"Name"_s).asString(),
                                   tblCrops.fieldByName(u"GanzelmeierCode"_s).asInteger(),
                                   tblCrops.fieldByName(u"DistanceCropBank"_s).asFloat());
}

std::unique_ptr<TAggregationList> TdmKelvoADO::LoadCrops(bool includeAll) {
    auto crops = std::make_unique<TAggregationList>();
    qryCrops.open();
    TClosing closing(qryCrops);
    for (qryCrops.first(); !qryCrops.eof(); qryCrops.next())
        if (Wanted(qryCrops, includeAll))
            crops->Add(new TCrop(qryCrops.fieldByName(u"CropCode"_s).asString(),
                                 qryCrops.fieldByName(u"Name"_s).asString(),
                                 qryCrops.fieldByName(u"GanzelmeierCode"_s).asInteger(),
                                 qryCrops.fieldByName(u"DistanceCropBank"_s).asFloat()));
    return crops;
}

QStringList TdmKelvoADO::LoadCropCodes(bool includeAll) {
    QStringList codes;
    qryCrops.open();
    TClosing closing(qryCrops);
    for (qryCrops.first(); !qryCrops.eof(); qryCrops.next())
        if (Wanted(qryCrops, includeAll)) codes << qryCrops.fieldByName(u"CropCode"_s).asString();
    return codes;
}

QString TdmKelvoADO::NameByCode(TRecordSet& table, const QString& code) {
    const bool wasOpen = table.active();
    if (!wasOpen) table.open();
    const QString name = Locate(table, code) ? table.fieldByName(u"Name"_s).asString() : QString();
    if (!wasOpen) table.close();
    return name;
}

QString TdmKelvoADO::CropName(const QString& cropCode) {
    return NameByCode(tblCrops, cropCode);
}

QString TdmKelvoADO::SubstanceName(const QString& substanceCode) {
    return NameByCode(tblSubstances, substanceCode);
}

QString TdmKelvoADO::CropDirName(const QString& cropCode) {
    tblCrops.open();
    TClosing closing(tblCrops);
    return Locate(tblCrops, cropCode) ? tblCrops.fieldByName(u"Dir_Name"_s).asString() : QString();
}

bool TdmKelvoADO::IsAirBlastCrop(const QString& cropCode) {
    tblCrops.open();
    TClosing closing(tblCrops);
    return Locate(tblCrops, cropCode) && tblCrops.fieldByName(u"AirBlast"_s).asBoolean();
}

std::unique_ptr<TAggregationList> TdmKelvoADO::LoadLocations() {
    auto locations = std::make_unique<TAggregationList>();
    tblLocations.open();
    TClosing closing(tblLocations);
    for (tblLocations.first(); !tblLocations.eof(); tblLocations.next()) {
        const QString code = tblLocations.fieldByName(u"LocationCode"_s).asString();
        auto location = std::make_unique<TLocation>(code, tblLocations.fieldByName(u"Name"_s).asString());
        location->LocationTypeCode = tblLocations.fieldByName(u"LocationTypeCode"_s).asString();
        location->WaterBodyCodes = WaterBodyCodesAt(code);
        location->CropCodes = FirstCropCodesAt(code);
        locations->Add(location.release());
    }
    return locations;
}

QStringList TdmKelvoADO::WaterBodyCodesAt(const QString& locationCode) {
    return ColumnOf(qryWaterbodyTypes, locationCode, u"WaterBodyCode"_s);
}

QStringList TdmKelvoADO::FirstCropCodesAt(const QString& locationCode) {
    return ColumnOf(qryCropsAtLoc, locationCode, u"CropCode"_s);
}

QStringList TdmKelvoADO::FirstCropLocationCodes(const QString& cropCode) {
    return ColumnOf(qryLocationWithCrops, cropCode, u"LocationCode"_s);
}

QStringList TdmKelvoADO::LocationCodes() {
    return FirstColumnValues(tblLocations);
}

QStringList TdmKelvoADO::FirstColumnValues(TRecordSet& table) {
    const bool wasOpen = table.active();
    const QString current = wasOpen && !table.isEmpty() ? table.field(0).asString() : QString();
    if (!wasOpen) table.open();
    QStringList values;
    for (table.first(); !table.eof(); table.next())
        values << table.field(0).asString();
    if (!wasOpen) {
        table.close();
        return values;
    }
    // Back to the caller's row.
    for (table.first(); !table.eof() && table.field(0).asString() != current; table.next()) {
    }
    return values;
}

QStringList TdmKelvoADO::GetWaterBodyCodes() {
    tblWaterbodyType.open();
    TClosing closing(tblWaterbodyType);
    QStringList codes;
    for (tblWaterbodyType.first(); !tblWaterbodyType.eof(); tblWaterbodyType.next())
        codes << tblWaterbodyType.fieldByName(u"WaterbodyCode"_s).asString();
    return codes;
}

std::unique_ptr<TWaterBodyType> TdmKelvoADO::LoadWaterBodyType(const QString& waterBodyCode) {
    qryWaterBodyType.close();
    qryWaterBodyType.setParam(0, waterBodyCode);
    qryWaterBodyType.open();
    TClosing closing(qryWaterBodyType);
    if (qryWaterBodyType.isEmpty()) return nullptr;
    qryWaterBodyType.first();
    const QString code = qryWaterBodyType.fieldByName(u"WaterBodyCode"_s).asString();
    return std::make_unique<TWaterBodyType>(code, code, qryWaterBodyType.fieldByName(u"Width"_s).asInteger(),
                                            qryWaterBodyType.fieldByName(u"SegmentLength"_s).asInteger(),
                                            qryWaterBodyType.fieldByName(u"TotalLength"_s).asInteger(),
                                            qryWaterBodyType.fieldByName(u"Depth"_s).asFloat(),
                                            qryWaterBodyType.fieldByName(u"DistanceBankWater"_s).asFloat());
}

std::unique_ptr<TAggregationList> TdmKelvoADO::LocationsFor(const ICollection& crops,
                                                            const QStringList& waterBodyCodes) {
    std::unique_ptr<TAggregationList> locations = LoadLocations();
    QList<TLocation*> failed;
    for (TLocation* location : locations->Items<TLocation>()) {
        bool growsCrop = false;
        for (auto it = crops.CreateIterator(); !it->IsDone() && !growsCrop;) {
            const auto* crop = dynamic_cast<const TCrop*>(it->Next());
            growsCrop = crop && location->CropCodes.contains(crop->CropCode, Qt::CaseInsensitive);
        }
        bool hasWaterBody = false;
        for (const QString& code : location->WaterBodyCodes)
            if (waterBodyCodes.contains(code, Qt::CaseInsensitive)) {
                hasWaterBody = true;
                break;
            }
        if (!growsCrop || !hasWaterBody) failed << location;
    }
    for (TLocation* location : failed) {
        locations->Remove(location);
        delete location;
    }
    return locations;
}

QString TdmKelvoADO::CurrentLocationCode() {
    if (!tblLocations.active() || tblLocations.isEmpty()) return {};
    return tblLocations.fieldByName(u"LocationCode"_s).asString();
}

QString TdmKelvoADO::CurrentCropCode() {
    if (!qryCrops.active() || qryCrops.isEmpty()) return {};
    return qryCrops.fieldByName(u"CropCode"_s).asString();
}

void TdmKelvoADO::ShowCropsAtCurrentLocation() {
    qryCropsAtLoc.close();
    qryCropsAtLoc.setParam(0, CurrentLocationCode());
    qryCropsAtLoc.open();
}

void TdmKelvoADO::ShowLocationsWithCurrentCrop() {
    qryLocationWithCrops.close();
    qryLocationWithCrops.setParam(0, CurrentCropCode());
    qryLocationWithCrops.open();
}

bool TdmKelvoADO::ShowLocationsAtWaterBody(const QString& waterBodyCode) {
    qryLocationsAtWaterbody.close();
    qryLocationsAtWaterbody.setParam(0, waterBodyCode);
    qryLocationsAtWaterbody.open();
    return qryLocationsAtWaterbody.active();
}
