#include "store/DataModuleKelvoADO.h"

#include "domain/Conversions.h"
#include "export/PRZMSubstance.h"
#include "export/PRZMSubstanceFile.h"
#include "foundation/ConcreteCollections.h"
#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "foundation/Utils.h"
#include "store/Locate.h"
#include "store/Transaction.h"

#include <type_traits>
#include <utility>

using namespace Qt::Literals::StringLiterals;

// The substance exchange with PRZM: the chemical data file taken over into the substance tables, and
// rewritten from them.

namespace {

// Units of the chemical data file against those of the scenario database.
double VapourPressureToFile(double pascal) {
    return pascal * 1000;
}
double VapourPressureFromFile(double value) {
    return value / 1000;
}
double EnthalpyToFile(double joulePerMole) {
    return joulePerMole * 4.18 / 1000;
}
double EnthalpyFromFile(double value) {
    return value * 1000 / 4.18;
}
double AirDiffusionToFile(double squareMetrePerDay) {
    return squareMetrePerDay * 10000;
}
double AirDiffusionFromFile(double value) {
    return value / 10000;
}

// The record-wide fields of a record with their Substance_PRZM columns: integers, then reals.
template <class TRecord> auto RecordWide(TRecord& r) {
    using TInt = std::conditional_t<std::is_const_v<TRecord>, const qint32, qint32>;
    using TReal = std::conditional_t<std::is_const_v<TRecord>, const double, double>;
    const QList<std::pair<QString, TInt*>> integers = {
        {u"icheck1"_s, &r.icheck1}, {u"icheck2"_s, &r.icheck2}, {u"icheck3"_s, &r.icheck3},
        {u"icombo3"_s, &r.icombo3}, {u"icheck5"_s, &r.icheck5}, {u"iqfac"_s, &r.iqfac},
        {u"iset1"_s, &r.iset1},     {u"iset2"_s, &r.iset2},     {u"iset3"_s, &r.iset3}};
    const QList<std::pair<QString, TReal*>> reals = {
        {u"prtrn12"_s, &r.prtrn12}, {u"prtrn13"_s, &r.prtrn13}, {u"prtrn23"_s, &r.prtrn23},
        {u"dtr121a"_s, &r.dtr121a}, {u"dtr121b"_s, &r.dtr121b}, {u"dtr121c"_s, &r.dtr121c},
        {u"dtr122a"_s, &r.dtr122a}, {u"dtr131a"_s, &r.dtr131a}, {u"dtr131b"_s, &r.dtr131b},
        {u"dtr131c"_s, &r.dtr131c}, {u"dtr132a"_s, &r.dtr132a}, {u"dtr231a"_s, &r.dtr231a},
        {u"dtr231b"_s, &r.dtr231b}, {u"dtr231c"_s, &r.dtr231c}, {u"dtr232a"_s, &r.dtr232a}};
    return std::make_pair(integers, reals);
}

// The per-chemical fields that Substance_PRZM holds under the same names.
template <class TChemical> auto ChemicalPRZMFields(TChemical& c) {
    using TInt = std::conditional_t<std::is_const_v<TChemical>, const qint32, qint32>;
    using TReal = std::conditional_t<std::is_const_v<TChemical>, const double, double>;
    const QList<std::pair<QString, TInt*>> integers = {{u"kdtyp"_s, &c.kdtyp},
                                                       {u"apptyp"_s, &c.apptyp},
                                                       {u"apprel"_s, &c.apprel},
                                                       {u"dknum"_s, &c.dknum},
                                                       {u"napp"_s, &c.napp}};
    const QList<std::pair<QString, TReal*>> reals = {{u"drate1c"_s, &c.drate1c}, {u"drate2a"_s, &c.drate2a},
                                                     {u"fextrc"_s, &c.fextrc},   {u"q10fac"_s, &c.q10fac},
                                                     {u"qbase"_s, &c.qbase},     {u"mseff"_s, &c.mseff},
                                                     {u"mslab"_s, &c.mslab}};
    return std::make_pair(integers, reals);
}

void SetText(TField& field, const QString& text) {
    if (text.isEmpty())
        field.clear();
    else
        field.setAsString(text);
}

// The chemical's values from the current rows of a substance: its own fields of Substance_PRZM, the
// properties of Substances (kdsp by the sorption rule) and those of Substance_Macro.
void FillChemical(const TRecordSet& substances, const TRecordSet& macro, const TRecordSet& przm,
                  TPRZMChemical& chemical) {
    const auto [integers, reals] = ChemicalPRZMFields(chemical);
    for (const auto& [name, value] : integers)
        *value = przm.fieldByName(name).asInteger();
    for (const auto& [name, value] : reals)
        *value = przm.fieldByName(name).asFloat();

    const auto number = [&substances](const QString& name) { return substances.fieldByName(name).asFloat(); };
    chemical.mwght = number(u"MolMass"_s);
    if (substances.fieldByName(u"DetailedSorption"_s).asBoolean())
        chemical.kdsp = number(u"KocSol"_s);
    else
        chemical.kdsp = chemical.kdtyp == 1 ? KomToKoc(number(u"Kom"_s)) : number(u"Kom"_s);
    chemical.solub = number(u"SlbWatRef"_s);
    chemical.enthalpy = EnthalpyToFile(number(u"MolEntVap"_s));
    chemical.airDiffusion = AirDiffusionToFile(number(u"CofDifAirRef"_s));

    chemical.drate1a = macro.fieldByName(u"halflife"_s).asFloat();
    chemical.vapourPressure = VapourPressureToFile(macro.fieldByName(u"vap"_s).asFloat());
    chemical.fstar = macro.fieldByName(u"fstar"_s).asFloat();
    chemical.freund = macro.fieldByName(u"freund"_s).asFloat();
    chemical.candeg = macro.fieldByName(u"candeg"_s).asFloat();
}

// The sorption coefficient of the file into the sorption fields that the substance uses.
void ImportSorption(TRecordSet& substances, bool detailed, const TPRZMChemical& chemical) {
    const double k = chemical.kdsp;
    const bool organicCarbon = chemical.kdtyp == 1;
    if (detailed) {
        substances.fieldByName(u"KocSol"_s).setAsFloat(organicCarbon ? k : KomToKoc(k));
        substances.fieldByName(u"KomSol"_s).setAsFloat(organicCarbon ? KocToKom(k) : k);
    } else {
        substances.fieldByName(u"Kom"_s).setAsFloat(organicCarbon ? KocToKom(k) : k);
    }
}

// Whether a record key or chemical name holds only blanks.
bool OnlyBlanks(const QString& text) {
    return text.count(u' ') == text.size();
}

} // namespace

bool TdmKelvoADO::ImportPRZMSubstances() {
    const TPointDecimals pointDecimals;
    TPRZMSubstanceFile file;
    AskBeforeSave = false;
    try {
        // Every substance whole or none: one commit for the whole file.
        const TTransaction transaction(dbKelvoADO);
        if (!OpenSubstanceTables()) Abort();
        const std::unique_ptr<TAggregationList> records = file.ReadAll();
        for (const TRootObject* element : *records)
            for (int j = 1; j <= 3; ++j)
                ImportPRZMChemical(*static_cast<const TPRZM_Substance*>(element), j);
    } catch (...) {
        AskBeforeSave = true;
        UndoSubstance();
        CloseSubstanceTables();
        throw;
    }
    AskBeforeSave = true;
    CloseSubstanceTables();
    return true;
}

// Substances created in the system or taken from MACRO, and locked ones, are only looked up.
bool TdmKelvoADO::ImportPRZMChemical(const TPRZM_Substance& record, int j) {
    const TPRZMChemical& chemical = record.Chemical(j);
    const QString text = j == 1 && !OnlyBlanks(record.key) ? record.key : chemical.name;
    if ((!text.isEmpty() && text.front() == QChar(u'\0')) || TrimmedText(text).isEmpty()) return false;
    const QString code = TrimmedText(text);
    const QString name = TrimmedText(chemical.name);

    bool detailed = true;
    if (LocateByTextKeys(tblSubstances, {code}, 1)) {
        detailed = tblSubstances.fieldByName(u"DetailedSorption"_s).asBoolean();
    } else {
        InsertSubstance(code, name);
        RetouchPending = true;
        tblSubstances.ensureEditing();
        tblSubstances.fieldByName(u"SubstanceCode"_s).setAsString(code);
        tblSubstances.fieldByName(u"subSource"_s).setAsInteger(3);
        SetText(tblSubstances.fieldByName(u"Name"_s), name);
        tblSubstances.fieldByName(u"IsParent"_s).setAsBoolean(j == 1);
        tblSubstances.fieldByName(u"Locked"_s).setAsBoolean(false);
        tblSubstances.fieldByName(u"DetailedSorption"_s).setAsBoolean(true);
        AskBeforeSave = false;
        tblSubstances.post();
    }
    if (tblSubstances.fieldByName(u"Locked"_s).asBoolean() ||
        tblSubstances.fieldByName(u"subSource"_s).asInteger() != 3)
        return true;

    tblSubstances.edit();
    ImportSorption(tblSubstances, detailed, chemical);
    tblSubstances.fieldByName(u"SlbWatRef"_s).setAsFloat(chemical.solub);
    tblSubstances.fieldByName(u"MolMass"_s).setAsFloat(chemical.mwght);
    tblSubstances.fieldByName(u"MolEntVap"_s).setAsFloat(EnthalpyFromFile(chemical.enthalpy));
    tblSubstances.fieldByName(u"CofDifAirRef"_s).setAsFloat(AirDiffusionFromFile(chemical.airDiffusion));
    QString metabolite1;
    QString metabolite2;
    if (j == 1) {
        metabolite1 = TrimmedText(record.Chemical(2).name);
        if (record.Chemical(2).name != record.Chemical(3).name)
            metabolite2 = TrimmedText(record.Chemical(3).name);
    }
    SetText(tblSubstances.fieldByName(u"MetSubCode1"_s), metabolite1);
    SetText(tblSubstances.fieldByName(u"MetSubCode2"_s), metabolite2);
    tblSubstances.post();

    if (tblSubstancesPRZM.isEmpty())
        tblSubstancesPRZM.append();
    else
        tblSubstancesPRZM.edit();
    tblSubstancesPRZM.fieldByName(u"SubstanceCode"_s).setAsString(code);
    tblSubstancesPRZM.fieldByName(u"pstnam"_s).setAsString(chemical.name);
    const auto [recordIntegers, recordReals] = RecordWide(record);
    for (const auto& [field, value] : recordIntegers)
        tblSubstancesPRZM.fieldByName(field).setAsInteger(*value);
    for (const auto& [field, value] : recordReals)
        tblSubstancesPRZM.fieldByName(field).setAsFloat(*value);
    const auto [integers, reals] = ChemicalPRZMFields(chemical);
    for (const auto& [field, value] : integers)
        tblSubstancesPRZM.fieldByName(field).setAsInteger(*value);
    for (const auto& [field, value] : reals)
        tblSubstancesPRZM.fieldByName(field).setAsFloat(*value);
    tblSubstancesPRZM.fieldByName(u"kdsp"_s).setAsFloat(chemical.kdsp);
    tblSubstancesPRZM.fieldByName(u"drate1a"_s).setAsFloat(chemical.drate1a);
    tblSubstancesPRZM.fieldByName(u"solub"_s).setAsFloat(chemical.solub);
    tblSubstancesPRZM.fieldByName(u"mwght"_s).setAsFloat(chemical.mwght);
    tblSubstancesPRZM.post();

    if (!tblSubstancesMacro.isEmpty()) {
        tblSubstancesMacro.edit();
        tblSubstancesMacro.fieldByName(u"candeg"_s).setAsFloat(chemical.candeg);
        tblSubstancesMacro.fieldByName(u"freund"_s).setAsFloat(chemical.freund);
        tblSubstancesMacro.fieldByName(u"fstar"_s).setAsFloat(chemical.fstar);
        tblSubstancesMacro.fieldByName(u"vap"_s).setAsFloat(VapourPressureFromFile(chemical.vapourPressure));
        tblSubstancesMacro.fieldByName(u"halflife"_s).setAsFloat(chemical.drate1a);
        tblSubstancesMacro.post();
    }
    return true;
}

bool TdmKelvoADO::WritePRZMSubstances() {
    try {
        WritePRZMProjectList();
    } catch (...) {
        ShowMessage(u"Failed to update PRZM project-file (przm.prj)"_s);
    }
    const TPointDecimals pointDecimals;
    if (!OpenSubstanceTables()) Abort();
    try {
        TPRZMSubstanceFile file;
        TAggregationList records;
        FillPRZMRecords(records);
        // The user's records in a file that cannot be read are kept, never overwritten unseen.
        if (const auto [kept, error] = file.KeepUnreadable(); !kept.isEmpty())
            ShowWarning(u"%1\n\nThe PRZM chemical data file could not be read; it is kept as %2, and a new "
                        "file is written from the substance library."_s.arg(error, kept));
        file.WriteAll(records);
    } catch (...) {
        CloseSubstanceTables();
        throw;
    }
    CloseSubstanceTables();
    return true;
}

void TdmKelvoADO::CheckPRZMSubstances() {
    const TPointDecimals pointDecimals;
    if (!OpenSubstanceTables()) Abort();
    try {
        TAggregationList records;
        FillPRZMRecords(records);
        for (const TRootObject* element : records)
            static_cast<const TPRZM_Substance*>(element)->ToRecord();
    } catch (...) {
        CloseSubstanceTables();
        throw;
    }
    CloseSubstanceTables();
}

// One record per parent written to PRZM, its metabolites in the record's other slots.
void TdmKelvoADO::FillPRZMRecords(TAggregationList& records) {
    for (int row = 1; row <= tblSubstances.recordCount(); ++row) {
        tblSubstances.setRecNo(row);
        if (!tblSubstances.fieldByName(u"IsParent"_s).asBoolean()) continue;
        if (tblSubstances.fieldByName(u"subSource"_s).asInteger() != 3 && !IsCurrentSubstanceComplete())
            continue;
        auto* record = new TPRZM_Substance;
        records.Add(record);
        FillParentRecord(*record);
    }
    for (TRootObject* element : records) {
        auto& record = *static_cast<TPRZM_Substance*>(element);
        for (int j = 2; j <= 3; ++j) {
            const QString name = record.Chemical(j).name;
            if (IsBlankCode(name))
                CopyParentToSlot(record, j);
            else if (LocateByTextKeys(tblSubstances, {name}, 1))
                FillMetaboliteSlot(record, j);
        }
    }
}

void TdmKelvoADO::FillParentRecord(TPRZM_Substance& record) {
    const QString code = tblSubstances.fieldByName(u"SubstanceCode"_s).asString();
    record.key = code;
    record.Chemical(1).name = code;
    record.Chemical(2).name = tblSubstances.fieldByName(u"MetSubCode1"_s).asString();
    record.Chemical(3).name = tblSubstances.fieldByName(u"MetSubCode2"_s).asString();
    const auto [integers, reals] = RecordWide(record);
    for (const auto& [field, value] : integers)
        *value = tblSubstancesPRZM.fieldByName(field).asInteger();
    for (const auto& [field, value] : reals)
        *value = tblSubstancesPRZM.fieldByName(field).asFloat();
    FillChemical(tblSubstances, tblSubstancesMacro, tblSubstancesPRZM, record.Chemical(1));
}

// The record-wide fields stay the parent's; only the iset field of the slot comes from the metabolite.
void TdmKelvoADO::FillMetaboliteSlot(TPRZM_Substance& record, int j) {
    TPRZMChemical& chemical = record.Chemical(j);
    chemical.name = tblSubstancesPRZM.fieldByName(u"SubstanceCode"_s).asString();
    FillChemical(tblSubstances, tblSubstancesMacro, tblSubstancesPRZM, chemical);
    (j == 2 ? record.iset2 : record.iset3) = tblSubstancesPRZM.fieldByName(u"iset1"_s).asInteger();
}

// The spare fields of the slot are not the parent's to give.
void TdmKelvoADO::CopyParentToSlot(TPRZM_Substance& record, int j) {
    TPRZMChemical& slot = record.Chemical(j);
    const auto spareIntegers = slot.spareIntegers;
    const auto spareReals = slot.spareReals;
    slot = record.Chemical(1);
    slot.name.clear();
    slot.spareIntegers = spareIntegers;
    slot.spareReals = spareReals;
    record.iset2 = record.iset1;
    record.iset3 = record.iset1;
}
