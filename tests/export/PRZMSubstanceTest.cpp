#include "export/PRZMTestSupport.h"
#include "foundation/Errors.h"
#include "foundation/Utils.h"
#include "support/KelvoTest.h"

#include <functional>
#include <limits>

using namespace Qt::Literals::StringLiterals;

// The PRZM chemical record: its layout byte for byte against fixtures typed apart from the code, the
// field encodings, the reading of damaged fields and the refusal of values too wide for their field.

namespace {

class PRZMSubstanceTest : public TKelvoTest {
protected:
    static QString Field(const QByteArray& record, int offset, int width) {
        return QString::fromLatin1(record.mid(offset, width));
    }
    static std::unique_ptr<TPRZM_Substance> Read(const QByteArray& record) {
        return TPRZM_Substance::CreateFromRecord(record);
    }
};

TEST_F(PRZMSubstanceTest, TheFullRecordIsWrittenAndReadByteForByte) {
    const QByteArray fixture = PRZMFixture(u"full.dat"_s);
    ASSERT_EQ(TPRZM_Substance::RecordSize, fixture.size());
    EXPECT_EQ(fixture, FullSubstance().ToRecord());
    ExpectSameValues(FullSubstance(), *Read(fixture));
}

TEST_F(PRZMSubstanceTest, IqfacIsWrittenTwiceAndReadFromItsFirstPlace) {
    QByteArray record = FullSubstance().ToRecord();
    EXPECT_EQ(u"6"_s, Field(record, 45, 1));
    EXPECT_EQ(u"6"_s, Field(record, 413, 1));
    record[413] = '9';
    const auto read = Read(record);
    EXPECT_EQ(6, read->iqfac);
    EXPECT_EQ(u"6"_s, Field(read->ToRecord(), 413, 1));
}

TEST_F(PRZMSubstanceTest, RecordsGoBackAndForthWithTheirValues) {
    struct TCase {
        const char* name;
        std::function<void(TPRZM_Substance&)> set;
    };
    const TCase cases[] = {
        {"new object", [](TPRZM_Substance&) {}},
        {"every field its own value", [](TPRZM_Substance& s) { s = FullSubstance(); }},
        {"widest values that fit",
         [](TPRZM_Substance& s) {
             s.key = u"ABCDEFGHIJKLMNOPQRST"_s;
             s.icheck1 = 9;
             s.prtrn23 = 9999.99;
             TPRZMChemical& c = s.Chemical(2);
             c.name = u"TWENTY_CHARACTERS_22"_s;
             c.dknum = 999;
             c.napp = 99;
             c.kdsp = 9.999e307;
             c.drate1a = 9999.99;
             c.mseff = 999.999;
             c.enthalpy = 9999.999;
             c.spareIntegers = {99999, 0, 1, 2, 3};
             c.spareReals = {99.99, 0, 0.01, 1.5, 2.5};
         }},
        {"negative numbers",
         [](TPRZM_Substance& s) {
             s.dtr121a = -999.99;
             TPRZMChemical& c = s.Chemical(3);
             c.dknum = -99;
             c.napp = -9;
             c.drate1c = -999.99;
             c.airDiffusion = -999.999;
             c.spareIntegers = {-9999, -1, 0, 0, 0};
             c.spareReals = {-9.99, 0, 0, 0, 0};
         }},
        {"tiny and rounded scientific values",
         [](TPRZM_Substance& s) {
             TPRZMChemical& c = s.Chemical(1);
             c.kdsp = 1e-300;
             c.solub = 9.9996e2;
             c.vapourPressure = 4.9e-324;
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TPRZM_Substance original;
        c.set(original);
        const QByteArray record = original.ToRecord();
        ASSERT_EQ(TPRZM_Substance::RecordSize, record.size());
        const auto read = Read(record);
        ExpectSameValues(original, *read);
        EXPECT_EQ(record, read->ToRecord());
    }
}

TEST_F(PRZMSubstanceTest, NumbersTakeTheEncodingOfTheirField) {
    struct TCase {
        const char* name;
        std::function<void(TPRZM_Substance&)> set;
        int offset;
        int width;
        QString text;
    };
    const TCase cases[] = {
        {"1000 fills %7.2f", [](TPRZM_Substance& s) { s.Chemical(1).drate1a = 1000; }, 64, 7, u"1000.00"_s},
        {"rounded %7.2f", [](TPRZM_Substance& s) { s.Chemical(2).drate1c = 2.345678; }, 179, 7, u"   2.35"_s},
        {"%7.3f", [](TPRZM_Substance& s) { s.Chemical(3).fstar = 0.5; }, 521, 7, u"  0.500"_s},
        {"%8.3f", [](TPRZM_Substance& s) { s.Chemical(1).enthalpy = 397.1; }, 712, 8, u" 397.100"_s},
        {"%5.2f", [](TPRZM_Substance& s) { s.Chemical(2).spareReals[4] = 1.5; }, 682, 5, u" 1.50"_s},
        {"integer of three", [](TPRZM_Substance& s) { s.Chemical(3).dknum = 7; }, 279, 3, u"  7"_s},
        {"123.4 as %10.4e", [](TPRZM_Substance& s) { s.Chemical(1).kdsp = 123.4; }, 54, 10, u"1.234E+002"_s},
        {"0.05 as %10.4e", [](TPRZM_Substance& s) { s.Chemical(1).kdsp = 0.05; }, 54, 10, u"5.000E-002"_s},
        {"0.000123 as %10.4e", [](TPRZM_Substance& s) { s.Chemical(2).solub = 0.000123; }, 466, 10,
         u"1.230E-004"_s},
        {"0 as %10.4e", [](TPRZM_Substance& s) { s.Chemical(3).vapourPressure = 0; }, 548, 10,
         u"0.000E+000"_s},
        {"a large exponent", [](TPRZM_Substance& s) { s.Chemical(3).kdsp = 2.5e150; }, 284, 10,
         u"2.500E+150"_s},
        {"rounding into the next power", [](TPRZM_Substance& s) { s.Chemical(1).solub = 9.9996e2; }, 456, 10,
         u"1.000E+003"_s},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TPRZM_Substance s;
        c.set(s);
        EXPECT_EQ(c.text, Field(s.ToRecord(), c.offset, c.width));
    }
}

TEST_F(PRZMSubstanceTest, ANewObjectWritesBlanksAndZeros) {
    const QByteArray record = TPRZM_Substance().ToRecord();
    ASSERT_EQ(TPRZM_Substance::RecordSize, record.size());
    for (const int offset : {0, 20, 127, 256})
        EXPECT_EQ(QString(20, u' '), Field(record, offset, 20)) << offset;
    EXPECT_EQ(u"000000"_s, Field(record, 40, 6));
    EXPECT_EQ(u"0"_s, Field(record, 413, 1));
    EXPECT_EQ(u"0000"_s, Field(record, 558, 4));
    EXPECT_EQ(u"  0 0"_s, Field(record, 49, 5));
    EXPECT_EQ(u"0.000E+000   0.00"_s, Field(record, 54, 17));
    EXPECT_EQ(u"  0.000"_s, Field(record, 414, 7));
    EXPECT_EQ(u"    0"_s, Field(record, 562, 5));
    EXPECT_EQ(u" 0.00"_s, Field(record, 707, 5));
    EXPECT_EQ(u"   0.000   0.000"_s, Field(record, 736, 16));
}

TEST_F(PRZMSubstanceTest, ABlankKeyGivesChemicalOnesName) {
    const auto read = Read(PRZMFixture(u"blank_key.dat"_s));
    EXPECT_EQ(u"PARENT_FULL         "_s, read->key);
    EXPECT_EQ(u"PARENT_FULL         "_s, read->Chemical(1).name);
}

TEST_F(PRZMSubstanceTest, NamesOfNulCharactersAreKeptForTheImportToSkip) {
    const auto read = Read(PRZMFixture(u"nul_names.dat"_s));
    for (const int j : {2, 3}) {
        EXPECT_EQ(QString(20, QChar(u'\0')), read->Chemical(j).name) << j;
        EXPECT_TRUE(IsBlankCode(read->Chemical(j).name)) << j;
        EXPECT_TRUE(TrimmedText(read->Chemical(j).name).isEmpty()) << j;
    }
    EXPECT_EQ(u"PARENT_FULL          - "_s + QString(20, QChar(u'\0')) + u" - "_s + QString(20, QChar(u'\0')),
              read->DisplayText());
}

TEST_F(PRZMSubstanceTest, BlankIntegerFieldsReadZero) {
    QByteArray record = PRZMFixture(u"bad_integers.dat"_s);
    record[43] = ' '; // icombo3
    record[154] = ' '; // napp of chemical 2
    const auto read = Read(record);
    EXPECT_TRUE(ui.TakeTexts().isEmpty());
    EXPECT_EQ(0, read->icheck2);
    EXPECT_EQ(0, read->icombo3);
    EXPECT_EQ(0, read->Chemical(1).dknum);
    EXPECT_EQ(0, read->Chemical(2).napp);
    EXPECT_EQ(3, read->icheck3);
    EXPECT_EQ(13, read->Chemical(3).napp);
}

// One message for the first field that is not a number, never one per field.
TEST_F(PRZMSubstanceTest, TheFirstFieldThatIsNoNumberIsNamedOnce) {
    const QByteArray blankReal = PRZMFixture(u"blank_real.dat"_s);
    ASSERT_EQ(2 * TPRZM_Substance::RecordSize, blankReal.size());
    EXPECT_NO_THROW(Read(blankReal.left(TPRZM_Substance::RecordSize)));
    const struct {
        QByteArray record;
        QString message;
    } cases[] = {
        {PRZMFixture(u"bad_integers.dat"_s), u"field icombo3 holds 'x', not a number"_s},
        {blankReal.mid(TPRZM_Substance::RecordSize), u"field drate1a [2] holds '', not a number"_s},
        {QByteArray(FullSubstance().ToRecord()).replace(486, 7, "  \xd0\xdc   "),
         u"field mwght [1] holds '\u00d0\u00dc', not a number"_s},
    };
    for (const auto& c : cases) {
        try {
            Read(c.record);
            ADD_FAILURE() << "read " << c.message.toStdString();
        } catch (const EKelvoError& e) {
            EXPECT_EQ(c.message, e.Message());
        }
        EXPECT_TRUE(ui.TakeTexts().isEmpty());
    }
}

TEST_F(PRZMSubstanceTest, ARecordOfTheWrongSizeSaysItsOwnSizeFirst) {
    for (const int size : {0, TPRZM_Substance::RecordSize - 1, TPRZM_Substance::RecordSize + 40}) {
        try {
            Read(QByteArray(size, ' '));
            FAIL() << "a record of " << size << " bytes was read";
        } catch (const EKelvoError& e) {
            EXPECT_EQ(u"A PRZM chemical record has %1 bytes, not 760"_s.arg(size), e.Message());
        }
    }
}

TEST_F(PRZMSubstanceTest, AValueTooWideForItsFieldIsRefusedWithSubstanceFieldAndValue) {
    struct TCase {
        const char* name;
        std::function<void(TPRZM_Substance&)> set;
        QString field;
        QString value;
        int width;
    };
    const TCase cases[] = {
        {"two digits in one", [](TPRZM_Substance& s) { s.icheck1 = 10; }, u"icheck1"_s, u"10"_s, 1},
        {"iset", [](TPRZM_Substance& s) { s.iset3 = -1; }, u"iset3"_s, u"-1"_s, 1},
        {"four digits in three", [](TPRZM_Substance& s) { s.Chemical(2).dknum = 1000; }, u"dknum [2]"_s,
         u"1000"_s, 3},
        {"negative napp", [](TPRZM_Substance& s) { s.Chemical(1).napp = -10; }, u"napp [1]"_s, u"-10"_s, 2},
        {"negative scientific", [](TPRZM_Substance& s) { s.Chemical(3).kdsp = -1; }, u"kdsp [3]"_s,
         u"-1.000E+000"_s, 10},
        {"10000 in %7.2f", [](TPRZM_Substance& s) { s.Chemical(1).drate1a = 10000; }, u"drate1a [1]"_s,
         u"10000.00"_s, 7},
        {"record-wide real", [](TPRZM_Substance& s) { s.dtr231a = -1000; }, u"dtr231a"_s, u"-1000.00"_s, 7},
        {"enthalpy", [](TPRZM_Substance& s) { s.Chemical(2).enthalpy = 100000; },
         u"enthalpy of vaporisation [2]"_s, u"100000.000"_s, 8},
        {"spare integer", [](TPRZM_Substance& s) { s.Chemical(3).spareIntegers[1] = 100000; },
         u"spare integer 2 [3]"_s, u"100000"_s, 5},
        {"not a number",
         [](TPRZM_Substance& s) { s.Chemical(1).mwght = std::numeric_limits<double>::quiet_NaN(); },
         u"mwght [1]"_s, u"nan"_s, 7},
        {"long name", [](TPRZM_Substance& s) { s.Chemical(2).name = u"ABCDEFGHIJKLMNOPQRSTU"_s; },
         u"chemical name [2]"_s, u"ABCDEFGHIJKLMNOPQRSTU"_s, 20},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TPRZM_Substance s;
        s.key = u"PAR"_s;
        c.set(s);
        try {
            s.ToRecord();
            ADD_FAILURE() << "written";
        } catch (const EKelvoError& e) {
            EXPECT_EQ(
                u"Substance PAR: the value %1 of %2 does not fit its field of %3 characters in the PRZM "
                "chemical data file"_s.arg(c.value, c.field)
                    .arg(c.width),
                e.Message());
        }
    }
}

TEST_F(PRZMSubstanceTest, ARecordWithoutKeyIsNamedAfterChemicalOne) {
    TPRZM_Substance s;
    s.Chemical(1).name = u"PARENT"_s;
    s.icheck2 = 12;
    try {
        s.ToRecord();
        FAIL() << "written";
    } catch (const EKelvoError& e) {
        EXPECT_TRUE(e.Message().startsWith(u"Substance PARENT: the value 12 of icheck2 "_s)) << e.what();
    }
}

TEST_F(PRZMSubstanceTest, DisplayTextRightJustifiesTheThreeNames) {
    TPRZM_Substance s;
    s.Chemical(1).name = u"P"_s;
    s.Chemical(2).name = u"M1"_s;
    EXPECT_EQ(QString(19, u' ') + u"P - "_s + QString(18, u' ') + u"M1 - "_s + QString(20, u' '),
              s.DisplayText());
}

} // namespace
