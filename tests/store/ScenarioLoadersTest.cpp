#include "domain/Crop.h"
#include "domain/Location.h"
#include "domain/WaterBodyType.h"
#include "foundation/ConcreteCollections.h"
#include "store/CsvReader.h"
#include "store/DataModuleKelvoADO.h"
#include "support/DataModuleTest.h"

#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace {

TCsvTable Reference(const QString& table) {
    return ReadCsvFile(QString::fromUtf8(KELVO_DATA_SOURCE_DIR) + u"/reference/"_s + table + u".csv"_s);
}

// Column of the reference rows that pass the filter.
QStringList ReferenceColumn(const QString& table, int column,
                            const std::function<bool(const QStringList&)>& keep) {
    QStringList values;
    for (const QStringList& row : Reference(table).rows)
        if (keep(row)) values << row[column];
    return values;
}

QStringList Codes(const TAggregationList& list) {
    QStringList codes;
    for (const TRootObject* element : list)
        codes << element->DisplayText();
    return codes;
}

using ScenarioLoadersTest = TDataModuleTest;

TEST_F(ScenarioLoadersTest, CropListsFollowCropNrAndKeepTheDriftOnlyCropsForIncludeAll) {
    // Crops.csv is in CropNr order; CropNr is its third column.
    const QStringList all = ReferenceColumn(u"Crops"_s, 0, [](const QStringList&) { return true; });
    const QStringList focus =
        ReferenceColumn(u"Crops"_s, 0, [](const QStringList& row) { return row[2].toInt() <= 25; });
    ASSERT_EQ(all.size(), 29);
    ASSERT_EQ(focus.size(), 25);

    for (const bool includeAll : {false, true}) {
        SCOPED_TRACE(includeAll);
        const QStringList expected = includeAll ? all : focus;
        const std::unique_ptr<TAggregationList> crops = dm->LoadCrops(includeAll);
        QStringList codes;
        for (const TCrop* crop : crops->Items<TCrop>())
            codes << crop->CropCode;
        EXPECT_EQ(codes, expected);
        EXPECT_EQ(dm->LoadCropCodes(includeAll), expected);
        EXPECT_FALSE(dm->qryCrops.active());
    }
    // The boundary: crop number 25 stays, 26 is left out.
    EXPECT_EQ(focus.last(), u"Vines, late applns"_s);
    EXPECT_EQ(all.at(25), u"Appln, aerial"_s);
}

TEST_F(ScenarioLoadersTest, CropLookups) {
    struct TCase {
        QString code;
        bool found;
        QString name;
        int ganzelmeier;
        double distance;
        QString dirName;
        bool airBlast;
    };
    const TCase cases[] = {
        {u"Citrus"_s, true, u"Citrus"_s, 3, 3.0, u"CI"_s, true},
        {u"Maize"_s, true, u"Maize"_s, 1, 0.8, u"MZ"_s, false},
        {u"Appln, aerial"_s, true, u"Appln, aerial"_s, 7, 5.0, u"AA"_s, false},
        {u"maize"_s, false, {}, 0, 0, {}, false},
        {u"Rice"_s, false, {}, 0, 0, {}, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.code.toStdString());
        const std::unique_ptr<TCrop> crop = dm->LoadCrop(c.code);
        ASSERT_EQ(crop != nullptr, c.found);
        if (crop) {
            EXPECT_EQ(crop->CropCode, c.code);
            EXPECT_EQ(crop->Name, c.name);
            EXPECT_EQ(crop->DisplayText(), c.name);
            EXPECT_EQ(crop->GanzelmeierCode, c.ganzelmeier);
            EXPECT_DOUBLE_EQ(crop->DistanceCropBank, c.distance);
        }
        EXPECT_EQ(dm->CropName(c.code), c.name);
        EXPECT_EQ(dm->CropDirName(c.code), c.dirName);
        EXPECT_EQ(dm->IsAirBlastCrop(c.code), c.airBlast);
        EXPECT_FALSE(dm->tblCrops.active());
    }
    EXPECT_EQ(dm->SubstanceName(u"EXAMPLE_P"_s), u"Example parent"_s);
    EXPECT_EQ(dm->SubstanceName(u"NONE"_s), QString());
}

TEST_F(ScenarioLoadersTest, NameByCodeAndFirstColumnValuesLeaveAnOpenTableOnItsRow) {
    ASSERT_TRUE(dm->OpenLocations());
    dm->tblLocations.next();
    dm->tblLocations.next();
    ASSERT_EQ(dm->CurrentLocationCode(), u"D3"_s);

    EXPECT_EQ(dm->NameByCode(dm->tblLocations, u"R2"_s), u"Porto, Portugal"_s);
    EXPECT_TRUE(dm->tblLocations.active());
    // A code that is not found leaves the table where it was.
    EXPECT_EQ(dm->NameByCode(dm->tblLocations, u"X9"_s), QString());
    dm->tblLocations.setRecNo(3);
    const QStringList codes = {u"D1"_s, u"D2"_s, u"D3"_s, u"D4"_s, u"D5"_s,
                               u"D6"_s, u"R1"_s, u"R2"_s, u"R3"_s, u"R4"_s};
    EXPECT_EQ(dm->LocationCodes(), codes);
    EXPECT_TRUE(dm->tblLocations.active());
    EXPECT_EQ(dm->CurrentLocationCode(), u"D3"_s);

    dm->CloseLocations();
    EXPECT_EQ(dm->CurrentLocationCode(), QString());
    EXPECT_EQ(dm->LocationCodes(), codes);
    EXPECT_FALSE(dm->tblLocations.active());
    EXPECT_EQ(dm->NameByCode(dm->tblLocations, u"D5"_s), u"La Jaillière, France"_s);
    EXPECT_FALSE(dm->tblLocations.active());
}

TEST_F(ScenarioLoadersTest, LocationsCarryTheirWaterBodiesAndFirstCrops) {
    const std::unique_ptr<TAggregationList> locations = dm->LoadLocations();
    const TCsvTable reference = Reference(u"Locations"_s);
    ASSERT_EQ(locations->Count(), reference.rows.size());
    int position = 0;
    for (const TLocation* location : locations->Items<TLocation>()) {
        const QStringList& row = reference.rows[position++];
        SCOPED_TRACE(row[0].toStdString());
        EXPECT_EQ(location->LocationCode, row[0]);
        EXPECT_EQ(location->DisplayText(), row[0]);
        EXPECT_EQ(location->Name, row[1]);
        EXPECT_EQ(location->LocationTypeCode, row[2]);
        EXPECT_EQ(location->IsRunoff(), row[0].startsWith(u'R'));
        const auto atLocation = [&row](const QStringList& r) { return r[0] == row[0]; };
        EXPECT_EQ(location->WaterBodyCodes, ReferenceColumn(u"LocationxWaterBody"_s, 1, atLocation));
        EXPECT_EQ(QSet<QString>(location->CropCodes.begin(), location->CropCodes.end()), [&] {
            const QStringList crops = ReferenceColumn(u"CropsxLocations"_s, 1, [&row](const QStringList& r) {
                return r[0] == row[0] && r[2] == u"1st"_s;
            });
            return QSet<QString>(crops.begin(), crops.end());
        }());
    }
    EXPECT_EQ(dm->WaterBodyCodesAt(u"D4"_s), QStringList({u"focus_pond"_s, u"focus_stream"_s}));
    EXPECT_TRUE(dm->WaterBodyCodesAt(u"X1"_s).isEmpty());

    const QStringList maize = dm->FirstCropLocationCodes(u"Maize"_s);
    const QStringList expected = ReferenceColumn(
        u"CropsxLocations"_s, 0, [](const QStringList& r) { return r[1] == u"Maize"_s && r[2] == u"1st"_s; });
    EXPECT_EQ(QSet<QString>(maize.begin(), maize.end()), QSet<QString>(expected.begin(), expected.end()));
    EXPECT_FALSE(dm->qryLocationWithCrops.active());
}

TEST(TLocationTest, CopyOwnsItsLists) {
    TLocation original(u"R1"_s, u"Weiherbach, Germany"_s);
    original.LocationTypeCode = u"Runoff"_s;
    original.WaterBodyCodes = {u"focus_pond"_s, u"focus_stream"_s};
    original.CropCodes = {u"Maize"_s};
    const std::unique_ptr<TLocation> copy = original.Copy();
    original.WaterBodyCodes.clear();
    original.CropCodes << u"Potatoes"_s;
    EXPECT_EQ(copy->LocationCode, u"R1"_s);
    EXPECT_EQ(copy->Name, u"Weiherbach, Germany"_s);
    EXPECT_EQ(copy->LocationTypeCode, u"Runoff"_s);
    EXPECT_EQ(copy->WaterBodyCodes, QStringList({u"focus_pond"_s, u"focus_stream"_s}));
    EXPECT_EQ(copy->CropCodes, QStringList({u"Maize"_s}));
    EXPECT_TRUE(copy->IsRunoff());
}

TEST_F(ScenarioLoadersTest, WaterBodyTypes) {
    EXPECT_EQ(dm->GetWaterBodyCodes(), QStringList({u"focus_ditch"_s, u"focus_pond"_s, u"focus_stream"_s}));
    const std::unique_ptr<TWaterBodyType> pond = dm->LoadWaterBodyType(u"focus_pond"_s);
    ASSERT_TRUE(pond);
    EXPECT_EQ(pond->WaterBodyCode, u"focus_pond"_s);
    EXPECT_EQ(pond->Name, u"focus_pond"_s);
    EXPECT_EQ(pond->Width, 30);
    EXPECT_EQ(pond->SegmentLength, 30);
    EXPECT_EQ(pond->TotalLength, 30);
    EXPECT_DOUBLE_EQ(pond->Depth, 1.0);
    EXPECT_DOUBLE_EQ(pond->DistanceBankWater, 3.0);
    EXPECT_FALSE(dm->LoadWaterBodyType(u"focus_lake"_s));
    EXPECT_FALSE(dm->qryWaterBodyType.active());
}

TEST_F(ScenarioLoadersTest, LocationsForKeepsLocationsPassingBothTests) {
    const std::unique_ptr<TAggregationList> crops = dm->LoadCrops(false);
    const auto crop = [&crops](const QString& code) {
        for (TCrop* c : crops->Items<TCrop>())
            if (c->CropCode == code) return c;
        return static_cast<TCrop*>(nullptr);
    };
    // Expected answers from the reference rows.
    const auto expected = [](const QStringList& cropCodes, const QStringList& waterCodes) {
        QStringList codes;
        for (const QStringList& location : Reference(u"Locations"_s).rows) {
            bool grows = false;
            for (const QStringList& r : Reference(u"CropsxLocations"_s).rows)
                grows = grows || (r[0] == location[0] && r[2] == u"1st"_s && cropCodes.contains(r[1]));
            bool water = false;
            for (const QStringList& r : Reference(u"LocationxWaterBody"_s).rows)
                water = water || (r[0] == location[0] && waterCodes.contains(r[1], Qt::CaseInsensitive));
            if (grows && water) codes << location[0];
        }
        return codes;
    };
    struct TCase {
        const char* name;
        QStringList crops;
        QStringList water;
    };
    const TCase cases[] = {
        {"no crops", {}, {u"focus_ditch"_s, u"focus_pond"_s, u"focus_stream"_s}},
        {"no water body types", {u"Maize"_s, u"Potatoes"_s}, {}},
        {"maize on ponds", {u"Maize"_s}, {u"focus_pond"_s}},
        {"letter case of water codes", {u"Maize"_s}, {u"FOCUS_POND"_s}},
        {"two crops, ditch and stream",
         {u"Cereals, winter"_s, u"Vines, late applns"_s},
         {u"focus_ditch"_s, u"focus_stream"_s}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TAssociationList chosen;
        for (const QString& code : c.crops)
            chosen.Add(crop(code));
        const std::unique_ptr<TAggregationList> locations = dm->LocationsFor(chosen, c.water);
        EXPECT_EQ(Codes(*locations), expected(c.crops, c.water));
    }
    TAssociationList every;
    for (TCrop* c : crops->Items<TCrop>())
        every.Add(c);
    const QStringList allWater = dm->GetWaterBodyCodes();
    EXPECT_EQ(Codes(*dm->LocationsFor(every, allWater)), dm->LocationCodes());
    EXPECT_EQ(Codes(*dm->LocationsFor(every, {u"focus_pond"_s})), QStringList({u"D4"_s, u"D5"_s, u"R1"_s}));
}

TEST_F(ScenarioLoadersTest, InformationWindowQueriesFollowTheCurrentRows) {
    EXPECT_EQ(dm->CurrentCropCode(), QString());
    ASSERT_TRUE(dm->OpenLocations());
    ASSERT_TRUE(dm->OpenCrops());
    dm->tblLocations.setRecNo(7); // R1
    dm->ShowCropsAtCurrentLocation();
    QStringList crops;
    for (dm->qryCropsAtLoc.first(); !dm->qryCropsAtLoc.eof(); dm->qryCropsAtLoc.next())
        crops << dm->qryCropsAtLoc.fieldByName(u"CropCode"_s).asString();
    EXPECT_EQ(crops, dm->FirstCropCodesAt(u"R1"_s));

    ASSERT_EQ(dm->CurrentCropCode(), u"Cereals, spring"_s);
    const QStringList springCereals = dm->FirstCropLocationCodes(u"Cereals, spring"_s);
    dm->ShowLocationsWithCurrentCrop();
    EXPECT_EQ(dm->qryLocationWithCrops.recordCount(), springCereals.size());

    EXPECT_TRUE(dm->ShowLocationsAtWaterBody(u"focus_pond"_s));
    QStringList locations;
    for (dm->qryLocationsAtWaterbody.first(); !dm->qryLocationsAtWaterbody.eof();
         dm->qryLocationsAtWaterbody.next())
        locations << dm->qryLocationsAtWaterbody.fieldByName(u"LocationCode"_s).asString();
    EXPECT_EQ(locations, QStringList({u"D4"_s, u"D5"_s, u"R1"_s}));
}

} // namespace
