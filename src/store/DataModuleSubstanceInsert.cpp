#include "store/DataModuleKelvoADO.h"

#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "store/ControlsDisabled.h"

using namespace Qt::Literals::StringLiterals;

// Creating a substance: its three rows with the default values of a new substance.

namespace {

struct TDefaultValue {
    QString field;
    double value;
};

const TDefaultValue SubstanceDefaultValues[] = {
    {u"MolEntVap"_s, 95000}, {u"TemRefSlb"_s, 20},    {u"TemRefTraWat"_s, 20},   {u"TemRefTraSed"_s, 20},
    {u"MolEntTra"_s, 54000}, {u"MolEntSlb"_s, 27000}, {u"CofDifAirRef"_s, 0.43}, {u"ExpFre"_s, 0.9},
    {u"ExpFreSus"_s, 0.9},   {u"ExpFreSed"_s, 0.9},   {u"ConLiqRef"_s, 1},       {u"ConLiqRefSus"_s, 1},
    {u"ConLiqRefSed"_s, 1},  {u"ConLiqRefSol"_s, 1},  {u"KsorMph"_s, 0},         {u"subSource"_s, 1},
};

const TDefaultValue MacroDefaultValues[] = {
    {u"tref"_s, 20},    {u"VpTemp"_s, 20},         {u"pf"_s, 2},      {u"expb"_s, 0.7},  {u"tresp"_s, 0.079},
    {u"freund"_s, 0.9}, {u"diffusion"_s, 4.3e-05}, {u"fstar"_s, 0.5}, {u"fext"_s, 0.05}, {u"fconvert"_s, 0},
    {u"candeg"_s, 10},
};

const TDefaultValue PrzmDefaultValues[] = {
    {u"apptyp"_s, 0},  {u"apprel"_s, 0},   {u"dknum"_s, 0},    {u"napp"_s, 0},    {u"icheck1"_s, 0},
    {u"icheck2"_s, 1}, {u"icheck3"_s, 1},  {u"icombo3"_s, 1},  {u"icheck5"_s, 1}, {u"iqfac"_s, 1},
    {u"kdtyp"_s, 1},   {u"kdsp"_s, 0},     {u"drate1a"_s, 0},  {u"drate1c"_s, 0}, {u"drate2a"_s, 0},
    {u"pldkrt"_s, 0},  {u"fextrc"_s, 0.5}, {u"q10fac"_s, 2.2}, {u"qbase"_s, 20},  {u"prtrn12"_s, 0},
    {u"prtrn13"_s, 0}, {u"prtrn23"_s, 0},  {u"dtr121a"_s, 0},  {u"dtr121b"_s, 0}, {u"dtr121c"_s, 0},
    {u"dtr122a"_s, 0}, {u"dtr131a"_s, 0},  {u"dtr131b"_s, 0},  {u"dtr131c"_s, 0}, {u"dtr132a"_s, 0},
    {u"dtr231a"_s, 0}, {u"dtr231b"_s, 0},  {u"dtr231c"_s, 0},  {u"dtr232a"_s, 0}, {u"mseff"_s, 0.7},
    {u"mslab"_s, 100}, {u"solub"_s, 0},    {u"mwght"_s, 0},    {u"iset1"_s, 2},   {u"iset2"_s, 0},
    {u"iset3"_s, 0},
};

using TFieldDefaults = QVector<std::pair<TField*, double>>;

template <size_t N>
TFieldDefaults Resolve(TRecordSet& rs, const TDefaultValue (&defaults)[N], const QSet<const TField*>& given) {
    TFieldDefaults fields;
    for (const TDefaultValue& d : defaults)
        if (TField& field = rs.fieldByName(d.field); !given.contains(&field)) fields.append({&field, d.value});
    return fields;
}

void Fill(const TFieldDefaults& defaults) {
    for (const auto& [field, value] : defaults)
        field->setAsFloat(value);
}

// A new substance's values in each of its three rows.
void FillSubstance(TRecordSet& rs, const QString& code, const QString& name, const TFieldDefaults& defaults) {
    rs.fieldByName(u"SubstanceCode"_s).setAsString(code);
    rs.fieldByName(u"IsParent"_s).setAsBoolean(true);
    // The editor shows General for a new substance: the stored mode says so too.
    rs.fieldByName(u"DetailedSorption"_s).setAsBoolean(false);
    rs.fieldByName(u"Name"_s).setAsString(name.isEmpty() ? code : name);
    Fill(defaults);
}

void FillMacro(TRecordSet& rs, const QString& code, const QString& name, const TFieldDefaults& defaults) {
    rs.fieldByName(u"SubstanceCode"_s).setAsString(code);
    rs.fieldByName(u"inform"_s).setAsString(name);
    Fill(defaults);
}

void FillPrzm(TRecordSet& rs, const QString& code, const QString& name, const TFieldDefaults& defaults) {
    rs.fieldByName(u"SubstanceCode"_s).setAsString(code);
    rs.fieldByName(u"pstnam"_s).setAsString(name);
    Fill(defaults);
}

// Starts a new row; a failure is shown and the insert goes on.
void StartRow(TRecordSet& rs) {
    try {
        rs.append();
    } catch (...) {
        ShowMessage(u"error inserting substance"_s);
        ShowCurrentException();
    }
}

} // namespace

// The new substance is the current row of the substance record sets afterwards, touched so that it
// counts as changed. Each detail row is started once the Substances row is stored, because storing
// the master reloads its details.
void TdmKelvoADO::InsertSubstance(const QString& code, const QString& name) {
    if (code.isEmpty()) throw EKelvoError(u"Substance Code not set"_s);
    const TSubstanceDefaults defaults = SubstanceDefaults();
    {
        TControlsDisabled quiet(tblSubstances);
        RetouchPending = false;

        StartRow(tblSubstances);
        try {
            FillSubstance(tblSubstances, code, name, defaults.substance);
            AskBeforeSave = false;
            tblSubstances.post();
        } catch (...) {
            // A database that cannot be written says so once, without a guess at another reason.
            const bool readOnly = dbKelvoADO.IsReadOnly();
            if (!readOnly) ShowCurrentException();
            try {
                tblSubstances.cancel();
                tblSubstances.refresh();
            } catch (...) {
            }
            if (readOnly) throw EKelvoError(dbKelvoADO.ReadOnlyReason());
            throw EKelvoError(u"Substance Code is not unique"_s);
        }

        StartRow(tblSubstancesMacro);
        try {
            FillMacro(tblSubstancesMacro, code, name, defaults.macro);
            AskBeforeSave = false;
            tblSubstancesMacro.post();
        } catch (...) {
            ShowMessage(u"error posting substance (macro)"_s);
            ShowCurrentException();
        }

        StartRow(tblSubstancesPRZM);
        try {
            FillPrzm(tblSubstancesPRZM, code, name, defaults.przm);
            AskBeforeSave = false;
            tblSubstancesPRZM.post();
        } catch (...) {
            ShowMessage(u"error posting substance (przm)"_s);
            ShowCurrentException();
        }

        TouchRecord(tblSubstances);
    }
    AskBeforeSave = true;
}

TdmKelvoADO::TSubstanceDefaults TdmKelvoADO::SubstanceDefaults(const QSet<const TField*>& given) {
    return {Resolve(tblSubstances, SubstanceDefaultValues, given), Resolve(tblSubstancesMacro, MacroDefaultValues, given),
            Resolve(tblSubstancesPRZM, PrzmDefaultValues, given)};
}

// The three rows are started together; the Substances row is posted first, as the others refer to it.
void TdmKelvoADO::StartNewSubstance(const QString& code, const QString& name, const TSubstanceDefaults& defaults) {
    if (code.isEmpty()) throw EKelvoError(u"Substance Code not set"_s);
    tblSubstances.append();
    FillSubstance(tblSubstances, code, name, defaults.substance);
    tblSubstancesMacro.append();
    FillMacro(tblSubstancesMacro, code, name, defaults.macro);
    tblSubstancesPRZM.append();
    FillPrzm(tblSubstancesPRZM, code, name, defaults.przm);
}
