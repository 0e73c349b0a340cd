#include "foundation/Errors.h"
#include "store/SubstanceTestBase.h"
#include "store/TextRules.h"

using namespace Qt::Literals::StringLiterals;

namespace {

class SubstanceTextTest : public TSubstanceTest {};

// A code, name or comment with a line break, tab or escape is refused as it is set, naming the field,
// and the value before stays; a code takes only what the PRZM file holds.
TEST_F(SubstanceTextTest, CodesNamesAndCommentsRefuseWhatBreaksALine) {
    struct Case {
        QString field;
        QString value;
        QString message;
    } cases[] = {
        {u"Name"_s, u"Two\nlines"_s,
         u"Substance Name cannot hold a line break, tab or other control character (character U+000A)."_s},
        {u"Name"_s, u"Tab\tbed"_s,
         u"Substance Name cannot hold a line break, tab or other control character (character U+0009)."_s},
        {u"Comment"_s, u"Esc\x1b[2J"_s,
         u"Comment cannot hold a line break, tab or other control character (character U+001B)."_s},
        {u"SubstanceCode"_s, u"A\rB"_s,
         u"Substance Code cannot hold a line break, tab or other control character (character U+000D)."_s},
        {u"SubstanceCode"_s, u"Ł1"_s,
         u"Substance Code 'Ł1' holds the character 'Ł', which the PRZM files cannot hold: use letters, digits "
         u"and signs of Western European languages."_s},
        {u"SubstanceCode"_s, u"A\u0085"_s,
         u"Substance Code cannot hold a line break, tab or other control character (character U+0085)."_s},
    };
    ASSERT_TRUE(dm->OpenSubstanceAt(u"PAR"_s));
    TTable& substances = dm->tblSubstances;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value.toStdString());
        substances.ensureEditing();
        TField& field = substances.fieldByName(c.field);
        const QVariant before = field.value();
        try {
            field.setValue(c.value);
            ADD_FAILURE() << "accepted";
        } catch (const EKelvoError& e) {
            EXPECT_EQ(c.message, e.Message());
        }
        EXPECT_EQ(before, field.value());
    }
    // Latin-1 letters and signs are taken.
    substances.fieldByName(u"Name"_s).setAsString(u"Prüfsubstanz µ"_s);
    EXPECT_NO_THROW(CheckSubstanceCodeCharacters(u"ÄÖÜ-é_1"_s));
    substances.cancel();
}

} // namespace
