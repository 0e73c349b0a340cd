#include "support/QStringPrinter.h"

#include "foundation/Errors.h"
#include "foundation/Utils.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Sets the default locale for its lifetime.
class TDefaultLocale {
public:
    explicit TDefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~TDefaultLocale() { QLocale::setDefault(m_previous); }
    TDefaultLocale(const TDefaultLocale&) = delete;
    TDefaultLocale& operator=(const TDefaultLocale&) = delete;

private:
    QLocale m_previous;
};

} // namespace

TEST(DayNumbers, ReadDateTexts) {
    const struct {
        QString text;
        int day;
    } cases[] = {
        {u"12-sep"_s, 255}, {u"12-SEP"_s, 255}, {u"12-Sep"_s, 255}, {u"1-jan"_s, 1},   {u"01-jan"_s, 1},
        {u"31-dec"_s, 365}, {u"28-feb"_s, 59},  {u"1-mar"_s, 60},   {u"1-okt"_s, 274}, {u"1-oct"_s, 274},
        {u"1-OcT"_s, 274},  {u"31-may"_s, 151}, {u"30-nov"_s, 334},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextToDayNumber(c.text), c.day) << c.text.toStdString();
}

TEST(DayNumbers, RefuseAnythingButDayHyphenMonth) {
    const QString refused[] = {
        u"29-feb"_s, u"31-apr"_s,  u"0-jan"_s,  u"00-jan"_s, u"32-jan"_s,    u"12-sept"_s, u"12sep"_s,
        u"12/sep"_s, u"123-sep"_s, u""_s,       u" 1-jan"_s, u"1-jan "_s,    u"12-xyz"_s,  u"+1-jan"_s,
        u"a-jan"_s,  u"1--jan"_s,  u"-12sep"_s, u"12-09"_s,  u"12-9-1999"_s,
    };
    for (const QString& text : refused) {
        SCOPED_TRACE(text.toStdString());
        try {
            TextToDayNumber(text);
            ADD_FAILURE() << "accepted";
        } catch (const EKelvoError& error) {
            EXPECT_EQ(error.Message(), u"Invalid date. Use format dd-mmm (e.g. 12-sep)"_s);
        }
    }
}

TEST(DayNumbers, MonthNumbers) {
    const struct {
        QString abbreviation;
        QString number;
    } cases[] = {
        {u"JAN"_s, u"1"_s},  {u"sep"_s, u"9"_s}, {u"OKT"_s, u"10"_s}, {u"Oct"_s, u"10"_s},
        {u"DEC"_s, u"12"_s}, {u"XYZ"_s, {}},     {u"SEPT"_s, {}},     {{}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MonthNumberOf(c.abbreviation), c.number) << c.abbreviation.toStdString();
}

TEST(DayNumbers, ShowTwoDigitDayAndShortMonth) {
    TDefaultLocale english(QLocale(QLocale::English, QLocale::UnitedKingdom));
    const struct {
        int day;
        QString text;
    } cases[] = {
        {1, u"01-Jan"_s},   {0, u"31-Dec"_s},  {366, u"01-Jan"_s}, {255, u"12-Sep"_s},
        {274, u"01-Oct"_s}, {59, u"28-Feb"_s}, {365, u"31-Dec"_s}, {-30, u"01-Dec"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DayNumberToText(c.day), c.text) << c.day;
}

TEST(DayNumbers, ShownTextReadsBackInEnglish) {
    for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedKingdom),
                                  QLocale(QLocale::English, QLocale::UnitedStates), QLocale::c()}) {
        TDefaultLocale english(locale);
        for (int day = 1; day <= 365; ++day)
            ASSERT_EQ(TextToDayNumber(DayNumberToText(day)), day) << locale.name().toStdString();
    }
}

TEST(DayNumbers, OtherLocalesShowThreeLetters) {
    TDefaultLocale german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(DayNumberToText(255), u"12-Sep"_s);
    EXPECT_EQ(DayNumberToText(274), u"01-Okt"_s);
    EXPECT_EQ(TextToDayNumber(DayNumberToText(274)), 274);
}

TEST(DayNumbers, FromCalendarDates) {
    EXPECT_EQ(DateToDayNumber(QDate(1999, 1, 1)), 1);
    EXPECT_EQ(DateToDayNumber(QDate(1999, 9, 12)), 255);
    EXPECT_EQ(DateToDayNumber(QDate(1999, 12, 31)), 365);
    EXPECT_EQ(DateToDayNumber(QDate(1998, 12, 31)), 0);
    EXPECT_EQ(DateToDayNumber(QDate(2000, 1, 1)), 366);

    // A time part counts; halves go to the even day.
    const struct {
        QDateTime moment;
        int day;
    } cases[] = {
        {QDateTime(QDate(1999, 1, 1), QTime(11, 59)), 1},  {QDateTime(QDate(1999, 1, 1), QTime(12, 0)), 2},
        {QDateTime(QDate(1999, 1, 2), QTime(12, 0)), 2},   {QDateTime(QDate(1999, 1, 2), QTime(12, 1)), 3},
        {QDateTime(QDate(1999, 9, 12), QTime(0, 0)), 255}, {QDateTime(QDate(1999, 9, 12), QTime(18, 0)), 256},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DateToDayNumber(c.moment), c.day) << c.moment.toString(Qt::ISODate).toStdString();
}
