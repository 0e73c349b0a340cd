#include "store/RecordSet.h"
#include "foundation/Errors.h"
#include "store/Connection.h"
#include "store/EventHook.h"
#include "support/KelvoTest.h"

#include <QLocale>
#include <QTemporaryDir>
#include <cmath>
#include <functional>
#include <limits>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

// A small database of masters and details, enough to show the record-set semantics.
class RecordSetTest : public TKelvoTest {
protected:
    void SetUp() override {
        TKelvoTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        db.Create(dir.filePath(u"t.sqlite"_s));
        db.ExecuteScript(uR"(
            CREATE TABLE Masters (Code VARCHAR(10) PRIMARY KEY, Name VARCHAR(20), Weight REAL, Flag BOOLEAN);
            CREATE TABLE Details (Code VARCHAR(10) REFERENCES Masters(Code) ON DELETE CASCADE,
                                  Nr SMALLINT, Day INTEGER, Sort VARCHAR(10), Stamp DATETIME,
                                  PRIMARY KEY (Code, Nr));
            INSERT INTO Masters VALUES ('B', 'second', 2.5, 0), ('A', 'first', 1.25, 1), ('C', 'third', NULL, 0);
            INSERT INTO Details VALUES ('A', 2, 20, 'b', NULL), ('A', 1, 10, 'c', '1999-09-12T00:00:00'),
                                       ('A', 3, 30, 'a', NULL), ('B', 1, 5, 'x', NULL);
        )"_s);
    }

    TTable& masters() {
        if (!m) {
            m = std::make_unique<TTable>(&db, u"tblMasters"_s, u"Masters"_s);
            m->addField(u"Code"_s, TFieldType::String, 10);
            m->addField(u"Name"_s, TFieldType::String, 20);
            m->addField(u"Weight"_s, TFieldType::Float).setRange(0, 999).setDisplayFormat(u"0.00"_s);
            m->addField(u"Flag"_s, TFieldType::Boolean);
            m->setIndexFieldNames(u"Code"_s);
        }
        return *m;
    }

    TTable& details() {
        if (!d) {
            d = std::make_unique<TTable>(&db, u"tblDetails"_s, u"Details"_s);
            d->addField(u"Code"_s, TFieldType::String, 10);
            d->addField(u"Nr"_s, TFieldType::SmallInt);
            d->addField(u"Day"_s, TFieldType::Integer).setRequired(true).setRange(1, 366);
            d->addField(u"Sort"_s, TFieldType::String, 10);
            d->addField(u"Stamp"_s, TFieldType::DateTime);
            d->setIndexFieldNames(u"Nr"_s);
            d->setMasterLink(&masters(), u"Code"_s, u"Code"_s);
        }
        return *d;
    }

    QStringList column(TRecordSet& rs, const QString& name) {
        QStringList values;
        for (int r = 0; r < rs.rowCount(); ++r)
            values << rs.fieldByName(name).plainText(rs.valueAt(r, rs.fieldByName(name).index()));
        return values;
    }

    QTemporaryDir dir;
    TConnection db;
    std::unique_ptr<TTable> m;
    std::unique_ptr<TTable> d;
};

TEST_F(RecordSetTest, SnapshotsAreIsolatedUntilReopenedOrRefreshed) {
    TTable one(&db, u"one"_s, u"Masters"_s);
    TTable two(&db, u"two"_s, u"Masters"_s);
    one.open();
    two.open();
    ASSERT_EQ(3, two.recordCount());

    one.append();
    one.fieldByName(u"Code"_s).setAsString(u"D"_s);
    one.post();
    one.first();
    one.edit();
    one.fieldByName(u"Name"_s).setAsString(u"changed"_s);
    one.post();

    EXPECT_EQ(4, one.recordCount());
    EXPECT_EQ(3, two.recordCount());
    EXPECT_EQ(u"second"_s, two.fieldByName(u"Name"_s).asString()) << "the other snapshot still shows the old row";
    two.refresh();
    EXPECT_EQ(4, two.recordCount());
    EXPECT_EQ(u"changed"_s, two.fieldByName(u"Name"_s).asString()) << "refresh stays on the same row";
}

TEST_F(RecordSetTest, IndexOrderAndClientSideSort) {
    masters().open();
    EXPECT_EQ((QStringList{u"A"_s, u"B"_s, u"C"_s}), column(masters(), u"Code"_s));
    masters().first();
    details().open();
    EXPECT_EQ((QStringList{u"1"_s, u"2"_s, u"3"_s}), column(details(), u"Nr"_s));
    details().setSort(u"Sort"_s);
    EXPECT_EQ((QStringList{u"3"_s, u"2"_s, u"1"_s}), column(details(), u"Nr"_s));
    details().refresh();
    EXPECT_EQ((QStringList{u"3"_s, u"2"_s, u"1"_s}), column(details(), u"Nr"_s)) << "the sort survives a refresh";
}

TEST_F(RecordSetTest, DetailFollowsItsMasterAndTakesItsLinkValues) {
    masters().open();
    details().open();
    EXPECT_EQ(3, details().recordCount());
    masters().next();
    EXPECT_EQ(u"B"_s, masters().fieldByName(u"Code"_s).asString());
    EXPECT_EQ(1, details().recordCount());
    masters().next();
    EXPECT_TRUE(details().isEmpty());

    details().append();
    EXPECT_EQ(u"C"_s, details().fieldByName(u"Code"_s).asString());
    details().fieldByName(u"Nr"_s).setAsInteger(1);
    details().fieldByName(u"Day"_s).setAsInteger(100);
    details().post();
    EXPECT_EQ(1, db.Select(u"SELECT COUNT(*) FROM Details WHERE Code = 'C'"_s).rows[0][0].toInt());

    // Moving the master posts the detail's pending change first.
    details().edit();
    details().fieldByName(u"Day"_s).setAsInteger(101);
    masters().first();
    EXPECT_EQ(101, db.Select(u"SELECT Day FROM Details WHERE Code = 'C'"_s).rows[0][0].toInt());

    masters().close();
    EXPECT_TRUE(details().isEmpty()) << "a closed master shows no details";
}

TEST_F(RecordSetTest, FieldRefusesValuesOutOfRangeWithTheDataLayerMessage) {
    struct Case {
        const char* field;
        QVariant value;
        const char* message;
    } cases[] = {
        {"Day", 0, "0 is not a valid value for field 'Day'. The allowed range is 1 to 366"},
        {"Day", 367, "367 is not a valid value for field 'Day'. The allowed range is 1 to 366"},
        {"Day", u"abc"_s, "'abc' is not a valid integer value for field 'Day'"},
    };
    masters().open();
    details().open();
    details().edit();
    for (const Case& c : cases) {
        try {
            details().fieldByName(QString::fromLatin1(c.field)).setValue(c.value);
            ADD_FAILURE() << "accepted " << c.value.toString().toStdString();
        } catch (const EKelvoError& e) {
            EXPECT_EQ(c.message, e.Message().toStdString());
        }
        EXPECT_EQ(10, details().fieldByName(u"Day"_s).asInteger()) << "the old value stays";
        EXPECT_EQ(TRecordSet::TState::Edit, details().state()) << "the row stays in edit state";
    }
    masters().edit();
    try {
        masters().fieldByName(u"Weight"_s).setAsFloat(1000);
        ADD_FAILURE();
    } catch (const EKelvoError& e) {
        EXPECT_EQ("1000 is not a valid value for field 'Weight'. The allowed range is 0 to 999",
                  e.Message().toStdString());
    }
    masters().fieldByName(u"Weight"_s).setAsFloat(999);
    EXPECT_EQ(u"999.00"_s, masters().fieldByName(u"Weight"_s).displayText());
}

// Not-a-number, infinity and numbers beyond the column are refused, ranged field or not, naming the
// field and showing the value once, a long one cut short.
TEST_F(RecordSetTest, FieldRefusesValuesThatDoNotFitNamingTheField) {
    const QString longText = u"1"_s.repeated(400);
    struct Case {
        bool master;
        const char* field;
        QVariant value;
        QString message;
    } cases[] = {
        {true, "Weight", u"nan"_s, u"'nan' is not a valid value for field 'Weight'"_s},
        {true, "Weight", u" inf "_s, u"'inf' is not a valid value for field 'Weight'"_s},
        {true, "Weight", u"-inf"_s, u"'-inf' is not a valid value for field 'Weight'"_s},
        {true, "Weight", u"1e999"_s, u"'1e999' is not a valid value for field 'Weight'"_s},
        {true, "Weight", std::nan(""), u"'nan' is not a valid value for field 'Weight'"_s},
        {true, "Weight", HUGE_VAL, u"'inf' is not a valid value for field 'Weight'"_s},
        {true, "Weight", u"nannan"_s, u"'nannan' is not a valid floating point value for field 'Weight'"_s},
        {true, "Weight", longText + u'x', u"'%1...' is not a valid floating point value for field 'Weight'"_s.arg(
                                                    longText.left(40))},
        {true, "Name", longText, u"'%1...' is too long for field 'Name' (at most 20 characters)"_s.arg(
                                     longText.left(40))},
        {false, "Nr", 40000, u"'40000' is not a valid value for field 'Nr'"_s},
        {false, "Nr", u"-40000"_s, u"'-40000' is not a valid value for field 'Nr'"_s},
        {false, "Day", 1e12, u"'1e+12' is not a valid value for field 'Day'"_s},
        {false, "Day", u"99999999999"_s, u"'99999999999' is not a valid value for field 'Day'"_s},
        {false, "Day", std::nan(""), u"'nan' is not a valid value for field 'Day'"_s},
        {false, "Day", longText, u"'%1...' is not a valid integer value for field 'Day'"_s.arg(longText.left(40))},
    };
    masters().open();
    details().open();
    masters().edit();
    details().edit();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        TRecordSet& rs = c.master ? masters() : details();
        TField& field = rs.fieldByName(QString::fromLatin1(c.field));
        const QVariant before = field.value();
        try {
            field.setValue(c.value);
            ADD_FAILURE() << "accepted " << c.value.toString().toStdString();
        } catch (const EKelvoError& e) {
            EXPECT_EQ(c.message, e.Message());
        }
        EXPECT_EQ(before, field.value()) << "the old value stays";
    }
    masters().fieldByName(u"Weight"_s).setAsString(u"1e-300"_s);
    EXPECT_EQ(1e-300, masters().fieldByName(u"Weight"_s).asFloat());
    details().fieldByName(u"Nr"_s).setValue(-32768);
    EXPECT_EQ(-32768, details().fieldByName(u"Nr"_s).asInteger());
}

TEST_F(RecordSetTest, PostRefusesAMissingRequiredValueAndKeepsTheRow) {
    masters().open();
    details().open();
    details().append();
    details().fieldByName(u"Nr"_s).setAsInteger(9);
    try {
        details().post();
        ADD_FAILURE();
    } catch (const EKelvoError& e) {
        EXPECT_EQ("Field 'Day' must have a value", e.Message().toStdString());
    }
    EXPECT_EQ(TRecordSet::TState::Insert, details().state());
    EXPECT_EQ(9, details().fieldByName(u"Nr"_s).asInteger());
    details().fieldByName(u"Day"_s).setAsInteger(1);
    details().post();
    EXPECT_EQ(4, details().recordCount());
}

TEST_F(RecordSetTest, EventsRunInTheirOrder) {
    QStringList log;
    masters().open();
    details().open();
    TTable& t = details();
    t.beforeEdit = [&](TRecordSet&) { log << u"beforeEdit"_s; };
    t.beforePost = [&](TRecordSet&) { log << u"beforePost"_s; };
    t.afterPost = [&](TRecordSet&) { log << u"afterPost"_s; };
    t.afterInsert = [&](TRecordSet&) { log << u"afterInsert"_s; };
    t.beforeDelete = [&](TRecordSet&) { log << u"beforeDelete"_s; };
    t.afterDelete = [&](TRecordSet&) { log << u"afterDelete"_s; };
    t.afterScroll = [&](TRecordSet&) { log << u"afterScroll"_s; };
    t.fieldByName(u"Day"_s).onValidate = [&](TField& f) { log << u"validate %1"_s.arg(f.asInteger()); };
    t.fieldByName(u"Day"_s).onChange = [&](TField& f) { log << u"change %1"_s.arg(f.asInteger()); };

    t.edit();
    t.fieldByName(u"Day"_s).setAsInteger(11);
    t.next(); // posts on the way
    t.deleteRecord();
    t.append();
    t.cancel();
    EXPECT_EQ((QStringList{u"beforeEdit"_s, u"validate 11"_s, u"change 11"_s, u"beforePost"_s, u"afterPost"_s,
                           u"afterScroll"_s, u"beforeDelete"_s, u"afterDelete"_s, u"afterScroll"_s,
                           u"afterInsert"_s, u"afterScroll"_s, u"afterScroll"_s}),
              log);
}

TEST_F(RecordSetTest, ValidateReadsTheNewValueAndItsRefusalKeepsTheOld) {
    masters().open();
    details().open();
    details().fieldByName(u"Day"_s).onValidate = [](TField& f) {
        if (f.asInteger() == 13) throw EKelvoError(u"unlucky"_s);
    };
    details().edit();
    EXPECT_THROW(details().fieldByName(u"Day"_s).setAsInteger(13), EKelvoError);
    EXPECT_EQ(10, details().fieldByName(u"Day"_s).asInteger());
    EXPECT_FALSE(details().modified());
}

TEST_F(RecordSetTest, SilentCancelFromARuleChangesNothing) {
    masters().open();
    masters().beforeDelete = [](TRecordSet&) { Abort(); };
    masters().beforeEdit = [](TRecordSet&) { Abort(); };
    EXPECT_THROW(masters().deleteRecord(), EAbort);
    EXPECT_THROW(masters().edit(), EAbort);
    EXPECT_EQ(TRecordSet::TState::Browse, masters().state());
    EXPECT_EQ(3, db.Select(u"SELECT COUNT(*) FROM Masters"_s).rows[0][0].toInt());

    // A rule may cancel a new row at once.
    details().open();
    details().afterInsert = [](TRecordSet& rs) { rs.cancel(); };
    details().append();
    EXPECT_EQ(TRecordSet::TState::Browse, details().state());
    EXPECT_EQ(3, details().recordCount());
}

TEST_F(RecordSetTest, ChangeEventMayCancelTheWholeRow) {
    masters().open();
    masters().edit();
    masters().fieldByName(u"Name"_s).setAsString(u"dropped"_s);
    masters().fieldByName(u"Weight"_s).onChange = [](TField& f) {
        f.dataSet().cancel();
        throw EKelvoError(u"refused"_s);
    };
    EXPECT_THROW(masters().fieldByName(u"Weight"_s).setAsFloat(3), EKelvoError);
    EXPECT_EQ(TRecordSet::TState::Browse, masters().state());
    EXPECT_EQ(u"first"_s, masters().fieldByName(u"Name"_s).asString());
}

TEST_F(RecordSetTest, TransactionRollbackUndoesChangesOfEveryRecordSet) {
    masters().open();
    details().open();
    db.BeginTrans();
    masters().edit();
    masters().fieldByName(u"Name"_s).setAsString(u"renamed"_s);
    masters().post();
    details().deleteRecord();
    TTable other(&db, u"other"_s, u"Details"_s);
    other.open();
    other.appendRecord({u"B"_s, 2, 7, u"y"_s, QVariant()});
    db.RollbackTrans();

    EXPECT_EQ(u"first"_s, db.Select(u"SELECT Name FROM Masters WHERE Code = 'A'"_s).rows[0][0].toString());
    EXPECT_EQ(4, db.Select(u"SELECT COUNT(*) FROM Details"_s).rows[0][0].toInt());
}

TEST_F(RecordSetTest, AppendRecordAssignsByPositionAndCancelsOnFailure) {
    TTable t(&db, u"t"_s, u"Details"_s);
    t.open();
    t.appendRecord({u"C"_s, 1, 200, u"z"_s, QDateTime(QDate(1999, 1, 1), QTime(0, 0))});
    EXPECT_EQ(5, t.recordCount());
    EXPECT_EQ(u"1999-01-01T00:00:00"_s,
              db.Select(u"SELECT Stamp FROM Details WHERE Code = 'C'"_s).rows[0][0].toString());
    EXPECT_EQ(QDate(1999, 1, 1), t.fieldByName(u"Stamp"_s).asDateTime().date());
    EXPECT_THROW(t.appendRecord({u"C"_s, 1, 201, u"dup"_s}), EKelvoError) << "duplicate key";
    EXPECT_EQ(TRecordSet::TState::Browse, t.state());
    EXPECT_EQ(5, t.recordCount());
}

TEST_F(RecordSetTest, EditOnAnEmptyRecordSetInserts) {
    masters().open();
    masters().last();
    details().open();
    ASSERT_TRUE(details().isEmpty());
    details().edit();
    EXPECT_EQ(TRecordSet::TState::Insert, details().state());
    EXPECT_EQ(u"C"_s, details().fieldByName(u"Code"_s).asString());
}

TEST_F(RecordSetTest, NavigationReportsEndsAndCalculatedFieldsFollowTheRow) {
    masters().addCalculatedField(u"Label"_s, TFieldType::String);
    masters().onCalcFields = [](TRecordSet& rs) {
        rs.fieldByName(u"Label"_s).setAsString(rs.fieldByName(u"Code"_s).asString() + u"-"_s +
                                               rs.fieldByName(u"Name"_s).asString());
    };
    masters().open();
    QStringList labels;
    for (masters().first(); !masters().eof(); masters().next())
        labels << masters().fieldByName(u"Label"_s).asString();
    EXPECT_EQ((QStringList{u"A-first"_s, u"B-second"_s, u"C-third"_s}), labels);
    masters().edit();
    masters().fieldByName(u"Name"_s).setAsString(u"new"_s);
    EXPECT_EQ(u"C-new"_s, masters().fieldByName(u"Label"_s).asString());
    masters().post();
    EXPECT_EQ(u"C-new"_s, masters().fieldByName(u"Label"_s).asString());
}

TEST_F(RecordSetTest, QueryOverOneTableCanEditAndDeleteItsRows) {
    TQuery q(&db, u"q"_s, {u"select * from Details"_s, u"where Code = :pCode"_s});
    q.setParam(0, u"A"_s);
    q.open();
    EXPECT_EQ(3, q.recordCount());
    q.edit();
    q.fieldByName(u"Day"_s).setAsInteger(99);
    q.post();
    while (!q.isEmpty())
        q.deleteRecord();
    EXPECT_EQ(1, db.Select(u"SELECT COUNT(*) FROM Details"_s).rows[0][0].toInt());

    TQuery join(&db, u"join"_s,
                {u"SELECT Masters.* FROM Masters INNER JOIN Details ON Masters.Code = Details.Code"_s});
    join.open();
    EXPECT_EQ(1, join.recordCount());
    EXPECT_THROW(join.edit(), EKelvoError) << "a join without update table is read-only";
    join.close();
    join.setUpdateTable(u"Masters"_s);
    join.open();
    join.deleteRecord();
    EXPECT_EQ(2, db.Select(u"SELECT COUNT(*) FROM Masters"_s).rows[0][0].toInt());
}

// Names written in the code are found by their address: the fields of a new statement replace those
// of the old one under the same name, and any spelling finds the same field.
TEST_F(RecordSetTest, FieldsAreFoundByNameAfterTheirColumnsChange) {
    TQuery q(&db, u"q"_s, {u"SELECT Code, Weight FROM Masters WHERE Code = 'B'"_s});
    q.open();
    EXPECT_EQ(2.5, q.fieldByName(u"Weight"_s).asFloat());
    const QString spelled = QString(u"weight"_s).toUpper();
    EXPECT_EQ(&q.fieldByName(u"Weight"_s), &q.fieldByName(spelled));
    q.close();
    q.setSql({u"SELECT Name, Weight AS Weight, Code FROM Masters WHERE Code = 'A'"_s});
    q.open();
    EXPECT_EQ(1.25, q.fieldByName(u"Weight"_s).asFloat());
    EXPECT_EQ(u"first"_s, q.fieldByName(u"Name"_s).asString());
    EXPECT_EQ(&q.fieldByName(u"Weight"_s), &q.fieldByName(spelled));
    q.close();
    q.setSql({u"SELECT Code FROM Masters"_s});
    q.open();
    EXPECT_EQ(nullptr, q.findField(u"Weight"_s));
}

TEST_F(RecordSetTest, ClosingTheConnectionClosesItsRecordSets) {
    masters().open();
    db.Close();
    EXPECT_FALSE(masters().active());
}

// Every notification of a record set, as a line of text, in order.
class TSignalLog {
public:
    explicit TSignalLog(TRecordSet& rs) {
        QObject::connect(&rs, &TRecordSet::rowsAboutToBeReset, &m_context,
                         [this] { m_lines << u"aboutToReset"_s; });
        QObject::connect(&rs, &TRecordSet::rowsReset, &m_context, [this] { m_lines << u"reset"_s; });
        QObject::connect(&rs, &TRecordSet::rowAboutToBeInserted, &m_context,
                         [this](int row) { m_lines << u"aboutToInsert %1"_s.arg(row); });
        QObject::connect(&rs, &TRecordSet::rowInserted, &m_context,
                         [this](int row) { m_lines << u"inserted %1"_s.arg(row); });
        QObject::connect(&rs, &TRecordSet::rowAboutToBeRemoved, &m_context,
                         [this](int row) { m_lines << u"aboutToRemove %1"_s.arg(row); });
        QObject::connect(&rs, &TRecordSet::rowRemoved, &m_context,
                         [this](int row) { m_lines << u"removed %1"_s.arg(row); });
        QObject::connect(&rs, &TRecordSet::rowsChanged, &m_context,
                         [this](int first, int last) { m_lines << u"changed %1-%2"_s.arg(first).arg(last); });
        QObject::connect(&rs, &TRecordSet::currentChanged, &m_context,
                         [this](int row) { m_lines << u"current %1"_s.arg(row); });
        QObject::connect(&rs, &TRecordSet::stateChanged, &m_context, [this] { m_lines << u"state"_s; });
    }
    QStringList take() { return std::exchange(m_lines, {}); }

private:
    QObject m_context;
    QStringList m_lines;
};

// The current row is signalled after the details show its rows and the move or post rule has run, also
// when the rule fails; open and refresh signal it too.
TEST_F(RecordSetTest, CurrentRowIsSignalledAfterTheDetailsAndTheRule) {
    QStringList log;
    details().open(); // no master row yet: no details
    masters().afterScroll = [&](TRecordSet& rs) {
        log << u"afterScroll"_s;
        if (rs.fieldByName(u"Code"_s).asString() == u"C"_s) throw EKelvoError(u"refused"_s);
    };
    masters().afterPost = [&](TRecordSet&) { log << u"afterPost"_s; };
    QObject context;
    QObject::connect(&masters(), &TRecordSet::currentChanged, &context, [&](int row) {
        log << u"current %1 with %2 details"_s.arg(row).arg(details().recordCount());
    });

    masters().open();
    masters().next();
    masters().refresh();
    masters().edit();
    masters().fieldByName(u"Name"_s).setAsString(u"zweite"_s);
    masters().post();
    EXPECT_THROW(masters().next(), EKelvoError);
    EXPECT_EQ(log,
              (QStringList{u"afterScroll"_s, u"current 0 with 3 details"_s, u"afterScroll"_s,
                           u"current 1 with 1 details"_s, u"current 1 with 1 details"_s, u"afterPost"_s,
                           u"current 1 with 1 details"_s, u"afterScroll"_s, u"current 2 with 0 details"_s}));
}

TEST_F(RecordSetTest, AMoveToTheCurrentRowDoesNothing) {
    masters().open();
    masters().next();
    int scrolls = 0;
    masters().afterScroll = [&](TRecordSet&) { ++scrolls; };
    masters().edit();
    masters().fieldByName(u"Name"_s).setAsString(u"pending"_s);
    TSignalLog log(masters());
    masters().setRecNo(2);
    EXPECT_EQ(0, scrolls);
    EXPECT_TRUE(log.take().isEmpty());
    EXPECT_EQ(TRecordSet::TState::Edit, masters().state()) << "the pending change is not posted";
    masters().setRecNo(3);
    EXPECT_EQ(1, scrolls);
    EXPECT_EQ(u"pending"_s, db.Select(u"SELECT Name FROM Masters WHERE Code = 'B'"_s).rows[0][0].toString());
}

// What views are told, step by step: reloads of the same rows change values only; inserted and removed
// rows are told by position; suspended screen updates tell once at the end.
TEST_F(RecordSetTest, ViewsAreToldWhatChanged) {
    masters().open();
    details().open();
    TTable other(&db, u"other"_s, u"Details"_s);
    struct TCase {
        const char* what;
        std::function<void()> action;
        QStringList expected;
    };
    const TCase cases[] = {
        {"a refresh of the same rows", [&] { details().refresh(); }, {u"changed 0-2"_s, u"current 0"_s}},
        {"a refresh after another record set added a row",
         [&] {
             db.Execute(u"INSERT INTO Details VALUES ('A', 4, 40, 'd', NULL)"_s);
             details().refresh();
         },
         {u"aboutToReset"_s, u"reset"_s, u"current 0"_s}},
        {"an edit",
         [&] {
             details().edit();
             details().fieldByName(u"Day"_s).setAsInteger(11);
         },
         {u"state"_s, u"changed 0-0"_s}},
        {"a post", [&] { details().post(); }, {u"changed 0-0"_s, u"state"_s, u"current 0"_s}},
        {"an insert",
         [&] { details().insert(); },
         {u"aboutToInsert 0"_s, u"inserted 0"_s, u"state"_s, u"current 0"_s}},
        {"its cancel",
         [&] { details().cancel(); },
         {u"aboutToRemove 0"_s, u"removed 0"_s, u"state"_s, u"current 0"_s}},
        {"a move", [&] { details().last(); }, {u"current 3"_s}},
        {"a deletion",
         [&] { details().deleteRecord(); },
         {u"aboutToRemove 3"_s, u"removed 3"_s, u"current 2"_s}},
        {"a reload with the master's next row",
         [&] { masters().next(); },
         {u"aboutToReset"_s, u"reset"_s, u"current 0"_s}},
        {"suspended updates around the same rows",
         [&] {
             details().disableControls();
             details().close();
             details().open();
             details().enableControls();
         },
         {u"changed 0-0"_s, u"state"_s, u"current 0"_s}},
        {"a close", [&] { details().close(); }, {u"aboutToReset"_s, u"reset"_s, u"state"_s, u"current -1"_s}},
    };
    TSignalLog log(details());
    for (const TCase& c : cases) {
        c.action();
        EXPECT_EQ(log.take(), c.expected) << c.what;
    }
}

TEST_F(RecordSetTest, RowIdentityAndWhetherRowsCanBeModified) {
    masters().open();
    const TSqlResult ids = db.Select(u"SELECT rowid FROM Masters ORDER BY Code"_s);
    for (int row = 0; row < masters().rowCount(); ++row)
        EXPECT_EQ(ids.rows[row][0].toLongLong(), masters().rowId(row));
    EXPECT_EQ(-1, masters().rowId(3));
    EXPECT_TRUE(masters().canModify());
    masters().append();
    EXPECT_EQ(-1, masters().rowId(3)) << "a row being inserted has no identity yet";
    masters().cancel();

    TQuery join(&db, u"join"_s,
                {u"SELECT Masters.Code FROM Masters INNER JOIN Details ON Masters.Code = Details.Code"_s});
    EXPECT_FALSE(join.canModify()) << "closed";
    join.open();
    EXPECT_FALSE(join.canModify()) << "no table to write to";
    masters().close();
    EXPECT_FALSE(masters().canModify());
}

// A user of a comma-decimal locale writes back what the field shows; a decimal point is taken too.
TEST_F(RecordSetTest, NumbersAreReadInTheUsersFormAndWithAPoint) {
    struct TCase {
        QLocale::Language language;
        const char* typed;
        double value; // NaN: refused
    };
    const double refused = std::numeric_limits<double>::quiet_NaN();
    const TCase cases[] = {
        {QLocale::German, "2,75", 2.75},     {QLocale::German, "2.75", 2.75},
        {QLocale::German, "1.500", 1.5},     {QLocale::German, "1,5E-6", 1.5e-6},
        {QLocale::German, "x", refused},     {QLocale::English, "2.75", 2.75},
        {QLocale::English, "2,75", refused}, {QLocale::English, "1,500", refused},
    };
    const QLocale saved;
    masters().open();
    masters().edit();
    TField& weight = masters().fieldByName(u"Weight"_s);
    for (const TCase& c : cases) {
        QLocale::setDefault(QLocale(c.language));
        const QString typed = QString::fromLatin1(c.typed);
        if (std::isnan(c.value)) {
            EXPECT_THROW(weight.setAsString(typed), EKelvoError) << c.typed;
        } else {
            weight.setAsString(typed);
            EXPECT_DOUBLE_EQ(c.value, weight.asFloat()) << c.typed;
        }
        // What the field shows reads back as the same value.
        weight.setAsFloat(12.5);
        weight.setAsString(weight.displayText());
        EXPECT_DOUBLE_EQ(12.5, weight.asFloat()) << weight.displayText().toStdString();
    }
    QLocale::setDefault(saved);
    masters().cancel();
}

TEST_F(RecordSetTest, AnEventHookPutsBackTheEventItReplaced) {
    QStringList log;
    masters().afterScroll = [&](TRecordSet&) { log << u"rule"_s; };
    masters().open();
    {
        const TEventHook hook(masters().afterScroll, [&](TRecordSet&) { log << u"window"_s; });
        masters().next();
    }
    masters().next();
    EXPECT_EQ(log, (QStringList{u"rule"_s, u"window"_s, u"rule"_s}));
}

TEST_F(RecordSetTest, ConnectionSettings) {
    EXPECT_EQ(1, db.Select(u"PRAGMA foreign_keys"_s).rows[0][0].toInt());
    EXPECT_EQ(u"wal"_s, db.Select(u"PRAGMA journal_mode"_s).rows[0][0].toString());
    EXPECT_EQ(1, db.Select(u"PRAGMA synchronous"_s).rows[0][0].toInt()) << "normal";
}

} // namespace
