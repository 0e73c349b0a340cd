#include "store/DataModuleKelvoADO.h"

#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "store/ControlsDisabled.h"

using namespace Qt::Literals::StringLiterals;

// Creating a substance: its three rows with the default values of a new substance.

namespace {

struct TDefaultValue {
    const char16_t* field;
    double value;
};

const TDefaultValue SubstanceDefaults[] = {
    {u"MolEntVap", 95000}, {u"TemRefSlb", 20},    {u"TemRefTraWat", 20},   {u"TemRefTraSed", 20},
    {u"MolEntTra", 54000}, {u"MolEntSlb", 27000}, {u"CofDifAirRef", 0.43}, {u"ExpFre", 0.9},
    {u"ExpFreSus", 0.9},   {u"ExpFreSed", 0.9},   {u"ConLiqRef", 1},       {u"ConLiqRefSus", 1},
    {u"ConLiqRefSed", 1},  {u"ConLiqRefSol", 1},  {u"KsorMph", 0},         {u"subSource", 1},
};

const TDefaultValue MacroDefaults[] = {
    {u"tref", 20},    {u"VpTemp", 20},         {u"pf", 2},      {u"expb", 0.7},  {u"tresp", 0.079},
    {u"freund", 0.9}, {u"diffusion", 4.3e-05}, {u"fstar", 0.5}, {u"fext", 0.05}, {u"fconvert", 0},
    {u"candeg", 10},
};

const TDefaultValue PrzmDefaults[] = {
    {u"apptyp", 0},  {u"apprel", 0},  {u"dknum", 0},   {u"napp", 0},    {u"icheck1", 0},  {u"icheck2", 1},
    {u"icheck3", 1}, {u"icombo3", 1}, {u"icheck5", 1}, {u"iqfac", 1},   {u"kdtyp", 1},    {u"kdsp", 0},
    {u"drate1a", 0}, {u"drate1c", 0}, {u"drate2a", 0}, {u"pldkrt", 0},  {u"fextrc", 0.5}, {u"q10fac", 2.2},
    {u"qbase", 20},  {u"prtrn12", 0}, {u"prtrn13", 0}, {u"prtrn23", 0}, {u"dtr121a", 0},  {u"dtr121b", 0},
    {u"dtr121c", 0}, {u"dtr122a", 0}, {u"dtr131a", 0}, {u"dtr131b", 0}, {u"dtr131c", 0},  {u"dtr132a", 0},
    {u"dtr231a", 0}, {u"dtr231b", 0}, {u"dtr231c", 0}, {u"dtr232a", 0}, {u"mseff", 0.7},  {u"mslab", 100},
    {u"solub", 0},   {u"mwght", 0},   {u"iset1", 2},   {u"iset2", 0},   {u"iset3", 0},
};

template <size_t N> void Fill(TRecordSet& rs, const TDefaultValue (&defaults)[N]) {
    for (const TDefaultValue& d : defaults)
        rs.fieldByName(QString::fromUtf16(d.field)).setAsFloat(d.value);
}

// A new substance's values in each of its three rows.
void FillSubstance(TRecordSet& rs, const QString& code, const QString& name) {
    rs.fieldByName(u"SubstanceCode"_s).setAsString(code);
    rs.fieldByName(u"IsParent"_s).setAsBoolean(true);
    // The editor shows General for a new substance: the stored mode says so too.
    rs.fieldByName(u"DetailedSorption"_s).setAsBoolean(false);
    rs.fieldByName(u"Name"_s).setAsString(name.isEmpty() ? code : name);
    Fill(rs, SubstanceDefaults);
}

void FillMacro(TRecordSet& rs, const QString& code, const QString& name) {
    rs.fieldByName(u"SubstanceCode"_s).setAsString(code);
    rs.fieldByName(u"inform"_s).setAsString(name);
    Fill(rs, MacroDefaults);
}

void FillPrzm(TRecordSet& rs, const QString& code, const QString& name) {
    rs.fieldByName(u"SubstanceCode"_s).setAsString(code);
    rs.fieldByName(u"pstnam"_s).setAsString(name);
    Fill(rs, PrzmDefaults);
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
    {
        TControlsDisabled quiet(tblSubstances);
        RetouchPending = false;

        StartRow(tblSubstances);
        try {
            FillSubstance(tblSubstances, code, name);
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
            FillMacro(tblSubstancesMacro, code, name);
            AskBeforeSave = false;
            tblSubstancesMacro.post();
        } catch (...) {
            ShowMessage(u"error posting substance (macro)"_s);
            ShowCurrentException();
        }

        StartRow(tblSubstancesPRZM);
        try {
            FillPrzm(tblSubstancesPRZM, code, name);
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

// The three rows are started together; the Substances row is posted first, as the others refer to it.
void TdmKelvoADO::StartNewSubstance(const QString& code, const QString& name) {
    if (code.isEmpty()) throw EKelvoError(u"Substance Code not set"_s);
    tblSubstances.append();
    FillSubstance(tblSubstances, code, name);
    tblSubstancesMacro.append();
    FillMacro(tblSubstancesMacro, code, name);
    tblSubstancesPRZM.append();
    FillPrzm(tblSubstancesPRZM, code, name);
}
