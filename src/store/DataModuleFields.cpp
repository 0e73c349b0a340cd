#include "store/DataModuleKelvoADO.h"
#include "store/TextRules.h"

using namespace Qt::Literals::StringLiterals;

// The persistent fields of the record sets over Runs, Applications, SubstancexCropxLocation and the
// three substance tables: types, sizes, ranges and display formats.

void TdmKelvoADO::DefineRunFields() {
    TTable& t = tblRuns;
    t.addField(u"RunID"_s, TFieldType::String, 15).setDisplayWidth(12);
    t.addField(u"ProjectID"_s, TFieldType::Integer);
    t.addField(u"LocationCode"_s, TFieldType::String, 3);
    t.addField(u"CropCode"_s, TFieldType::String, 35);
    t.addField(u"WaterbodyCode"_s, TFieldType::String, 50);
    t.addField(u"Name"_s, TFieldType::String, 50);
    t.addField(u"CreationDate"_s, TFieldType::DateTime);
    t.addField(u"ModificationDate"_s, TFieldType::DateTime);
    t.addField(u"AppMethod"_s, TFieldType::String, 20);
    t.addField(u"NumberOfApps"_s, TFieldType::Integer).setRequired(true);
    t.addField(u"FirstDayYrApp"_s, TFieldType::Integer).setRequired(true).setRange(1, 366);
    t.addField(u"LastDayYrApp"_s, TFieldType::Integer).setRequired(true).setRange(1, 366);
    t.addField(u"MinIntervalApps"_s, TFieldType::Integer).setRequired(true);
    t.addField(u"Selected"_s, TFieldType::String, 3);
    t.addField(u"CropNr"_s, TFieldType::String, 3);
    t.addField(u"VolgNr"_s, TFieldType::String, 15);
    t.addField(u"Locked"_s, TFieldType::Boolean);
    t.addField(u"ApplicationSchemeID"_s, TFieldType::SmallInt);
    t.addField(u"FirstDayYrAppJulian"_s, TFieldType::String, 12);
    t.addField(u"LastDayYrAppJulian"_s, TFieldType::String, 12);
    t.addField(u"BufferDistance"_s, TFieldType::Float).setDisplayFormat(u"0.0#"_s);
    t.addField(u"DriftReduction"_s, TFieldType::SmallInt);
    t.addCalculatedField(u"Step4"_s, TFieldType::String, 20);
}

void TdmKelvoADO::DefineApplicationFields() {
    TTable& t = tblApplications;
    t.addField(u"ApplicationNr"_s, TFieldType::SmallInt);
    t.addField(u"RunID"_s, TFieldType::String, 15);
    t.addField(u"Rate"_s, TFieldType::Float).setRange(0, 999).setDisplayFormat(u"0.0000"_s).setEditFormat(u"0.0000"_s);
    t.addField(u"CAM"_s, TFieldType::String, 30).setDisplayWidth(30);
    t.addField(u"Depi"_s, TFieldType::Float).setRange(0, 30).setDisplayFormat(u"0.0"_s);
    t.addField(u"Perc"_s, TFieldType::Float).setDisplayFormat(u"0.0"_s);
}

void TdmKelvoADO::DefineDefaultFields() {
    TTable& t = tblDefaults;
    t.addField(u"SubstanceCode"_s, TFieldType::String, 20);
    t.addField(u"CropCode"_s, TFieldType::String, 35);
    t.addField(u"LocationCode"_s, TFieldType::String, 3);
    t.addField(u"CropNr"_s, TFieldType::String, 3);
    t.addField(u"DefAppMethod"_s, TFieldType::String, 20);
    t.addField(u"DefNumberOfApps"_s, TFieldType::Integer);
    t.addField(u"DefMinIntervalApps"_s, TFieldType::Integer);
    t.addField(u"DefFirstDayYrApp"_s, TFieldType::Integer);
    t.addField(u"DefLastDayYrApp"_s, TFieldType::Integer);
    t.addField(u"DefRate"_s, TFieldType::Float);
    t.addField(u"Locked"_s, TFieldType::Boolean);
    t.addCalculatedField(u"First"_s, TFieldType::String, 12);
    t.addCalculatedField(u"Last"_s, TFieldType::String, 12);
}

void TdmKelvoADO::DefineSubstanceFields() {
    TTable& t = tblSubstances;
    auto real = [&t](const QString& name, double lo, double hi, const QString& format) -> TField& {
        return t.addField(name, TFieldType::Float).setRange(lo, hi).setDisplayFormat(format);
    };
    t.addField(u"SubstanceCode"_s, TFieldType::String, 20).onValidate = [](TField& f) {
        CheckSubstanceCodeCharacters(f.asString());
    };
    t.addField(u"IsParent"_s, TFieldType::Boolean);
    t.addField(u"Name"_s, TFieldType::String, 20).onValidate = [](TField& f) {
        CheckSingleLineText(f.asString(), u"Substance Name"_s);
    };
    real(u"MolMass"_s, 10, 9999.99, u"0.0#"_s);
    real(u"MolEntVap"_s, -1000000, 1000000, {});
    real(u"SlbWatRef"_s, 1e-06, 2000000, {});
    real(u"TemRefSlb"_s, 0, 40, u"0.0"_s);
    real(u"MolEntSlb"_s, -1000000, 1000000, {});
    real(u"CofDifAirRef"_s, 0, 0, u"0.00"_s);
    t.addField(u"DetailedSorption"_s, TFieldType::Boolean);
    real(u"Kom"_s, 0, 10000000, u"0.000"_s);
    real(u"ExpFre"_s, 0, 0, u"0.00"_s);
    real(u"ConLiqRef"_s, 0, 0, {});
    real(u"KomSus"_s, 0, 10000000, u"0.000"_s);
    real(u"KocSus"_s, 0, 17240000, u"0.000"_s);
    real(u"ExpFreSus"_s, 0.1, 2, u"0.00"_s);
    real(u"ConLiqRefSus"_s, 0.01, 100, {});
    real(u"KomSed"_s, 0, 10000000, u"0.000"_s);
    real(u"KocSed"_s, 0, 17240000, u"0.000"_s);
    real(u"ExpFreSed"_s, 0.1, 2, u"0.00"_s);
    real(u"ConLiqRefSed"_s, 0.01, 100, {});
    real(u"KomSol"_s, 0, 10000000, u"0.000"_s);
    real(u"KocSol"_s, 0, 17240000, u"0.000"_s);
    real(u"ConLiqRefSol"_s, 0, 0, {});
    real(u"KsorMph"_s, 0, 0, {});
    real(u"MolEntTra"_s, 0, 1000000, {});
    real(u"DT50WatRef"_s, 0.1, 1000, u"0.00"_s);
    real(u"TemRefTraWat"_s, 0, 40, u"0.0"_s);
    real(u"DT50SedRef"_s, 0.1, 1000, u"0.00"_s);
    real(u"TemRefTraSed"_s, 0, 40, u"0.0"_s);
    t.addField(u"MetSubCode1"_s, TFieldType::String, 20);
    t.addField(u"MetSubCode2"_s, TFieldType::String, 20);
    t.addField(u"Comment"_s, TFieldType::String, 250).onValidate = [](TField& f) {
        CheckSingleLineText(f.asString(), u"Comment"_s);
    };
    t.addField(u"Locked"_s, TFieldType::Boolean);
    t.addField(u"subSource"_s, TFieldType::Integer).setDisplayLabel(u"SubSource"_s);
}

void TdmKelvoADO::DefineSubstanceMacroFields() {
    TTable& t = tblSubstancesMacro;
    auto real = [&t](const QString& name, double lo, double hi, const QString& format) -> TField& {
        return t.addField(name, TFieldType::Float).setRange(lo, hi).setDisplayFormat(format);
    };
    t.addField(u"SubstanceCode"_s, TFieldType::String, 20);
    t.addField(u"inform"_s, TFieldType::String, 20);
    real(u"Koc"_s, 0, 0, u"0.000"_s);
    real(u"halflife"_s, 0, 1000, u"0.00"_s);
    real(u"tref"_s, 0, 0, u"0.0"_s);
    real(u"vap"_s, 0, 250000, u"g4"_s);
    real(u"VpTemp"_s, 0, 40, u"0.0"_s);
    t.addField(u"pf"_s, TFieldType::SmallInt);
    real(u"expb"_s, 0, 0, u"0.00"_s);
    real(u"tresp"_s, 0, 0, u"0.000"_s);
    real(u"freund"_s, 0, 0, u"0.00"_s);
    real(u"diffusion"_s, 0, 0.0002, u"g4"_s);
    real(u"fstar"_s, 0, 0, u"0.00"_s);
    real(u"fext"_s, 0, 0.5, u"0.00"_s).setEditFormat(u"g3"_s);
    real(u"candeg"_s, 0, 1000, u"0.00"_s);
    real(u"fconvert"_s, 0, 0, {});
}

void TdmKelvoADO::DefineSubstancePRZMFields() {
    TTable& t = tblSubstancesPRZM;
    t.addField(u"SubstanceCode"_s, TFieldType::String, 20);
    t.addField(u"pstnam"_s, TFieldType::String, 20);
    for (const char* name : {"icheck1", "icheck2", "icheck3", "icombo3", "icheck5", "iqfac", "kdtyp", "apptyp",
                             "apprel", "dknum", "napp"})
        t.addField(QString::fromLatin1(name), TFieldType::SmallInt);
    const QStringList reals = {u"kdsp"_s,    u"drate1a"_s, u"drate1c"_s, u"drate2a"_s, u"fextrc"_s,  u"pldkrt"_s,
                               u"q10fac"_s,  u"qbase"_s,   u"prtrn12"_s, u"prtrn13"_s, u"prtrn23"_s, u"dtr121a"_s,
                               u"dtr121b"_s, u"dtr121c"_s, u"dtr122a"_s, u"dtr131a"_s, u"dtr131b"_s, u"dtr131c"_s,
                               u"dtr132a"_s, u"dtr231a"_s, u"dtr231b"_s, u"dtr231c"_s, u"dtr232a"_s, u"mseff"_s,
                               u"mslab"_s,   u"solub"_s,   u"mwght"_s,   u"uptkf"_s,   u"vp"_s};
    const QStringList twoDecimals = {u"drate2a"_s, u"fextrc"_s, u"q10fac"_s, u"dtr121a"_s, u"dtr131a"_s,
                                     u"dtr231a"_s, u"mseff"_s,  u"mslab"_s};
    for (const QString& name : reals) {
        TField& f = t.addField(name, TFieldType::Float);
        if (twoDecimals.contains(name)) f.setDisplayFormat(u"0.00"_s);
    }
    t.fieldByName(u"fextrc"_s).setRange(0, 5);
    for (const char* name : {"iset1", "iset2", "iset3"})
        t.addField(QString::fromLatin1(name), TFieldType::SmallInt);
}
