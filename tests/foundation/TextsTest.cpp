#include "support/QStringPrinter.h"

#include "foundation/Utils.h"

#include <QByteArray>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

TEST(Texts, PadRight) {
    const struct {
        QString text;
        int n;
        QString padded;
    } cases[] = {
        {u"abc"_s, 5, u"abc  "_s}, {u"abcdef"_s, 3, u"abc"_s}, {u"abc"_s, 3, u"abc"_s},
        {u"abc"_s, 0, {}},         {u"abc"_s, -2, {}},         {{}, 2, u"  "_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PadRight(c.text, c.n), c.padded) << c.text.toStdString() << " to " << c.n;
}

TEST(Texts, RunNumbers) {
    const struct {
        QString runId;
        int number;
    } numbers[] = {
        {u"00012d_pa"_s, 12}, {u"abcded_pa"_s, -1},      {u"12"_s, 12},        {{}, -1},
        {u"0001xd_pa"_s, -1}, {u"123456p_m1"_s, 123456}, {u" 0012d_pa"_s, -1},
    };
    for (const auto& c : numbers)
        EXPECT_EQ(RunNumberOf(c.runId), c.number) << c.runId.toStdString();

    const struct {
        int number;
        QString code;
        QString text;
    } texts[] = {
        {12, u"focus_ditch"_s, u"00012d"_s},
        {7, u"focus_pond"_s, u"00007p"_s},
        {12, u"FOCUS_STREAM"_s, u"00012s"_s},
        {123456, {}, u"123456"_s},
        {0, {}, u"00000"_s},
        {12, u"focus"_s, u"xxxxx"_s},
    };
    for (const auto& c : texts)
        EXPECT_EQ(RunNumberText(c.number, c.code), c.text) << c.number << " " << c.code.toStdString();
}

TEST(Texts, ShortRunCode) {
    const struct {
        QString runId;
        QString code;
    } cases[] = {
        {u"00012d_pa"_s, u"00012d_0"_s}, {u"00012d_m1"_s, u"00012d_1"_s},   {u"00012p_m2"_s, u"00012p_2"_s},
        {u"00012d_xy"_s, u"00012d_"_s},  {u"00012d_PA"_s, u"00012d_"_s},    {u"00012d_p"_s, u"00012d_"_s},
        {u"0001"_s, u"0001"_s},          {u"123456p_m1"_s, u"123456p_1"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShortRunCode(c.runId), c.code) << c.runId.toStdString();
}

TEST(Texts, BlankCodes) {
    const QChar nul(u'\0');
    const struct {
        QString text;
        bool blank;
    } cases[] = {
        {{}, true},
        {QString(4, nul) + u"ABC"_s, true},
        {QString(3, nul) + u"X"_s, false},
        {u"ABCD"_s, false},
        {QString(2, nul), true},
        {u"    "_s, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsBlankCode(c.text), c.blank) << c.text.toStdString();
}

TEST(Texts, FillFixedFieldWritesOnlyItsField) {
    const struct {
        QString text;
        QByteArray field;
    } cases[] = {
        {u"abc"_s, "abc   "},
        {{}, "      "},
        {u"abcdefgh"_s, "abcdef"},
        {u"d\u00e9j\u00e0"_s, "d\xe9j\xe0  "},
    };
    for (const auto& c : cases) {
        QByteArray buffer(10, 'Z');
        FillFixedField(buffer.data() + 2, 5, c.text);
        EXPECT_EQ(buffer, "ZZ" + c.field + "ZZ") << c.text.toStdString();
    }
}

TEST(Texts, InvalidNameCharacters) {
    for (const QString& valid : {u"abc_1"_s, u"a-b"_s, QString(), u"\u00e4rger"_s})
        EXPECT_FALSE(HasInvalidNameChar(valid)) << valid.toStdString();
    const QString invalid = u" /\\()><*:\"|,.?"_s;
    ASSERT_EQ(invalid.size(), 14);
    for (QChar c : invalid)
        EXPECT_TRUE(HasInvalidNameChar(u"a"_s + c + u"b"_s)) << QString(c).toStdString();
}
