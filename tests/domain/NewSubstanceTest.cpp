#include "domain/NewSubstance.h"
#include "support/DataModuleTest.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using NewSubstanceTest = TDataModuleTest;

TEST_F(NewSubstanceTest, RefusesInOrderAndCreatesOnlyAValidSubstance) {
    struct TCase {
        QString code;
        QString name;
        QString refusal; // empty: created
    } cases[] = {
        {{}, {}, u"Enter a substance code"_s},
        {u"a.b"_s, {}, u"invalid character (<space> , . / \\ ( ) : ? \" < > | *)"_s},
        {u"EXAMPLE_P"_s, u"x"_s, u"EXAMPLE_P is not a unique substance code"_s},
        {u"NEW1"_s, {}, u"Enter a substance name"_s},
        {u"NEW1"_s, u"New one"_s, {}},
    };
    ASSERT_TRUE(dm->OpenSubstanceTables());
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.code.toStdString());
        EXPECT_EQ(CreateNewSubstance(*dm, c.code, c.name), c.refusal.isEmpty());
        EXPECT_EQ(ui.TakeTexts(), c.refusal.isEmpty() ? QStringList() : QStringList{c.refusal});
    }
    EXPECT_TRUE(dm->AskBeforeSave);
    dm->UndoSubstance(); // the new rows are stored; only the touch stays pending
    dm->CloseSubstanceTables();
    EXPECT_EQ(1, dm->dbKelvoADO.Select(u"SELECT COUNT(*) FROM Substances WHERE SubstanceCode = 'NEW1'"_s)
                     .rows[0][0]
                     .toInt());
}

} // namespace
