#include "foundation/Errors.h"
#include "store/Connection.h"
#include "store/RecordSet.h"
#include "support/KelvoTest.h"

#include <QTemporaryDir>

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
        {"Day", u"abc"_s, "'abc' is not a valid integer value"},
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

TEST_F(RecordSetTest, ClosingTheConnectionClosesItsRecordSets) {
    masters().open();
    db.Close();
    EXPECT_FALSE(masters().active());
}

} // namespace
