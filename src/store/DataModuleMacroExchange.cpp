#include "store/DataModuleKelvoADO.h"

#include "domain/Conversions.h"
#include "export/DataModuleMacroADO.h"
#include "store/Locate.h"
#include "store/Transaction.h"

using namespace Qt::Literals::StringLiterals;

// The substance exchange with the MACRO database: parents in "compound", metabolites in "metab".

namespace {

// Origin of a substance taken over from the MACRO database.
constexpr int FromMacro = 2;

// The values a compound and a metab row share with Substance_Macro, copied as they are (the MACRO
// database spells vptemp in lower case).
const QStringList PlainValues = {u"halflife"_s, u"tref"_s,  u"vap"_s,    u"vptemp"_s, u"pf"_s,
                                 u"expb"_s,     u"tresp"_s, u"freund"_s, u"fstar"_s};

// The value converted, a missing value staying missing.
QVariant Converted(const TField& field, double (*convert)(double)) {
    return field.isNull() ? QVariant() : QVariant(convert(field.asFloat()));
}

// A text cut to the field's size, as the field holds it.
void SetText(TField& field, const QString& text) {
    field.setAsString(field.size() > 0 ? text.left(field.size()) : text);
}

// AskBeforeSave false for its lifetime: the postings of the exchange are the system's own.
class TQuietPostings {
public:
    explicit TQuietPostings(TdmKelvoADO& dm) : m_dm(dm) { m_dm.AskBeforeSave = false; }
    ~TQuietPostings() { m_dm.AskBeforeSave = true; }
    TQuietPostings(const TQuietPostings&) = delete;
    TQuietPostings& operator=(const TQuietPostings&) = delete;

private:
    TdmKelvoADO& m_dm;
};

// Closes the MACRO database when it goes out of scope, also when an error ends the exchange.
class TMacroConnection {
public:
    explicit TMacroConnection(TdmMacroADO& macro) : m_macro(macro) {}
    ~TMacroConnection() { m_macro.CloseMacroDatabase(); }
    TMacroConnection(const TMacroConnection&) = delete;
    TMacroConnection& operator=(const TMacroConnection&) = delete;

private:
    TdmMacroADO& m_macro;
};

// Moves the metab record set to the row of the code; false when there is none.
bool FindMetabRow(TRecordSet& metab, const QString& code) {
    for (metab.first(); !metab.eof(); metab.next())
        if (metab.fieldByName(u"name"_s).asString() == code) return true;
    return false;
}

} // namespace

bool TdmKelvoADO::ImportMacroSubstances(TdmMacroADO& macro) {
    if (!macro.OpenMacroDatabase()) return false;
    const TMacroConnection connection(macro);
    const TQuietPostings quiet(*this);
    try {
        // Every substance whole or none: one commit for the whole database.
        const TTransaction transaction(dbKelvoADO);
        return ReadMacroSubstances(macro);
    } catch (...) {
        AskBeforeSave = false;
        UndoSubstance();
        CloseSubstanceTables();
        throw;
    }
}

bool TdmKelvoADO::ReadMacroSubstances(TdmMacroADO& macro) {
    TTable* compound = macro.OpenCompoundTable();
    if (!compound) {
        macro.CloseMacroDatabase();
        return false;
    }
    OpenSubstanceTables();
    for (compound->first(); !compound->eof(); compound->next())
        ImportMacroRow(*compound);
    TTable* metab = macro.OpenMetabTable();
    if (metab) {
        for (metab->first(); !metab->eof(); metab->next())
            ImportMacroRow(*metab);
        // A parent's first metab row is its first metabolite, every later one its second.
        QStringList parents;
        for (metab->first(); !metab->eof(); metab->next()) {
            const QString parent = metab->fieldByName(u"inform"_s).asString();
            LinkMetabolite(parent, metab->fieldByName(u"name"_s).asString(),
                           parents.contains(parent) ? 2 : 1);
            parents << parent;
        }
    }
    CloseSubstanceTables();
    if (metab) metab->close();
    return true;
}

// A row without fconvert is a compound row; a row with fext is a parent's.
void TdmKelvoADO::ImportMacroRow(TRecordSet& row) {
    const bool compound = !row.findField(u"fconvert"_s);
    const bool parent = row.findField(u"fext"_s);
    const QString name = row.fieldByName(u"name"_s).asString();
    const QString inform = row.fieldByName(u"inform"_s).asString();
    const TField& koc = row.fieldByName(u"koc"_s);

    if (LocateByTextKeys(tblSubstances, {name}, 1)) {
        if (tblSubstances.fieldByName(u"Locked"_s).asBoolean()) return;
        tblSubstances.edit();
        if (compound && !inform.isEmpty()) SetText(tblSubstances.fieldByName(u"Name"_s), inform);
        tblSubstances.fieldByName(u"Kom"_s).setValue(Converted(koc, KocToKom));
    } else {
        InsertSubstance(name, inform);
        RetouchPending = true;
        tblSubstances.ensureEditing();
        tblSubstances.fieldByName(u"SubstanceCode"_s).setAsString(name);
        tblSubstances.fieldByName(u"subSource"_s).setAsInteger(FromMacro);
        tblSubstances.fieldByName(u"ExpFre"_s).setValue(row.fieldByName(u"freund"_s).value());
        tblSubstances.fieldByName(u"IsParent"_s).setAsBoolean(parent);
        if (parent)
            SetText(tblSubstances.fieldByName(u"Name"_s), inform);
        else if (!inform.isEmpty())
            SetText(tblSubstances.fieldByName(u"Name"_s), u"metab of "_s + inform);
        tblSubstances.fieldByName(u"Locked"_s).setAsBoolean(false);
    }
    AskBeforeSave = false;
    tblSubstances.post();

    TTable& m = tblSubstancesMacro;
    m.edit();
    SetText(m.fieldByName(u"inform"_s), inform);
    m.fieldByName(u"Koc"_s).setValue(koc.value());
    for (const QString& value : PlainValues)
        m.fieldByName(value).setValue(row.fieldByName(value).value());
    m.fieldByName(u"diffusion"_s).setValue(Converted(row.fieldByName(u"diffusion"_s), PerSecondToPerDay));
    if (const TField* fext = row.findField(u"fext"_s)) m.fieldByName(u"fext"_s).setValue(fext->value());
    if (const TField* candeg = row.findField(u"candeg"_s))
        m.fieldByName(u"candeg"_s).setValue(Converted(*candeg, HalfLifeOrRate));
    if (const TField* fconvert = row.findField(u"fconvert"_s))
        m.fieldByName(u"fconvert"_s).setValue(fconvert->value());
    AskBeforeSave = false;
    m.post();
    AskBeforeSave = true;
}

void TdmKelvoADO::LinkMetabolite(const QString& parentCode, const QString& metaboliteCode, int slot) {
    if (!LocateByTextKeys(tblSubstances, {parentCode}, 1)) return;
    if (tblSubstances.fieldByName(u"Locked"_s).asBoolean()) return;
    tblSubstances.edit();
    tblSubstancesPRZM.edit();
    TField& icombo3 = tblSubstancesPRZM.fieldByName(u"icombo3"_s);
    if (slot == 1) {
        tblSubstances.fieldByName(u"MetSubCode1"_s).setAsString(metaboliteCode);
        if (icombo3.asInteger() != 4) icombo3.setAsInteger(2);
    } else {
        tblSubstances.fieldByName(u"MetSubCode2"_s).setAsString(metaboliteCode);
        icombo3.setAsInteger(3);
    }
    AskBeforeSave = false;
    tblSubstancesPRZM.post();
    tblSubstances.post();
    AskBeforeSave = true;
}

// The MACRO tables are rebuilt in one transaction: a failure leaves them as they were.
bool TdmKelvoADO::WriteMacroSubstances(TdmMacroADO& macro) {
    if (!macro.OpenMacroDatabase()) return false;
    const TMacroConnection connection(macro);
    TConnection& db = macro.dbMacroADO;
    db.BeginTrans();
    try {
        TTable* metab = macro.ClearMetabTable();
        TTable* compound = macro.ClearCompoundTable();
        if (!compound || !metab) {
            db.RollbackTrans();
            return false;
        }
        OpenSubstanceTables();
        TTable& s = tblSubstances;
        for (s.first(); !s.eof(); s.next()) {
            if (!IsCurrentSubstanceComplete() && s.fieldByName(u"subSource"_s).asInteger() != FromMacro)
                continue;
            const QString code = s.fieldByName(u"SubstanceCode"_s).asString();
            if (!s.fieldByName(u"IsParent"_s).asBoolean()) {
                EnsureMetabRow(*metab, code, {});
                continue;
            }
            WriteCompoundRow(*compound);
            const QString metabolite1 = s.fieldByName(u"MetSubCode1"_s).asString();
            const QString metabolite2 = s.fieldByName(u"MetSubCode2"_s).asString();
            if (!metabolite1.isEmpty()) EnsureMetabRow(*metab, metabolite1, code);
            if (!metabolite2.isEmpty() && tblSubstancesPRZM.fieldByName(u"icombo3"_s).asInteger() == 3)
                EnsureMetabRow(*metab, metabolite2, code);
        }
        for (s.first(); !s.eof(); s.next())
            FillMetabRow(*metab, s.fieldByName(u"SubstanceCode"_s).asString());
        CloseSubstanceTables();
        metab->close();
        compound->close();
        db.CommitTrans();
    } catch (...) {
        CloseSubstanceTables();
        try {
            db.RollbackTrans();
        } catch (...) {
        }
        throw;
    }
    return true;
}

void TdmKelvoADO::WriteCompoundRow(TRecordSet& compound) {
    const TTable& s = tblSubstances;
    const TTable& m = tblSubstancesMacro;
    compound.append();
    compound.fieldByName(u"name"_s).setValue(m.fieldByName(u"SubstanceCode"_s).value());
    compound.fieldByName(u"inform"_s).setValue(s.fieldByName(u"Name"_s).value());
    const bool detailed = s.fieldByName(u"DetailedSorption"_s).asBoolean();
    compound.fieldByName(u"koc"_s).setValue(detailed ? s.fieldByName(u"KocSol"_s).value()
                                                     : m.fieldByName(u"Koc"_s).value());
    for (const QString& value : PlainValues)
        compound.fieldByName(value).setValue(m.fieldByName(value).value());
    compound.fieldByName(u"diffusion"_s)
        .setValue(Converted(m.fieldByName(u"diffusion"_s), PerDayToPerSecond));
    compound.fieldByName(u"fext"_s).setValue(m.fieldByName(u"fext"_s).value());
    compound.fieldByName(u"candeg"_s).setValue(Converted(m.fieldByName(u"candeg"_s), HalfLifeOrRate));
    compound.fieldByName(u"FOCUStest"_s).setValue(s.fieldByName(u"Locked"_s).value());
    compound.post();
}

void TdmKelvoADO::EnsureMetabRow(TRecordSet& metab, const QString& code, const QString& parentCode) {
    if (FindMetabRow(metab, code)) {
        metab.edit();
    } else {
        metab.append();
        metab.fieldByName(u"name"_s).setAsString(code);
    }
    if (!parentCode.isEmpty()) metab.fieldByName(u"inform"_s).setAsString(parentCode);
    metab.post();
}

void TdmKelvoADO::FillMetabRow(TRecordSet& metab, const QString& code) {
    if (!FindMetabRow(metab, code)) return;
    const TTable& m = tblSubstancesMacro;
    metab.edit();
    metab.fieldByName(u"koc"_s).setValue(m.fieldByName(u"Koc"_s).value());
    for (const QString& value : PlainValues)
        metab.fieldByName(value).setValue(m.fieldByName(value).value());
    metab.fieldByName(u"diffusion"_s).setValue(Converted(m.fieldByName(u"diffusion"_s), PerDayToPerSecond));
    metab.fieldByName(u"fconvert"_s).setValue(m.fieldByName(u"fconvert"_s).value());
    metab.post();
}
