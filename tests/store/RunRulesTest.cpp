#include "domain/Run.h"
#include "domain/RunApplication.h"
#include "foundation/Errors.h"
#include "store/DataModuleKelvoADO.h"
#include "store/Locate.h"
#include "support/DataModuleTest.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const QString windowTooSmall =
    u"application window too small: it must be > 30 d + ((no_of_appl -1) * min. interval)"_s;
const QString nextYear =
    u"Last day should always be later than First day, so Last day is assigned to next year."_s;

struct TRunSpec {
    int number;
    const char* location;
    const char* water;
    const char* suffix;
    const char* crop = "Maize";
};

// A project of maize runs at a drainage scenario (D4: pond and stream), two runoff scenarios (R1, R2)
// and a potato run at R1, stored through the run operations, with the project browser's record sets open.
class RunRulesTest : public TDataModuleTest {
protected:
    void SetUp() override {
        TDataModuleTest::SetUp();
        if (HasFatalFailure()) return;
        TConnection& db = dm->dbKelvoADO;
        db.Execute(u"INSERT INTO Projects (ProjectID, Name, SubstanceCode) VALUES (4, 'P', 'EXAMPLE_P')"_s);
        db.Execute(u"INSERT INTO ToxswaMap (MapID, Name, Focus) VALUES (1, 'P', 1)"_s);
        db.Execute(u"INSERT INTO MapxProject (MapID, ProjectID) VALUES (1, 4)"_s);
        const TRunSpec runs[] = {
            {1, "D4", "focus_pond", "_pa"}, {1, "D4", "focus_stream", "_pa"}, {1, "D4", "focus_pond", "_m1"},
            {2, "D5", "focus_pond", "_pa"}, {3, "R1", "focus_pond", "_pa"},   {3, "R1", "focus_stream", "_pa"},
            {4, "R2", "focus_stream", "_pa"}, {5, "R1", "focus_stream", "_pa", "Potatoes"},
        };
        for (const TRunSpec& spec : runs) {
            TRun run;
            run.CropCode = QString::fromLatin1(spec.crop);
            run.LocationCode = QString::fromLatin1(spec.location);
            run.WaterbodyCode = QString::fromLatin1(spec.water);
            run.CropNr = u"1st"_s;
            run.AppMethod = u"ground spray"_s;
            run.NumberOfApps = 1;
            run.FirstDayYrApp = 100;
            run.LastDayYrApp = 130;
            run.MinIntervalApps = 1;
            run.Selected = true;
            run.SetRunID(spec.number, QString::fromLatin1(spec.suffix));
            run.SetNumberOfApplications(1);
            ASSERT_TRUE(run.InsertRecord(4));
            ASSERT_TRUE(run.InsertApplicationRecords());
        }
        dm->CloseRunInsert();
        ASSERT_TRUE(dm->OpenProjects());
        ASSERT_TRUE(dm->OpenRuns());
    }

    TTable& runs() { return dm->tblRuns; }
    TTable& apps() { return dm->tblApplications; }
    TField& field(const char* name) { return runs().fieldByName(QString::fromLatin1(name)); }

    void Go(const QString& runId) { ASSERT_TRUE(LocateByTextKeys(runs(), {runId}, 1)) << runId.toStdString(); }

    // The stored pattern of a run: method, N, first, last, interval, texts, and the rates of its applications.
    QString Stored(const QString& runId) {
        const TSqlResult run = dm->dbKelvoADO.Select(
            u"SELECT AppMethod, NumberOfApps, FirstDayYrApp, LastDayYrApp, MinIntervalApps, "
            "FirstDayYrAppJulian, LastDayYrAppJulian FROM Runs WHERE RunID = ?"_s,
            {runId});
        QStringList parts;
        for (const QVariant& v : run.rows.at(0))
            parts << v.toString();
        QStringList rates;
        for (const TSqlRow& r : dm->dbKelvoADO
                                    .Select(u"SELECT Rate FROM Applications WHERE RunID = ? ORDER BY ApplicationNr"_s,
                                            {runId})
                                    .rows)
            rates << r[0].toString();
        return parts.join(u'|') + u" rates "_s + rates.join(u',');
    }

    QString Untouched() { return u"ground spray|1|100|130|1|10-Apr|10-May rates 1"_s; }
};

TEST_F(RunRulesTest, ApplicationWindowArithmetic) {
    struct Case {
        int n, interval, first, last;
        bool valid, warned;
    } cases[] = {
        {2, 10, 100, 140, true, false},  // 40 = 30 + 10: equality accepted
        {2, 10, 100, 139, false, false}, // one day short
        {1, 0, 300, 20, true, true},     // wraps into the next year: 85 days
        {8, 47, 5, 5, true, true},       // first = last: 365 days >= 30 + 7 * 47
        {8, 48, 5, 5, false, true},      // 365 days < 30 + 7 * 48
    };
    TQuery q(&dm->dbKelvoADO, u"q"_s, {u"select * from Runs where RunID = '00001p_pa'"_s});
    q.open();
    for (const Case& c : cases) {
        q.edit();
        q.fieldByName(u"NumberOfApps"_s).setAsInteger(c.n);
        q.fieldByName(u"MinIntervalApps"_s).setAsInteger(c.interval);
        q.fieldByName(u"FirstDayYrApp"_s).setAsInteger(c.first);
        q.fieldByName(u"LastDayYrApp"_s).setAsInteger(c.last);
        bool valid = true;
        try {
            dm->CheckApplicationWindow(q, true);
        } catch (const EKelvoError& e) {
            EXPECT_EQ(windowTooSmall, e.Message());
            valid = false;
        }
        EXPECT_EQ(c.valid, valid) << c.first << ".." << c.last;
        EXPECT_EQ(c.warned ? QStringList{nextYear} : QStringList{}, ui.TakeTexts());
        q.cancel();
    }
}

TEST_F(RunRulesTest, PostRefusesATooSmallWindowAndKeepsTheRowInEdit) {
    Go(u"00001p_pa"_s);
    runs().edit();
    field("MinIntervalApps").setAsInteger(1);
    field("LastDayYrApp").setAsInteger(129);
    ui.Take(); // the change event reports the window at once
    try {
        runs().post();
        ADD_FAILURE();
    } catch (const EKelvoError& e) {
        EXPECT_EQ(windowTooSmall, e.Message());
    }
    EXPECT_EQ(TRecordSet::TState::Edit, runs().state());
    EXPECT_EQ(Untouched(), Stored(u"00001p_pa"_s));
}

TEST_F(RunRulesTest, AnIntervalThatMakesTheWindowTooSmallIsRefusedAndTheOldOneKept) {
    Go(u"00001p_pa"_s);
    runs().edit();
    field("LastDayYrApp").setAsInteger(200); // a window of 100 days
    field("NumberOfApps").setAsInteger(3);
    struct Case {
        int interval;
        bool accepted;
        int kept;
    } cases[] = {
        {35, true, 35},  // 30 + 2 * 35 = 100: exactly the window
        {36, false, 35}, // one day more than the window holds
        {1, true, 1},
        {200, false, 1},
    };
    for (const Case& c : cases) {
        bool accepted = true;
        try {
            field("MinIntervalApps").setAsInteger(c.interval);
        } catch (const EKelvoError& e) {
            EXPECT_EQ(windowTooSmall, e.Message());
            accepted = false;
        }
        EXPECT_EQ(c.accepted, accepted) << c.interval;
        EXPECT_EQ(c.kept, field("MinIntervalApps").asInteger()) << c.interval;
        EXPECT_EQ(TRecordSet::TState::Edit, runs().state());
    }
    EXPECT_EQ(QStringList{}, ui.TakeTexts());
    EXPECT_THROW(field("MinIntervalApps").setAsInteger(50), EKelvoError);
    runs().post();
    EXPECT_EQ(u"ground spray|3|100|200|1|10-Apr|19-Jul rates 1,1,1"_s, Stored(u"00001p_pa"_s));
}

TEST_F(RunRulesTest, PostingADrainageRunSpreadsThePatternToItsSiblingsOnly) {
    Go(u"00001p_pa"_s);
    runs().edit();
    field("LastDayYrApp").setAsInteger(200);
    field("MinIntervalApps").setAsInteger(14);
    field("NumberOfApps").setAsInteger(2);
    apps().first();
    apps().edit();
    apps().fieldByName(u"Rate"_s).setAsFloat(0.75);
    apps().post();
    runs().post();

    const QString expected = u"ground spray|2|100|200|14|10-Apr|19-Jul rates 0.75,1"_s;
    EXPECT_EQ(expected, Stored(u"00001p_pa"_s));
    EXPECT_EQ(expected, Stored(u"00001s_pa"_s));
    EXPECT_EQ(expected, Stored(u"00001p_m1"_s));
    EXPECT_EQ(Untouched(), Stored(u"00002p_pa"_s)) << "another drainage scenario of the crop";
    EXPECT_EQ(Untouched(), Stored(u"00003p_pa"_s));
}

TEST_F(RunRulesTest, PostingARunoffRunSpreadsMethodNumberAndApplicationsToTheOtherRunoffRuns) {
    dm->dbKelvoADO.Execute(u"UPDATE Runs SET FirstDayYrApp = 150, LastDayYrApp = 250 WHERE RunID = '00004s_pa'"_s);
    Go(u"00003p_pa"_s);
    runs().edit();
    field("AppMethod").setAsString(u"granular"_s);
    field("LastDayYrApp").setAsInteger(160);
    field("NumberOfApps").setAsInteger(3);
    runs().post();

    EXPECT_EQ(u"granular|3|100|160|1|10-Apr|09-Jun rates 1,1,1"_s, Stored(u"00003s_pa"_s)) << "sibling";
    EXPECT_EQ(u"granular|3|150|250|1|10-Apr|10-May rates 1,1,1"_s, Stored(u"00004s_pa"_s))
        << "other runoff run: own dates and interval";
    EXPECT_EQ(Untouched(), Stored(u"00001p_pa"_s));
    EXPECT_EQ(Untouched(), Stored(u"00005s_pa"_s)) << "another crop";
}

TEST_F(RunRulesTest, RunoffCrossCheckNamesTheFirstRunWhoseWindowIsTooSmall) {
    dm->dbKelvoADO.Execute(u"UPDATE Runs SET LastDayYrApp = 140, MinIntervalApps = 10 WHERE RunID = '00004s_pa'"_s);
    Go(u"00003p_pa"_s);
    runs().edit();
    field("LastDayYrApp").setAsInteger(300);
    field("MinIntervalApps").setAsInteger(10);
    field("NumberOfApps").setAsInteger(3); // 40 days at R2 < 30 + 2 * 10
    try {
        runs().post();
        ADD_FAILURE();
    } catch (const EKelvoError& e) {
        EXPECT_EQ(u"Application window too small for run 00004s_pa. It must be > 30 d + ((no_of_appl -1) * "
                  "min. interval).\n\rN.B. All R scenarios should have the same appln rate, appln method and no "
                  "of applns for one crop."_s,
                  e.Message());
    }
    EXPECT_EQ(TRecordSet::TState::Edit, runs().state());
}

TEST_F(RunRulesTest, NumberOfApplicationsOutsideItsLimitsRevertsTheRow) {
    struct Case {
        QVariant n;
        QString message;
    } cases[] = {{QVariant(), u"Number of Application must be > 0"_s},
                 {0, u"Number of Application must be > 0"_s},
                 {9, u"Maximum umber of Application is 8"_s}};
    Go(u"00001p_pa"_s);
    for (const Case& c : cases) {
        runs().edit();
        field("MinIntervalApps").setAsInteger(2);
        try {
            field("NumberOfApps").setValue(c.n);
            ADD_FAILURE();
        } catch (const EKelvoError& e) {
            EXPECT_EQ(c.message, e.Message());
        }
        EXPECT_EQ(TRecordSet::TState::Browse, runs().state());
        EXPECT_EQ(1, field("MinIntervalApps").asInteger()) << "every unposted change is dropped";
    }
    // A number whose window is too small: the error is shown and the edit cancelled silently.
    runs().edit();
    field("MinIntervalApps").setAsInteger(30);
    EXPECT_THROW(field("NumberOfApps").setAsInteger(2), EAbort);
    EXPECT_EQ(QStringList{windowTooSmall}, ui.TakeTexts());
    EXPECT_EQ(TRecordSet::TState::Browse, runs().state());
    EXPECT_EQ(1, apps().recordCount());
}

TEST_F(RunRulesTest, ApplicationsFollowTheNumberFromTheEnd) {
    Go(u"00001p_pa"_s);
    apps().edit();
    apps().fieldByName(u"Rate"_s).setAsFloat(0.5);
    apps().post();
    runs().edit();
    field("LastDayYrApp").setAsInteger(300);
    field("NumberOfApps").setAsInteger(4);
    EXPECT_EQ(4, apps().recordCount());
    QStringList numbers;
    for (apps().first(); !apps().eof(); apps().next())
        numbers << apps().fieldByName(u"ApplicationNr"_s).asString() + u":"_s + apps().fieldByName(u"Rate"_s).asString();
    EXPECT_EQ((QStringList{u"1:0.5"_s, u"2:0.5"_s, u"3:0.5"_s, u"4:0.5"_s}), numbers);
    field("NumberOfApps").setAsInteger(1);
    EXPECT_EQ(1, apps().recordCount());
    apps().first();
    EXPECT_EQ(1, apps().fieldByName(u"ApplicationNr"_s).asInteger());

    // The applications grid cannot grow beyond the number of applications.
    apps().append();
    EXPECT_EQ(TRecordSet::TState::Browse, apps().state());
}

TEST_F(RunRulesTest, DayTextIsStoredAsTypedAndSetsTheDayNumber) {
    Go(u"00001p_pa"_s);
    runs().edit();
    field("LastDayYrAppJulian").setAsString(u"12-sep"_s);
    EXPECT_EQ(255, field("LastDayYrApp").asInteger());
    EXPECT_EQ(u"12-sep"_s, field("LastDayYrAppJulian").asString());
    try {
        field("FirstDayYrAppJulian").setAsString(u"31-apr"_s);
        ADD_FAILURE();
    } catch (const EKelvoError& e) {
        EXPECT_EQ("Invalid date. Use format dd-mmm (e.g. 12-sep)", e.Message().toStdString());
    }
    EXPECT_EQ(100, field("FirstDayYrApp").asInteger());
    EXPECT_EQ(u"10-Apr"_s, field("FirstDayYrAppJulian").asString());

    // A day number sets its text; a day in the next year is announced.
    field("FirstDayYrApp").setAsInteger(300);
    EXPECT_EQ(u"27-Oct"_s, field("FirstDayYrAppJulian").asString());
    EXPECT_EQ(QStringList{nextYear}, ui.TakeTexts());
    runs().post();
    EXPECT_EQ(u"ground spray|1|300|255|1|27-Oct|12-sep rates 1"_s, Stored(u"00001p_pa"_s));
}

TEST_F(RunRulesTest, CopyPatternSkipsRunsWhoseWindowIsTooSmall) {
    dm->dbKelvoADO.Execute(u"UPDATE Runs SET LastDayYrApp = 300 WHERE RunID IN ('00001p_pa', '00004s_pa')"_s);
    runs().refresh();
    Go(u"00001p_pa"_s);
    runs().edit();
    field("MinIntervalApps").setAsInteger(20);
    field("NumberOfApps").setAsInteger(3);
    runs().post(); // siblings of number 1 take it all
    EXPECT_EQ(QStringList({u"00002p_pa"_s, u"00003p_pa"_s, u"00003s_pa"_s}), dm->CopyPatternToCropRuns());
    EXPECT_EQ(u"ground spray|3|100|300|20|10-Apr|10-May rates 1,1,1"_s, Stored(u"00004s_pa"_s))
        << "the related run keeps its own days";
    EXPECT_EQ(Untouched(), Stored(u"00002p_pa"_s));
    EXPECT_EQ(Untouched(), Stored(u"00005s_pa"_s));
}

TEST_F(RunRulesTest, RunsAreNeitherInsertedByHandNorDeletedWithoutConfirmation) {
    runs().append();
    EXPECT_EQ(TRecordSet::TState::Browse, runs().state());

    dm->dbKelvoADO.Execute(u"INSERT INTO ApplicationSchemes (ApplicationSchemeID, Name) VALUES (1210, 's')"_s);
    dm->dbKelvoADO.Execute(u"UPDATE Runs SET ApplicationSchemeID = 1210 WHERE RunID = '00001p_pa'"_s);
    runs().refresh();
    Go(u"00001p_pa"_s);
    ui.Answer(false, u"Are you sure?"_s);
    EXPECT_THROW(runs().deleteRecord(), EAbort);
    ui.Answer(true, u"Are you sure?"_s);
    runs().deleteRecord();
    ui.Take();
    EXPECT_TRUE(dm->dbKelvoADO.Select(u"SELECT * FROM Runs WHERE RunID = '00001p_pa'"_s).rows.isEmpty());
    EXPECT_TRUE(dm->dbKelvoADO.Select(u"SELECT * FROM ApplicationSchemes"_s).rows.isEmpty());
    EXPECT_TRUE(dm->dbKelvoADO.Select(u"SELECT * FROM Applications WHERE RunID = '00001p_pa'"_s).rows.isEmpty());
}

} // namespace
