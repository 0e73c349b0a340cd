#include "store/DataModuleKelvoADO.h"

#include "store/Locate.h"

using namespace Qt::Literals::StringLiterals;

// Whether a substance is defined well enough for project creation and for the export to the models.

namespace {

// The fields as the substance editor labels them; a field the editor does not show keeps its name.
const std::pair<const char16_t*, const char16_t*> EditorLabels[] = {
    {u"SubstanceCode", u"Code"},
    {u"IsParent", u"Parent"},
    {u"Name", u"Name"},
    {u"MolMass", u"Molar mass (g/mol)"},
    {u"MolEntVap", u"Molar enthalpy of vaporisation (J/mol)"},
    {u"SlbWatRef", u"Solubility in water (mg/L)"},
    {u"TemRefSlb", u"Solubility in water measured at (°C)"},
    {u"MolEntSlb", u"Molar enthalpy of dissolution (J/mol)"},
    {u"CofDifAirRef", u"Diffusion coefficient in air (m2/d)"},
    {u"Kom", u"General Kom"},
    {u"ExpFre", u"General Freundlich exponent (-)"},
    {u"ConLiqRef", u"General Ref. concentration in liquid phase (g/m3)"},
    {u"KomSus", u"Susp. Solids Kom"},
    {u"KocSus", u"Susp. Solids Koc"},
    {u"ExpFreSus", u"Susp. Solids Freundlich exponent (-)"},
    {u"ConLiqRefSus", u"Susp. Solids Ref. concentration in liquid phase (g/m3)"},
    {u"KomSed", u"Sediment Kom"},
    {u"KocSed", u"Sediment Koc"},
    {u"ExpFreSed", u"Sediment Freundlich exponent (-)"},
    {u"ConLiqRefSed", u"Sediment Ref. concentration in liquid phase (g/m3)"},
    {u"KomSol", u"Soil Kom"},
    {u"KocSol", u"Soil Koc"},
    {u"ConLiqRefSol", u"Soil Ref. concentration in liquid phase (g/m3)"},
    {u"MolEntTra", u"Activation energy (J/mol)"},
    {u"DT50WatRef", u"Water Half-life time (d)"},
    {u"TemRefTraWat", u"Water Measured at (°C)"},
    {u"DT50SedRef", u"Sediment Half-life time (d)"},
    {u"TemRefTraSed", u"Sediment Measured at (°C)"},
    {u"Koc", u"General Koc"},
    {u"halflife", u"Soil Half-life time (d)"},
    {u"tref", u"Soil Measured at (°C)"},
    {u"vap", u"Saturated vapour pressure (Pa)"},
    {u"VpTemp", u"Saturated vapour pressure measured at (°C)"},
    {u"tresp", u"Exponent (1/K)"},
    {u"freund", u"Soil Freundlich exponent (-)"},
    {u"diffusion", u"Diffusion coefficient in water (m2/d)"},
    {u"fstar", u"Factor for the uptake by plant roots in soil"},
    {u"fext", u"Wash-Off factor from crop (MACRO)"},
    {u"candeg", u"Crop Half-life time (d)"},
    {u"fextrc", u"Wash-Off factor from crop (PRZM)"},
    {u"q10fac", u"Q10fac (-)"},
};

QString EditorLabel(const QString& field) {
    for (const auto& [name, label] : EditorLabels)
        if (field == QStringView(name)) return QString::fromUtf16(label);
    return field;
}

// The empty ones among the first count fields of the current row, except the one allowed to be empty
// and the sorption mode, which the editor shows as General while it is empty; a record set without a
// row misses its row.
void AddMissing(QStringList& missing, const TRecordSet& rs, int count, const QString& mayBeEmpty) {
    if (rs.isEmpty()) {
        missing << rs.name();
        return;
    }
    for (int i = 0; i < count && i < rs.fieldCount(); ++i) {
        const TField& f = rs.field(i);
        if (f.isNull() && f.fieldName() != mayBeEmpty && f.fieldName() != u"DetailedSorption"_s) missing << EditorLabel(f.fieldName());
    }
}

} // namespace

// Leaves the three substance record sets open on the substance when it is complete, closes them when
// it is not, and leaves them open when the code is not found.
bool TdmKelvoADO::IsSubstanceComplete(const QString& code, QStringList* missing) {
    OpenSubstanceTables();
    if (!LocateByTextKeys(tblSubstances, {code}, 1)) return false;
    const QStringList fields = MissingSubstanceFields();
    if (missing) *missing = fields;
    if (!fields.isEmpty()) {
        tblSubstancesMacro.close();
        tblSubstancesPRZM.close();
        tblSubstances.close();
    }
    return fields.isEmpty();
}

QStringList TdmKelvoADO::MissingSubstanceFields() {
    const bool detailed = tblSubstances.fieldByName(u"DetailedSorption"_s).asBoolean();
    QStringList missing;
    AddMissing(missing, tblSubstances, 30, detailed ? u"Kom"_s : QString());
    AddMissing(missing, tblSubstancesMacro, 15, detailed ? u"Koc"_s : QString());
    AddMissing(missing, tblSubstancesPRZM, 40, QString());
    return missing;
}

QStringList TdmKelvoADO::SubstancesLeftOutOfModels() {
    constexpr int fromMacro = 2;
    constexpr int fromPrzm = 3;
    if (!OpenSubstanceTables()) Abort();
    QStringList leftOut;
    for (tblSubstances.first(); !tblSubstances.eof(); tblSubstances.next()) {
        const int source = tblSubstances.fieldByName(u"subSource"_s).asInteger();
        if (source == fromMacro || source == fromPrzm) continue;
        if (const QStringList missing = MissingSubstanceFields(); !missing.isEmpty())
            leftOut << u"%1 (missing: %2)"_s.arg(tblSubstances.fieldByName(u"SubstanceCode"_s).asString(),
                                                missing.join(u", "_s));
    }
    CloseSubstanceTables();
    return leftOut;
}

bool TdmKelvoADO::IsCurrentSubstanceComplete() {
    return MissingSubstanceFields().isEmpty();
}

bool TdmKelvoADO::CheckSubstance(const QString& code, QStringList* missing) {
    if (IsSubstanceComplete(code, missing)) return true;
    TouchRecord(tblSubstances);
    return false;
}

QString IncompleteSubstanceMessage(const QString& refusal, const QStringList& missing) {
    if (missing.isEmpty()) return refusal;
    return refusal + u"\n\nMissing: "_s + missing.join(u", "_s);
}
