#include "domain/MetaboliteScheme.h"

#include "foundation/Errors.h"
#include "store/DataModuleKelvoADO.h"

#include <QLocale>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

// A PRZM fraction may pass 1 by this much, so that a fraction rounded to three decimals still fits.
constexpr double FractionTolerance = 0.0005;

const QString SelectMetabolite = u"Select a metabolite."_s;
const QString EnterFractionFirst = u"First enter a fraction."_s;
const QString SelectDifferent = u"Select 2 different metabolites."_s;
const QString TooHeavy = u"Molecular Mass of metabolite > parent."_s;
const QString NotANumber = u"Invalid fraction. Enter a correct numeric value"_s;

// The text's number, typed in the user's locale or with a decimal point; none when it is no number.
std::optional<double> NumberOf(const QString& text) {
    QLocale user;
    user.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    double value = user.toDouble(text.trimmed(), &ok);
    if (!ok) value = text.trimmed().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

// Makes the substance current in the substance record sets; a current one keeps its pending edits.
void MakeCurrent(TdmKelvoADO& dm, const QString& code) {
    const bool open =
        dm.tblSubstances.active() && dm.tblSubstancesMacro.active() && dm.tblSubstancesPRZM.active();
    if (open && !dm.tblSubstances.isEmpty() &&
        dm.tblSubstances.fieldByName(u"SubstanceCode"_s).asString() == code)
        return;
    if (!dm.OpenSubstanceAt(code)) throw EKelvoError(u"Substance: "_s + code + u" not found"_s);
}

double ParentMass(const TdmKelvoADO& dm) {
    return dm.tblSubstances.fieldByName(u"MolMass"_s).asFloat();
}

bool ConversionPossible(double metaboliteMass, double parentMass) {
    return metaboliteMass > 0 && parentMass > 0;
}

// The metabolite of a step: the second step of the chain scheme starts at the first metabolite and has
// no MACRO fraction.
bool HasMacroFraction(const TMetaboliteScheme& scheme, int step) {
    return step == 1 || scheme.scheme == 3;
}

// The scheme's metabolites may not be parents, nor metabolites of another parent, nor heavier than it.
void CheckChoice(TdmKelvoADO& dm, const QString& parentCode, const QStringList& free, double parentMass,
                 const QString& code) {
    if (code.isEmpty()) return;
    if (!free.contains(code)) throw EKelvoError(u"%1 cannot be a metabolite of %2"_s.arg(code, parentCode));
    if (dm.GetMolarMass(code) > parentMass) throw EKelvoError(TooHeavy);
}

void CheckPrzm(const QString& text) {
    if (!text.isEmpty()) ValidateFraction(text, true);
}

// A MACRO fraction must be a number and give a PRZM fraction of at most 1.
void CheckMacro(TdmKelvoADO& dm, const QString& metabolite, double parentMass, const QString& text) {
    if (text.isEmpty()) return;
    const double massFraction = ValidateFraction(text, false);
    const double metaboliteMass = dm.GetMolarMass(metabolite);
    if (ConversionPossible(metaboliteMass, parentMass) &&
        MassToMolarFraction(massFraction, metaboliteMass, parentMass) > 1 + FractionTolerance)
        throw EKelvoError(u"Fraction for PRZM becomes > 1"_s);
}

void Require(bool given, const QString& message) {
    if (!given) throw EKelvoError(message);
}

void SetTextIfDifferent(TField& field, const QString& text) {
    if (field.asString() == text) return;
    if (text.isEmpty())
        field.clear();
    else
        field.setAsString(text);
}

void SetNumberFromText(TField& field, const QString& text) {
    const std::optional<double> value = NumberOf(text);
    if (value && (field.isNull() || field.asFloat() != *value)) field.setAsFloat(*value);
}

} // namespace

QString FormatFraction(double value) {
    if (value == 0) return {};
    return QString::asprintf("%5.3f", value).replace(u'.', QLocale().decimalPoint());
}

double MolarToMassFraction(double molarFraction, double metaboliteMass, double parentMass) {
    return molarFraction * metaboliteMass / parentMass;
}

double MassToMolarFraction(double massFraction, double metaboliteMass, double parentMass) {
    return massFraction * parentMass / metaboliteMass;
}

double ValidateFraction(const QString& text, bool withRange) {
    const std::optional<double> value = NumberOf(text);
    if (!value) throw EKelvoError(NotANumber);
    if (withRange && (*value < 0 || *value > 1 + FractionTolerance))
        throw EKelvoError(u"Invalid fraction. Enter a number between 0 and 1."_s);
    return *value;
}

void PrzmFractionEntered(TFractionTexts& step, double metaboliteMass, double parentMass) {
    if (step.przm.isEmpty()) {
        step.macro.clear();
        return;
    }
    const double molarFraction = ValidateFraction(step.przm, true);
    if (!ConversionPossible(metaboliteMass, parentMass)) {
        step.macro.clear();
        return;
    }
    step.przm = FormatFraction(molarFraction);
    step.macro = FormatFraction(MolarToMassFraction(molarFraction, metaboliteMass, parentMass));
}

void MacroFractionEntered(TFractionTexts& step, double metaboliteMass, double parentMass) {
    if (step.macro.isEmpty()) {
        step.przm.clear();
        return;
    }
    const double massFraction = ValidateFraction(step.macro, false);
    if (!ConversionPossible(metaboliteMass, parentMass)) {
        step.przm.clear();
        return;
    }
    step.macro = FormatFraction(massFraction);
    const double molarFraction = MassToMolarFraction(massFraction, metaboliteMass, parentMass);
    if (molarFraction > 1 + FractionTolerance) throw EKelvoError(u"Fraction for PRZM becomes > 1"_s);
    step.przm = FormatFraction(molarFraction);
}

void ChainFractionEntered(QString& text) {
    if (!text.isEmpty()) text = FormatFraction(ValidateFraction(text, true));
}

TMetaboliteScheme ReadMetaboliteScheme(TdmKelvoADO& dm, const QString& parentCode, int scheme) {
    MakeCurrent(dm, parentCode);
    const TTable& substances = dm.tblSubstances;
    const TTable& przm = dm.tblSubstancesPRZM;
    TMetaboliteScheme s;
    s.scheme = scheme != 0 ? scheme : przm.fieldByName(u"icombo3"_s).asInteger();
    s.parentMass = ParentMass(dm);
    const QStringList free = dm.ListFreeMetabolites(parentCode);
    const auto chosen = [&](const QString& slot) {
        const QString code = substances.fieldByName(slot).asString().trimmed();
        return free.contains(code) ? code : QString();
    };
    s.metabolite1 = chosen(u"MetSubCode1"_s);
    s.metabolite2 = chosen(u"MetSubCode2"_s);
    const bool chain = s.scheme == 4;
    s.step1.przm = FormatFraction(przm.fieldByName(u"dtr121a"_s).asFloat());
    s.step1.macro = FormatFraction(dm.GetConversionFactor(s.metabolite1));
    s.step2.przm = FormatFraction(przm.fieldByName(chain ? u"dtr231a"_s : u"dtr131a"_s).asFloat());
    if (!chain) s.step2.macro = FormatFraction(dm.GetConversionFactor(s.metabolite2));
    return s;
}

void ChooseMetabolite(TdmKelvoADO& dm, TMetaboliteScheme& scheme, int position, const QString& code) {
    const bool chained = position == 2 && scheme.scheme == 4;
    QString& previous = position == 1 ? scheme.metabolite1 : scheme.metabolite2;
    if (code == previous && !chained) return;
    if (dm.GetMolarMass(code) > scheme.parentMass) {
        previous.clear();
        throw EKelvoError(TooHeavy);
    }
    previous = code;
    if (chained) return;
    if (position == 1) {
        scheme.step1 = {};
    } else {
        scheme.step2.przm.clear();
    }
}

void EnterFraction(TdmKelvoADO& dm, TMetaboliteScheme& scheme, int step, bool macro, const QString& text) {
    TFractionTexts& texts = step == 1 ? scheme.step1 : scheme.step2;
    if (!HasMacroFraction(scheme, step)) {
        if (macro) throw EKelvoError(u"The chain's second step has no MACRO fraction"_s);
        texts.przm = text;
        ChainFractionEntered(texts.przm);
        return;
    }
    const double metaboliteMass = dm.GetMolarMass(step == 1 ? scheme.metabolite1 : scheme.metabolite2);
    if (macro) {
        TFractionTexts entered{texts.przm, text};
        MacroFractionEntered(entered, metaboliteMass, scheme.parentMass);
        texts = entered;
    } else {
        texts.przm = text;
        PrzmFractionEntered(texts, metaboliteMass, scheme.parentMass);
    }
}

void ApplyMetaboliteScheme(TdmKelvoADO& dm, const QString& parentCode, const TMetaboliteScheme& scheme) {
    // Every check first: a refusal leaves the rows and the conversion factors as they were.
    MakeCurrent(dm, parentCode);
    TTable& substances = dm.tblSubstances;
    TTable& przm = dm.tblSubstancesPRZM;
    if (substances.fieldByName(u"Locked"_s).asBoolean())
        throw EKelvoError(u"Record is locked because it is a FOCUS predefined record"_s);
    if (!substances.fieldByName(u"IsParent"_s).asBoolean())
        throw EKelvoError(u"%1 is not a parent substance"_s.arg(parentCode));
    if (dm.IsSubstanceUsedInProject(parentCode))
        throw EKelvoError(u"%1 is used in a project: its metabolites can only be viewed"_s.arg(parentCode));
    const int code = scheme.scheme;
    if (code < 1 || code > 4) throw EKelvoError(u"The metabolite scheme is 1, 2, 3 or 4"_s);

    const double parentMass = ParentMass(dm);
    const bool two = code >= 3;
    const bool chain = code == 4;
    const QString& m1 = scheme.metabolite1;
    const QString& m2 = scheme.metabolite2;
    if (code >= 2) {
        const QStringList free = dm.ListFreeMetabolites(parentCode);
        CheckChoice(dm, parentCode, free, parentMass, m1);
        if (two) CheckChoice(dm, parentCode, free, parentMass, m2);

        CheckPrzm(scheme.step1.przm);
        CheckMacro(dm, m1, parentMass, scheme.step1.macro);
        if (two) CheckPrzm(scheme.step2.przm);
        if (code == 3) CheckMacro(dm, m2, parentMass, scheme.step2.macro);

        Require(!m1.isEmpty(), SelectMetabolite);
        Require(!scheme.step1.przm.isEmpty(), EnterFractionFirst);
        if (two) {
            Require(!m2.isEmpty(), SelectMetabolite);
            Require(!scheme.step2.przm.isEmpty(), EnterFractionFirst);
            Require(m1 != m2, SelectDifferent);
        }
        Require(!scheme.step1.macro.isEmpty(), NotANumber);
        if (code == 3) Require(!scheme.step2.macro.isEmpty(), NotANumber);
    }

    substances.ensureEditing();
    przm.ensureEditing();
    TField& icombo3 = przm.fieldByName(u"icombo3"_s);
    if (icombo3.isNull() || icombo3.asInteger() != code) icombo3.setAsInteger(code);
    TField& metSubCode1 = substances.fieldByName(u"MetSubCode1"_s);
    TField& metSubCode2 = substances.fieldByName(u"MetSubCode2"_s);
    if (code == 1) {
        SetTextIfDifferent(metSubCode1, {});
        SetTextIfDifferent(metSubCode2, {});
        return;
    }
    SetNumberFromText(przm.fieldByName(u"dtr121a"_s), scheme.step1.przm);
    SetTextIfDifferent(metSubCode1, m1);
    SetTextIfDifferent(metSubCode2, two ? m2 : QString());
    if (code == 3) {
        SetNumberFromText(przm.fieldByName(u"dtr231a"_s), u"0"_s);
        SetNumberFromText(przm.fieldByName(u"dtr131a"_s), scheme.step2.przm);
    } else if (chain) {
        SetNumberFromText(przm.fieldByName(u"dtr231a"_s), scheme.step2.przm);
        SetNumberFromText(przm.fieldByName(u"dtr131a"_s), u"0"_s);
    }
    dm.DeferConversionFactor(m1, *NumberOf(scheme.step1.macro));
    if (code == 3) dm.DeferConversionFactor(m2, *NumberOf(scheme.step2.macro));
    if (chain) dm.DeferConversionFactor(m2, 0);
}
