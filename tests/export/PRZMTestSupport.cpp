#include "export/PRZMTestSupport.h"

#include "support/QStringPrinter.h"

#include <QFile>
#include <cmath>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// How closely a real read back matches the value written: to the last decimal of a fixed format, to
// the fourth significant digit of the scientific one.
enum class TPrecision { TwoDecimals, ThreeDecimals, FourDigits };

bool Near(double expected, double actual, TPrecision precision) {
    switch (precision) {
    case TPrecision::TwoDecimals:
        return std::fabs(expected - actual) <= 0.005 + 1e-9;
    case TPrecision::ThreeDecimals:
        return std::fabs(expected - actual) <= 0.0005 + 1e-9;
    case TPrecision::FourDigits:
        return std::fabs(expected - actual) <= 5e-4 * std::fabs(expected) + 1e-300;
    }
    return false;
}

struct TRealField {
    const char* name;
    double TPRZMChemical::*member;
    TPrecision precision;
};

const TRealField ChemicalReals[] = {
    {"kdsp", &TPRZMChemical::kdsp, TPrecision::FourDigits},
    {"drate1a", &TPRZMChemical::drate1a, TPrecision::TwoDecimals},
    {"freund", &TPRZMChemical::freund, TPrecision::TwoDecimals},
    {"drate1c", &TPRZMChemical::drate1c, TPrecision::TwoDecimals},
    {"drate2a", &TPRZMChemical::drate2a, TPrecision::TwoDecimals},
    {"fextrc", &TPRZMChemical::fextrc, TPrecision::TwoDecimals},
    {"candeg", &TPRZMChemical::candeg, TPrecision::TwoDecimals},
    {"q10fac", &TPRZMChemical::q10fac, TPrecision::TwoDecimals},
    {"qbase", &TPRZMChemical::qbase, TPrecision::TwoDecimals},
    {"mseff", &TPRZMChemical::mseff, TPrecision::ThreeDecimals},
    {"mslab", &TPRZMChemical::mslab, TPrecision::ThreeDecimals},
    {"solub", &TPRZMChemical::solub, TPrecision::FourDigits},
    {"mwght", &TPRZMChemical::mwght, TPrecision::TwoDecimals},
    {"fstar", &TPRZMChemical::fstar, TPrecision::ThreeDecimals},
    {"vapour pressure", &TPRZMChemical::vapourPressure, TPrecision::FourDigits},
    {"enthalpy", &TPRZMChemical::enthalpy, TPrecision::ThreeDecimals},
    {"air diffusion", &TPRZMChemical::airDiffusion, TPrecision::ThreeDecimals},
};

struct TIntegerField {
    const char* name;
    qint32 TPRZMChemical::*member;
};

const TIntegerField ChemicalIntegers[] = {{"kdtyp", &TPRZMChemical::kdtyp},
                                          {"apptyp", &TPRZMChemical::apptyp},
                                          {"apprel", &TPRZMChemical::apprel},
                                          {"dknum", &TPRZMChemical::dknum},
                                          {"napp", &TPRZMChemical::napp}};

struct TRecordReal {
    const char* name;
    double TPRZM_Substance::*member;
};

const TRecordReal RecordReals[] = {
    {"prtrn12", &TPRZM_Substance::prtrn12}, {"dtr121a", &TPRZM_Substance::dtr121a},
    {"dtr121b", &TPRZM_Substance::dtr121b}, {"dtr121c", &TPRZM_Substance::dtr121c},
    {"dtr122a", &TPRZM_Substance::dtr122a}, {"prtrn13", &TPRZM_Substance::prtrn13},
    {"dtr131a", &TPRZM_Substance::dtr131a}, {"dtr131b", &TPRZM_Substance::dtr131b},
    {"dtr131c", &TPRZM_Substance::dtr131c}, {"dtr132a", &TPRZM_Substance::dtr132a},
    {"dtr231a", &TPRZM_Substance::dtr231a}, {"dtr231b", &TPRZM_Substance::dtr231b},
    {"dtr231c", &TPRZM_Substance::dtr231c}, {"dtr232a", &TPRZM_Substance::dtr232a},
    {"prtrn23", &TPRZM_Substance::prtrn23},
};

struct TRecordInteger {
    const char* name;
    qint32 TPRZM_Substance::*member;
};

const TRecordInteger RecordIntegers[] = {
    {"icheck1", &TPRZM_Substance::icheck1}, {"icheck2", &TPRZM_Substance::icheck2},
    {"icheck3", &TPRZM_Substance::icheck3}, {"icombo3", &TPRZM_Substance::icombo3},
    {"icheck5", &TPRZM_Substance::icheck5}, {"iqfac", &TPRZM_Substance::iqfac},
    {"iset1", &TPRZM_Substance::iset1},     {"iset2", &TPRZM_Substance::iset2},
    {"iset3", &TPRZM_Substance::iset3},     {"spare flag", &TPRZM_Substance::spareFlag},
};

} // namespace

QByteArray PRZMFixture(const QString& name) {
    QFile file(QString::fromUtf8(KELVO_DATA_SOURCE_DIR) + u"/../tests/data/przm_records/"_s + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    return file.readAll();
}

// The values of make_records.py's full_record.
TPRZM_Substance FullSubstance() {
    TPRZM_Substance s;
    s.key = u"PARENT_FULL"_s;
    s.icheck1 = 1;
    s.icheck2 = 2;
    s.icheck3 = 3;
    s.icombo3 = 4;
    s.icheck5 = 5;
    s.iqfac = 6;
    s.prtrn12 = 1.25;
    s.dtr121a = 0.5;
    s.dtr121b = 1.01;
    s.dtr121c = 1.02;
    s.dtr122a = 1.03;
    s.prtrn13 = 2.25;
    s.dtr131a = 0.25;
    s.dtr131b = 1.11;
    s.dtr131c = 1.12;
    s.dtr132a = 1.13;
    s.dtr231a = 0.75;
    s.dtr231b = 1.21;
    s.dtr231c = 1.22;
    s.dtr232a = 1.23;
    s.prtrn23 = 3.25;
    s.iset1 = 7;
    s.iset2 = 8;
    s.iset3 = 9;
    s.spareFlag = 3;
    const QString names[] = {u"PARENT_FULL"_s, u"METAB_ONE"_s, u"METAB_TWO"_s};
    const double kdsp[] = {172.4, 0.000123, 0.05};
    const double drate1c[] = {1000.0, -1.5, 0.0};
    for (int j = 1; j <= 3; ++j) {
        TPRZMChemical& c = s.Chemical(j);
        c.name = names[j - 1];
        c.kdtyp = j;
        c.apptyp = j + 3;
        c.apprel = j + 6;
        c.dknum = 100 + j;
        c.napp = 10 + j;
        c.kdsp = kdsp[j - 1];
        c.drate1a = 20.0 + j;
        c.freund = 0.9 + j / 100.0;
        c.drate1c = drate1c[j - 1];
        c.drate2a = 3.0 + j;
        c.fextrc = 0.5 + j / 100.0;
        c.candeg = 10.0 + j;
        c.q10fac = 2.2 + j / 100.0;
        c.qbase = 20.0 + j;
        c.mseff = 0.7 + j / 1000.0;
        c.mslab = 100.0 + j;
        c.solub = 100.0 * j;
        c.mwght = 300.0 - 50 * j;
        c.fstar = 0.5 + j / 1000.0;
        c.vapourPressure = 0.1 / j;
        c.enthalpy = 397.1 + j;
        c.airDiffusion = 4300.0 + j;
        for (int i = 1; i <= 5; ++i) {
            c.spareIntegers.at(static_cast<size_t>(i - 1)) = 10 * j + i;
            c.spareReals.at(static_cast<size_t>(i - 1)) = j + i / 10.0;
        }
    }
    return s;
}

void ExpectSameValues(const TPRZM_Substance& expected, const TPRZM_Substance& actual) {
    EXPECT_EQ(TrimmedText(expected.key), TrimmedText(actual.key));
    for (const TRecordInteger& f : RecordIntegers)
        EXPECT_EQ(expected.*f.member, actual.*f.member) << f.name;
    for (const TRecordReal& f : RecordReals)
        EXPECT_PRED3(Near, expected.*f.member, actual.*f.member, TPrecision::TwoDecimals) << f.name;
    for (int j = 1; j <= 3; ++j) {
        const TPRZMChemical& e = expected.Chemical(j);
        const TPRZMChemical& a = actual.Chemical(j);
        EXPECT_EQ(TrimmedText(e.name), TrimmedText(a.name)) << "chemical " << j;
        for (const TIntegerField& f : ChemicalIntegers)
            EXPECT_EQ(e.*f.member, a.*f.member) << f.name << " [" << j << "]";
        for (const TRealField& f : ChemicalReals)
            EXPECT_PRED3(Near, e.*f.member, a.*f.member, f.precision) << f.name << " [" << j << "]";
        EXPECT_EQ(e.spareIntegers, a.spareIntegers) << "chemical " << j;
        for (size_t i = 0; i < 5; ++i)
            EXPECT_PRED3(Near, e.spareReals.at(i), a.spareReals.at(i), TPrecision::TwoDecimals)
                << "spare real " << i + 1 << " [" << j << "]";
    }
}
