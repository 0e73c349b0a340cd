#include "foundation/Errors.h"
#include "foundation/Utils.h"
#include "store/Locate.h"
#include "store/SubstanceTestBase.h"

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString NextYear =
    u"Last day should always be later than First day, so Last day is assigned to next year."_s;
const QString TooSmall =
    u"application window too small: it must be > 30 d + ((no_of_appl -1) * min. interval)"_s;

// The default patterns of PAR, nine unlocked copies of the example parent's, as the pattern editor
// shows them. Winter cereals also grow at R2, but only as second crop.
class DefaultRulesTest : public TSubstanceTest {
protected:
    void SetUp() override {
        TSubstanceTest::SetUp();
        if (HasFatalFailure()) return;
        dm->dbKelvoADO.Execute(
            u"INSERT INTO CropsxLocations (LocationCode, CropCode, CropNr) VALUES ('R2', 'Cereals, winter', '2nd')"_s);
        ASSERT_TRUE(dm->OpenSubstanceAt(u"PAR"_s));
        ASSERT_TRUE(dm->OpenDefaults());
    }

    TTable& Defaults() { return dm->tblDefaults; }

    struct TPattern {
        QString crop;
        QString location;
        QString cropNr;
        int applications;
        int interval;
        int first;
        int last;
    };

    void Fill(const TPattern& p) {
        const auto set = [this](const QString& name, const QVariant& value) {
            Defaults().fieldByName(name).setValue(value);
        };
        set(u"CropCode"_s, p.crop);
        set(u"LocationCode"_s, p.location);
        set(u"CropNr"_s, p.cropNr);
        set(u"DefAppMethod"_s, u"ground spray"_s);
        set(u"DefNumberOfApps"_s, p.applications);
        set(u"DefMinIntervalApps"_s, p.interval);
        set(u"DefFirstDayYrApp"_s, p.first);
        set(u"DefLastDayYrApp"_s, p.last);
        set(u"DefRate"_s, 1.5);
    }

    // Posts and answers the refusal's text, empty when posted.
    QString Post() {
        try {
            Defaults().post();
        } catch (const EKelvoError& e) {
            return e.Message();
        }
        return {};
    }

    int Stored(const TPattern& p) {
        return dm->dbKelvoADO
            .Select(
                u"SELECT COUNT(*) FROM SubstancexCropxLocation WHERE SubstanceCode = 'PAR' AND CropCode = ? "
                "AND LocationCode = ? AND CropNr = ? AND DefFirstDayYrApp = ? AND DefLastDayYrApp = ?"_s,
                {p.crop, p.location, p.cropNr, p.first, p.last})
            .rows[0][0]
            .toInt();
    }
};

TEST_F(DefaultRulesTest, NewRowsAreCheckedBeforeTheyAreStored) {
    struct TCase {
        const char* name;
        TPattern pattern;
        QString refusal;
        bool warned;
        // The state after the refusal: a cancelled row is gone, a too small window stays in edit.
        TRecordSet::TState after;
    };
    using S = TRecordSet::TState;
    const TCase cases[] = {
        {"one day short", {u"Potatoes"_s, u"D6"_s, u"1st"_s, 1, 0, 100, 129}, TooSmall, false, S::Insert},
        {"exactly thirty days", {u"Potatoes"_s, u"D6"_s, u"1st"_s, 1, 0, 100, 130}, {}, false, S::Browse},
        {"repeats a row",
         {u"Potatoes"_s, u"D6"_s, u"1st"_s, 1, 0, 110, 160},
         u"Combination already exists."_s,
         false,
         S::Insert},
        {"crop not at the scenario",
         {u"Cereals, spring"_s, u"R2"_s, u"1st"_s, 1, 0, 100, 160},
         u"Invalid Crop - Scenario combination."_s,
         false,
         S::Insert},
        {"any crop-in-season counts",
         {u"Cereals, winter"_s, u"R2"_s, u"1st"_s, 1, 0, 100, 160},
         {},
         false,
         S::Browse},
        {"last day wraps to next year",
         {u"Field beans"_s, u"D6"_s, u"2nd"_s, 1, 0, 300, 30},
         {},
         true,
         S::Browse},
        {"same day wraps too", {u"Field beans"_s, u"D6"_s, u"1st"_s, 1, 0, 120, 120}, {}, true, S::Browse},
        {"three applications need 50 days",
         {u"Potatoes"_s, u"D6"_s, u"2nd"_s, 3, 10, 100, 149},
         TooSmall,
         false,
         S::Insert},
        {"three applications in 50 days",
         {u"Potatoes"_s, u"D6"_s, u"2nd"_s, 3, 10, 100, 150},
         {},
         false,
         S::Browse},
        {"wrapped window still too small",
         {u"Potatoes"_s, u"D3"_s, u"1st"_s, 2, 30, 350, 10},
         TooSmall,
         true,
         S::Insert},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int rows = Defaults().recordCount();
        Defaults().append();
        Fill(c.pattern);
        EXPECT_EQ(c.refusal, Post());
        EXPECT_EQ(ui.Take(), (c.warned ? TEntries{{TKind::Warning, NextYear}} : TEntries{}));
        EXPECT_EQ(c.after, Defaults().state());
        EXPECT_EQ(c.refusal.isEmpty() ? 1 : 0, Stored(c.pattern));
        EXPECT_EQ(rows + (c.refusal.isEmpty() ? 1 : 0), Defaults().recordCount());
        Defaults().cancel();
    }
}

TEST_F(DefaultRulesTest, EditedRowsMayRepeatACombinationAndWarnAtEveryPost) {
    ASSERT_TRUE(LocateByTextKeys(Defaults(), {u"PAR"_s, u"Cereals, winter"_s, u"D1"_s}, 3));
    Defaults().edit();
    Defaults().fieldByName(u"LocationCode"_s).setValue(u"D2"_s);
    Defaults().fieldByName(u"DefFirstDayYrApp"_s).setValue(200);
    Defaults().fieldByName(u"DefLastDayYrApp"_s).setValue(100);
    EXPECT_EQ(QString(), Post());
    EXPECT_EQ(ui.Take(), (TEntries{{TKind::Warning, NextYear}}));
    Defaults().edit();
    Defaults().fieldByName(u"DefRate"_s).setValue(2.0);
    EXPECT_EQ(QString(), Post());
    EXPECT_EQ(ui.Take(), (TEntries{{TKind::Warning, NextYear}}));
    EXPECT_EQ(1, Stored({u"Cereals, winter"_s, u"D2"_s, u"1st"_s, 1, 14, 200, 100}));

    // An edit that moves the crop off the scenario is refused and stays in edit for correction; nothing of
    // it is stored.
    Defaults().edit();
    Defaults().fieldByName(u"LocationCode"_s).setValue(u"R2"_s);
    Defaults().fieldByName(u"CropCode"_s).setValue(u"Cereals, spring"_s);
    EXPECT_EQ(u"Invalid Crop - Scenario combination."_s, Post());
    EXPECT_EQ(TRecordSet::TState::Edit, Defaults().state());
    EXPECT_EQ(u"R2"_s, Defaults().fieldByName(u"LocationCode"_s).asString());
    Defaults().cancel();
    EXPECT_EQ(u"D2"_s, Defaults().fieldByName(u"LocationCode"_s).asString());
    EXPECT_EQ(1, Stored({u"Cereals, winter"_s, u"D2"_s, u"1st"_s, 1, 14, 200, 100}));
}

TEST_F(DefaultRulesTest, LockedRowsAreNeverDeletedOthersAfterConfirmation) {
    const auto count = [this](const QString& code) {
        return dm->dbKelvoADO
            .Select(u"SELECT COUNT(*) FROM SubstancexCropxLocation WHERE SubstanceCode = ?"_s, {code})
            .rows[0][0]
            .toInt();
    };
    ASSERT_TRUE(dm->OpenSubstanceAt(u"EXAMPLE_P"_s));
    EXPECT_THROW(Defaults().deleteRecord(), EAbort);
    EXPECT_EQ(ui.Take(),
              (TEntries{{TKind::ErrorBox, u"Record is locked because it is a FOCUS predefined record"_s}}));
    EXPECT_EQ(9, count(u"EXAMPLE_P"_s));

    ASSERT_TRUE(dm->OpenSubstanceAt(u"PAR"_s));
    const QString question = u"Delete record ?"_s;
    ui.Answer(false, question);
    EXPECT_THROW(Defaults().deleteRecord(), EAbort);
    EXPECT_EQ(ui.Take(), (TEntries{{TKind::DestructiveQuestion, question}}));
    EXPECT_EQ(9, count(u"PAR"_s));
    ui.Answer(true, question);
    Defaults().deleteRecord();
    EXPECT_EQ(ui.Take(), (TEntries{{TKind::DestructiveQuestion, question}}));
    EXPECT_EQ(8, count(u"PAR"_s));
    EXPECT_EQ(8, Defaults().recordCount());
}

TEST_F(DefaultRulesTest, FirstAndLastShowTheDaysWithoutBeingStored) {
    ASSERT_FALSE(Defaults().isEmpty());
    EXPECT_EQ(DayNumberToText(Defaults().fieldByName(u"DefFirstDayYrApp"_s).asInteger()),
              dm->DefaultsFieldText(u"First"_s));
    Defaults().edit();
    Defaults().fieldByName(u"DefFirstDayYrApp"_s).setValue(32);
    Defaults().fieldByName(u"DefLastDayYrApp"_s).clear();
    EXPECT_EQ(DayNumberToText(32), dm->DefaultsFieldText(u"First"_s));
    EXPECT_EQ(QString(), dm->DefaultsFieldText(u"Last"_s));
    Defaults().cancel();
    const QStringList columns =
        dm->dbKelvoADO.Select(u"SELECT * FROM SubstancexCropxLocation LIMIT 1"_s).columns;
    EXPECT_FALSE(columns.contains(u"First"_s));
    dm->CloseDefaults();
    EXPECT_EQ(QString(), dm->DefaultsFieldText(u"First"_s));
}

TEST_F(DefaultRulesTest, CropScenarioAndPatternLookups) {
    struct TCropCase {
        QString crop;
        QString location;
        bool grown;
    };
    const TCropCase crops[] = {
        {u"Potatoes"_s, u"D6"_s, true},         {u"Cereals, winter"_s, u"R2"_s, true},
        {u"Cereals, spring"_s, u"R2"_s, false}, {u"potatoes"_s, u"D6"_s, false},
        {u"D6"_s, u"Potatoes"_s, false},
    };
    for (const TCropCase& c : crops)
        EXPECT_EQ(c.grown, dm->IsCropAtLocation(c.crop, c.location))
            << c.crop.toStdString() << " at " << c.location.toStdString();
    EXPECT_FALSE(dm->tblCropsLocations.active());

    EXPECT_TRUE(dm->DefaultPatternExists(u"PAR"_s, u"Cereals, winter"_s, u"D1"_s, u"1st"_s));
    EXPECT_FALSE(dm->DefaultPatternExists(u"PAR"_s, u"Cereals, winter"_s, u"D1"_s, u"2nd"_s));
    EXPECT_FALSE(dm->DefaultPatternExists(u"PAR"_s, u"Cereals, winter"_s, u"R2"_s, u"1st"_s));
    // Only the patterns of the current substance are looked at.
    EXPECT_FALSE(dm->DefaultPatternExists(u"EXAMPLE_P"_s, u"Cereals, winter"_s, u"D1"_s, u"1st"_s));
    EXPECT_FALSE(dm->tblDefaultsInsert.active());
}

} // namespace
