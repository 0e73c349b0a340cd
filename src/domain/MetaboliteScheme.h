#pragma once

#include <QString>

class TdmKelvoADO;

// The metabolite formation scheme of a parent substance: its PRZM scheme code icombo3, its metabolites
// and their formation fractions, on a molar basis for PRZM and on a mass basis for MACRO.

// A fraction as the scheme shows it: three decimals in the user's locale, and an empty text for exactly 0.
QString FormatFraction(double value);
// A molar (PRZM) fraction as a mass (MACRO) fraction and back, through the molar masses.
double MolarToMassFraction(double molarFraction, double metaboliteMass, double parentMass);
double MassToMolarFraction(double massFraction, double metaboliteMass, double parentMass);
// Reads a fraction text as a number: refuses a text that is no number and, with range, a number
// below 0 or above 1 (with a tolerance of 0.0005).
double ValidateFraction(const QString& text, bool withRange);

// The two texts of one formation step: the PRZM (molar) and the MACRO (mass) fraction.
struct TFractionTexts {
    QString przm;
    QString macro;
};

// Entering a fraction of a step, as the scheme takes it when its field is left. An empty text empties
// its partner. Otherwise the fraction is validated and, when both molar masses are known, both texts are
// rewritten with FormatFraction, the partner converted; with a molar mass unknown the partner is emptied.
// A MACRO fraction whose PRZM fraction comes above 1 is refused and leaves the PRZM text as it was.
void PrzmFractionEntered(TFractionTexts& step, double metaboliteMass, double parentMass);
void MacroFractionEntered(TFractionTexts& step, double metaboliteMass, double parentMass);
// The PRZM-only step from the first to the second metabolite of the chain scheme.
void ChainFractionEntered(QString& text);

// What the scheme holds for a parent. Which values count depends on the scheme (icombo3):
// 1 none; 2 metabolite1 with step1; 3 metabolite1 and metabolite2, each with its step from the parent;
// 4 the chain: metabolite1 with step1 from the parent, metabolite2 formed from metabolite1 with
// step2.przm only.
struct TMetaboliteScheme {
    int scheme = 1;
    // The parent's molar mass, which the fractions are converted with.
    double parentMass = 0;
    QString metabolite1;
    QString metabolite2;
    TFractionTexts step1;
    TFractionTexts step2;
};

// The parent's scheme as stored, shown as the given scheme (0: the stored one): metabolites that may no
// longer be chosen are left out; fractions come as FormatFraction texts, the MACRO ones from the
// metabolites' conversion factors. Makes the parent the current substance.
TMetaboliteScheme ReadMetaboliteScheme(TdmKelvoADO& dm, const QString& parentCode, int scheme = 0);

// Chooses a metabolite for the position (1 or 2) of the scheme as its list does: a metabolite heavier
// than the parent is refused; choosing another one than before empties its step's fractions (for the
// second metabolite only its PRZM fraction, and nothing in the chain scheme).
void ChooseMetabolite(TdmKelvoADO& dm, TMetaboliteScheme& scheme, int position, const QString& code);
// Enters a step's PRZM or MACRO fraction with the molar masses of its metabolite and the parent
// (the second step of the chain scheme has no MACRO fraction).
void EnterFraction(TdmKelvoADO& dm, TMetaboliteScheme& scheme, int step, bool macro, const QString& text);

// Confirms the scheme for the parent: checks every value first (the parent may be edited, the
// metabolites may be chosen, every fraction shown for the scheme is entered and valid, the metabolites
// differ) and refuses with the first failing check's message, changing nothing. Then puts the parent's
// Substances and Substance_PRZM rows in edit state with the scheme code, the metabolite codes and the
// PRZM fractions, and the metabolites' conversion factors waiting for the same save (left for the caller
// to save or undo).
void ApplyMetaboliteScheme(TdmKelvoADO& dm, const QString& parentCode, const TMetaboliteScheme& scheme);
