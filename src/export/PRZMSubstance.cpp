#include "export/PRZMSubstance.h"

#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "foundation/Utils.h"

#include <cmath>
#include <type_traits>

using namespace Qt::Literals::StringLiterals;

// The record layout of the PRZM chemical data file: every field with its 0-based offset, width and
// encoding. Texts are left-justified, numbers right-justified, all padded with blanks.

namespace {

enum class TKind { Text, Integer, Fixed, Scientific };

struct TEncoding {
    TKind kind;
    int decimals = 0;
};

constexpr TEncoding Text{TKind::Text};
constexpr TEncoding Integer{TKind::Integer};
constexpr TEncoding F2{TKind::Fixed, 2};      // "%7.2f" and "%5.2f"
constexpr TEncoding F3{TKind::Fixed, 3};      // "%7.3f" and "%8.3f"
constexpr TEncoding E4{TKind::Scientific, 3}; // "%10.4e": four significant digits

// Offsets of the fields of chemicals 1, 2 and 3.
struct TChemicalOffsets {
    int name, kdtyp, apptyp, apprel, dknum, napp, kdsp, drate1a, freund, drate1c, drate2a, fextrc, candeg,
        q10fac, qbase, mseff, mslab, solub, mwght, fstar, vapourPressure, spareIntegers, spareReals, enthalpy,
        airDiffusion;
};

constexpr TChemicalOffsets ChemicalOffsets[3] = {
    {20,  46,  47,  48,  49,  52,  54,  64,  71,  78,  85,  92, 99,
     113, 120, 414, 435, 456, 486, 507, 528, 562, 637, 712, 736},
    {127, 147, 148, 149, 150, 153, 155, 165, 172, 179, 186, 221, 228,
     242, 249, 421, 442, 466, 493, 514, 538, 587, 662, 720, 744},
    {256, 276, 277, 278, 279, 282, 284, 294, 301, 308, 315, 378, 385,
     399, 406, 428, 449, 476, 500, 521, 548, 612, 687, 728, 752},
};

constexpr int KeyOffset = 0;
constexpr int IqfacCopyOffset = 413;

// Calls visit(offset, width, encoding, field name, value) for every field of the record but the second
// copy of iqfac, in offset order for the fields outside the chemical blocks, then chemical by chemical.
template <class TRecord, class TVisit> void ForEachField(TRecord& r, TVisit&& visit) {
    visit(KeyOffset, 20, Text, u"record key"_s, r.key);
    visit(40, 1, Integer, u"icheck1"_s, r.icheck1);
    visit(41, 1, Integer, u"icheck2"_s, r.icheck2);
    visit(42, 1, Integer, u"icheck3"_s, r.icheck3);
    visit(43, 1, Integer, u"icombo3"_s, r.icombo3);
    visit(44, 1, Integer, u"icheck5"_s, r.icheck5);
    visit(45, 1, Integer, u"iqfac"_s, r.iqfac);
    visit(106, 7, F2, u"prtrn12"_s, r.prtrn12);
    visit(193, 7, F2, u"dtr121a"_s, r.dtr121a);
    visit(200, 7, F2, u"dtr121b"_s, r.dtr121b);
    visit(207, 7, F2, u"dtr121c"_s, r.dtr121c);
    visit(214, 7, F2, u"dtr122a"_s, r.dtr122a);
    visit(235, 7, F2, u"prtrn13"_s, r.prtrn13);
    visit(322, 7, F2, u"dtr131a"_s, r.dtr131a);
    visit(329, 7, F2, u"dtr131b"_s, r.dtr131b);
    visit(336, 7, F2, u"dtr131c"_s, r.dtr131c);
    visit(343, 7, F2, u"dtr132a"_s, r.dtr132a);
    visit(350, 7, F2, u"dtr231a"_s, r.dtr231a);
    visit(357, 7, F2, u"dtr231b"_s, r.dtr231b);
    visit(364, 7, F2, u"dtr231c"_s, r.dtr231c);
    visit(371, 7, F2, u"dtr232a"_s, r.dtr232a);
    visit(392, 7, F2, u"prtrn23"_s, r.prtrn23);
    visit(558, 1, Integer, u"iset1"_s, r.iset1);
    visit(559, 1, Integer, u"iset2"_s, r.iset2);
    visit(560, 1, Integer, u"iset3"_s, r.iset3);
    visit(561, 1, Integer, u"spare flag"_s, r.spareFlag);
    for (int j = 1; j <= 3; ++j) {
        auto& c = r.Chemical(j);
        const TChemicalOffsets& o = ChemicalOffsets[j - 1];
        const QString of = u" [%1]"_s.arg(j);
        visit(o.name, 20, Text, u"chemical name"_s + of, c.name);
        visit(o.kdtyp, 1, Integer, u"kdtyp"_s + of, c.kdtyp);
        visit(o.apptyp, 1, Integer, u"apptyp"_s + of, c.apptyp);
        visit(o.apprel, 1, Integer, u"apprel"_s + of, c.apprel);
        visit(o.dknum, 3, Integer, u"dknum"_s + of, c.dknum);
        visit(o.napp, 2, Integer, u"napp"_s + of, c.napp);
        visit(o.kdsp, 10, E4, u"kdsp"_s + of, c.kdsp);
        visit(o.drate1a, 7, F2, u"drate1a"_s + of, c.drate1a);
        visit(o.freund, 7, F2, u"freund"_s + of, c.freund);
        visit(o.drate1c, 7, F2, u"drate1c"_s + of, c.drate1c);
        visit(o.drate2a, 7, F2, u"drate2a"_s + of, c.drate2a);
        visit(o.fextrc, 7, F2, u"fextrc"_s + of, c.fextrc);
        visit(o.candeg, 7, F2, u"candeg"_s + of, c.candeg);
        visit(o.q10fac, 7, F2, u"q10fac"_s + of, c.q10fac);
        visit(o.qbase, 7, F2, u"qbase"_s + of, c.qbase);
        visit(o.mseff, 7, F3, u"mseff"_s + of, c.mseff);
        visit(o.mslab, 7, F3, u"mslab"_s + of, c.mslab);
        visit(o.solub, 10, E4, u"solub"_s + of, c.solub);
        visit(o.mwght, 7, F2, u"mwght"_s + of, c.mwght);
        visit(o.fstar, 7, F3, u"fstar"_s + of, c.fstar);
        visit(o.vapourPressure, 10, E4, u"vapour pressure"_s + of, c.vapourPressure);
        for (int i = 0; i < 5; ++i) {
            const QString number = u" %1"_s.arg(i + 1);
            visit(o.spareIntegers + 5 * i, 5, Integer, u"spare integer"_s + number + of,
                  c.spareIntegers.at(static_cast<size_t>(i)));
            visit(o.spareReals + 5 * i, 5, F2, u"spare real"_s + number + of,
                  c.spareReals.at(static_cast<size_t>(i)));
        }
        visit(o.enthalpy, 8, F3, u"enthalpy of vaporisation"_s + of, c.enthalpy);
        visit(o.airDiffusion, 8, F3, u"diffusion coefficient in air"_s + of, c.airDiffusion);
    }
}

// Scientific notation with one digit before the point, the given decimals after it, "E", the sign and
// at least three exponent digits: 1.234E+002.
QString Scientific(double value, int decimals) {
    const QString text = QString::number(value, 'E', decimals);
    const qsizetype e = text.indexOf(u'E');
    const QString exponent = text.mid(e + 2);
    return text.left(e + 2) + exponent.rightJustified(3, u'0');
}

QString Formatted(double value, TEncoding encoding) {
    return encoding.kind == TKind::Scientific ? Scientific(value, encoding.decimals)
                                              : QString::number(value, 'f', encoding.decimals);
}

// The field as the message shows it: its text without the padding.
[[noreturn]] void NotANumber(const QString& fieldName, const QString& field) {
    throw EKelvoError(u"field %1 holds '%2', not a number"_s.arg(fieldName, TrimmedText(field)));
}

double ReadReal(const QString& fieldName, const QString& field) {
    bool ok = false;
    const double value = TrimmedText(field).toDouble(&ok);
    if (!ok || !std::isfinite(value)) NotANumber(fieldName, field);
    return value;
}

qint32 ReadInteger(const QString& fieldName, const QString& field) {
    const QString text = TrimmedText(field);
    if (text.isEmpty()) return 0;
    bool ok = false;
    const qint32 value = text.toInt(&ok, 10);
    if (!ok) NotANumber(fieldName, field);
    return value;
}

} // namespace

QString TrimmedText(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) <= u' ')
        ++begin;
    while (end > begin && text.at(end - 1) <= u' ')
        --end;
    return text.mid(begin, end - begin);
}

std::unique_ptr<TPRZM_Substance> TPRZM_Substance::CreateFromRecord(const QByteArray& record) {
    if (record.size() != RecordSize)
        throw EKelvoError(
            u"A PRZM chemical record has %1 bytes, not %2"_s.arg(record.size()).arg(RecordSize));
    auto substance = std::make_unique<TPRZM_Substance>();
    ForEachField(*substance, [&record](int offset, int width, TEncoding, const QString& fieldName,
                                       auto& value) {
        const QString field = QString::fromLatin1(record.constData() + offset, width);
        using T = std::remove_reference_t<decltype(value)>;
        if constexpr (std::is_same_v<T, QString>)
            value = field;
        else if constexpr (std::is_same_v<T, qint32>)
            value = ReadInteger(fieldName, field);
        else
            value = ReadReal(fieldName, field);
    });
    if (substance->key.count(u' ') == substance->key.size()) substance->key = substance->Chemical(1).name;
    return substance;
}

QByteArray TPRZM_Substance::ToRecord() const {
    QByteArray record(RecordSize, ' ');
    const QString code = TrimmedText(TrimmedText(key).isEmpty() ? Chemical(1).name : key);
    const auto write = [&record, &code](int offset, int width, TEncoding encoding, const QString& fieldName,
                                        const auto& value) {
        using T = std::remove_cvref_t<decltype(value)>;
        QString text;
        bool fits = true;
        if constexpr (std::is_same_v<T, QString>) {
            text = value;
        } else if constexpr (std::is_same_v<T, qint32>) {
            text = QString::number(value);
        } else {
            fits = std::isfinite(value);
            text = fits ? Formatted(value, encoding) : QString::number(value);
        }
        if (!fits || text.size() > width)
            throw EKelvoError(
                u"Substance %1: the value %2 of %3 does not fit its field of %4 characters in the "
                "PRZM chemical data file"_s.arg(code, text, fieldName)
                    .arg(width));
        if (encoding.kind != TKind::Text) text = text.rightJustified(width);
        FillFixedField(record.data() + offset, width - 1, text);
    };
    ForEachField(*this, write);
    write(IqfacCopyOffset, 1, Integer, u"iqfac"_s, iqfac);
    return record;
}

QString TPRZM_Substance::DisplayText() const {
    QStringList names;
    for (const TPRZMChemical& c : chemicals)
        names << c.name.rightJustified(20);
    return names.join(u" - "_s);
}

QString TPRZM_Substance::ClassName() const {
    return u"TPRZM_Substance"_s;
}
