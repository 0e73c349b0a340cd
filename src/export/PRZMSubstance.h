#pragma once

#include "foundation/RootObject.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <memory>

// One chemical of a PRZM record: chemical 1 is the parent, 2 and 3 are its metabolites.
struct TPRZMChemical {
    QString name;
    qint32 kdtyp = 0;
    qint32 apptyp = 0;
    qint32 apprel = 0;
    qint32 dknum = 0;
    qint32 napp = 0;
    double kdsp = 0;    // sorption coefficient
    double drate1a = 0; // half-life
    double freund = 0;
    double drate1c = 0;
    double drate2a = 0;
    double fextrc = 0;
    double candeg = 0;
    double q10fac = 0;
    double qbase = 0;
    double mseff = 0;
    double mslab = 0;
    double solub = 0; // water solubility
    double mwght = 0; // molar mass
    double fstar = 0;
    double vapourPressure = 0;
    std::array<qint32, 5> spareIntegers{};
    std::array<double, 5> spareReals{};
    double enthalpy = 0;     // enthalpy of vaporisation
    double airDiffusion = 0; // diffusion coefficient in air
};

// One record of the PRZM chemical data file in typed form: a parent substance with up to two
// metabolites. New objects hold 0 in every number and empty texts.
class TPRZM_Substance : public TRootObject {
public:
    // Every record of the file has exactly this many bytes, without separators.
    static constexpr int RecordSize = 760;

    TPRZM_Substance() = default;

    // Reads a record. A blank key is replaced by chemical 1's name; texts keep their trailing blanks; a
    // blank integer field reads 0. The first field that is not a number (a blank real one included)
    // raises "field mwght [1] holds 'x', not a number".
    static std::unique_ptr<TPRZM_Substance> CreateFromRecord(const QByteArray& record);
    // The 760-byte record; iqfac goes to both of its places. A value too wide for its field raises an
    // error naming the substance, the field and the value.
    QByteArray ToRecord() const;
    // The three chemical names, each right-justified in 20 characters, separated by " - ".
    QString DisplayText() const override;

    // Chemical 1, 2 or 3.
    TPRZMChemical& Chemical(int j) { return chemicals.at(static_cast<size_t>(j - 1)); }
    const TPRZMChemical& Chemical(int j) const { return chemicals.at(static_cast<size_t>(j - 1)); }

    QString key; // the parent's substance code
    qint32 icheck1 = 0;
    qint32 icheck2 = 0;
    qint32 icheck3 = 0;
    qint32 icombo3 = 0;
    qint32 icheck5 = 0;
    qint32 iqfac = 0;
    double prtrn12 = 0;
    double dtr121a = 0;
    double dtr121b = 0;
    double dtr121c = 0;
    double dtr122a = 0;
    double prtrn13 = 0;
    double dtr131a = 0;
    double dtr131b = 0;
    double dtr131c = 0;
    double dtr132a = 0;
    double dtr231a = 0;
    double dtr231b = 0;
    double dtr231c = 0;
    double dtr232a = 0;
    double prtrn23 = 0;
    qint32 iset1 = 0;
    qint32 iset2 = 0;
    qint32 iset3 = 0;
    qint32 spareFlag = 0;
    std::array<TPRZMChemical, 3> chemicals;

protected:
    QString ClassName() const override;
};

// The text without leading and trailing blanks and control characters (NUL padding included).
QString TrimmedText(const QString& text);
