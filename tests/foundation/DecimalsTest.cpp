#include "support/QStringPrinter.h"

#include "foundation/Utils.h"

#include <QLocale>
#include <clocale>
#include <cstdio>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QString Numeric() {
    return QString::fromLatin1(std::setlocale(LC_NUMERIC, nullptr));
}

QString Printed(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return QString::fromLatin1(text);
}

} // namespace

// The format restored is the one in force at the first UsePointDecimals of the process, so this must
// stay the only test of the executable that switches decimals.
TEST(PointDecimals, SwitchAndRestoreTheFormatOfFirstUse) {
    const QLocale previousLocale;
    const QByteArray previousNumeric = Numeric().toLatin1();
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    ASSERT_NE(std::setlocale(LC_NUMERIC, "C.UTF-8"), nullptr);
    ASSERT_EQ(QLocale().toString(1234.5), u"1.234,5"_s);

    UsePointDecimals();
    EXPECT_EQ(QLocale().toString(1234.5), u"1234.5"_s);
    EXPECT_EQ(Numeric(), u"C"_s);
    EXPECT_EQ(Printed(1.5), u"1.50"_s);

    // Not stacked: the inner restore already goes back to the saved format.
    UsePointDecimals();
    RestoreDecimals();
    EXPECT_EQ(QLocale().toString(1234.5), u"1.234,5"_s);
    EXPECT_EQ(Numeric(), u"C.UTF-8"_s);
    RestoreDecimals();
    EXPECT_EQ(QLocale().toString(1234.5), u"1.234,5"_s);

    {
        TPointDecimals pointDecimals;
        EXPECT_EQ(QLocale().toString(0.25), u"0.25"_s);
        EXPECT_EQ(Numeric(), u"C"_s);
    }
    EXPECT_EQ(QLocale().toString(0.25), u"0,25"_s);
    EXPECT_EQ(Numeric(), u"C.UTF-8"_s);

    QLocale::setDefault(previousLocale);
    std::setlocale(LC_NUMERIC, previousNumeric.constData());
}
