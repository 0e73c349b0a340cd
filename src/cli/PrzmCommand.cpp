// kelvo-cli przm records: the records of the PRZM chemical data file as the system reads them.

#include "cli/CliCommand.h"
#include "cli/JsonOutput.h"
#include "export/PRZMSubstance.h"
#include "export/PRZMSubstanceFile.h"
#include "foundation/ConcreteCollections.h"
#include "foundation/Utils.h"

#include <QJsonArray>
#include <QLocale>
#include <QTextStream>
#include <variant>

using namespace Qt::Literals::StringLiterals;

namespace {

template <class TOwner> using TNumber = std::variant<qint32 TOwner::*, double TOwner::*>;

template <class TOwner> struct TNamedNumber {
    const char16_t* name;
    TNumber<TOwner> member;
};

const TNamedNumber<TPRZM_Substance> RecordNumbers[] = {
    {u"icheck1", &TPRZM_Substance::icheck1},     {u"icheck2", &TPRZM_Substance::icheck2},
    {u"icheck3", &TPRZM_Substance::icheck3},     {u"icombo3", &TPRZM_Substance::icombo3},
    {u"icheck5", &TPRZM_Substance::icheck5},     {u"iqfac", &TPRZM_Substance::iqfac},
    {u"prtrn12", &TPRZM_Substance::prtrn12},     {u"dtr121a", &TPRZM_Substance::dtr121a},
    {u"dtr121b", &TPRZM_Substance::dtr121b},     {u"dtr121c", &TPRZM_Substance::dtr121c},
    {u"dtr122a", &TPRZM_Substance::dtr122a},     {u"prtrn13", &TPRZM_Substance::prtrn13},
    {u"dtr131a", &TPRZM_Substance::dtr131a},     {u"dtr131b", &TPRZM_Substance::dtr131b},
    {u"dtr131c", &TPRZM_Substance::dtr131c},     {u"dtr132a", &TPRZM_Substance::dtr132a},
    {u"dtr231a", &TPRZM_Substance::dtr231a},     {u"dtr231b", &TPRZM_Substance::dtr231b},
    {u"dtr231c", &TPRZM_Substance::dtr231c},     {u"dtr232a", &TPRZM_Substance::dtr232a},
    {u"prtrn23", &TPRZM_Substance::prtrn23},     {u"iset1", &TPRZM_Substance::iset1},
    {u"iset2", &TPRZM_Substance::iset2},         {u"iset3", &TPRZM_Substance::iset3},
    {u"spareFlag", &TPRZM_Substance::spareFlag},
};

const TNamedNumber<TPRZMChemical> ChemicalNumbers[] = {
    {u"kdtyp", &TPRZMChemical::kdtyp},       {u"apptyp", &TPRZMChemical::apptyp},
    {u"apprel", &TPRZMChemical::apprel},     {u"dknum", &TPRZMChemical::dknum},
    {u"napp", &TPRZMChemical::napp},         {u"kdsp", &TPRZMChemical::kdsp},
    {u"drate1a", &TPRZMChemical::drate1a},   {u"freund", &TPRZMChemical::freund},
    {u"drate1c", &TPRZMChemical::drate1c},   {u"drate2a", &TPRZMChemical::drate2a},
    {u"fextrc", &TPRZMChemical::fextrc},     {u"candeg", &TPRZMChemical::candeg},
    {u"q10fac", &TPRZMChemical::q10fac},     {u"qbase", &TPRZMChemical::qbase},
    {u"mseff", &TPRZMChemical::mseff},       {u"mslab", &TPRZMChemical::mslab},
    {u"solub", &TPRZMChemical::solub},       {u"mwght", &TPRZMChemical::mwght},
    {u"fstar", &TPRZMChemical::fstar},       {u"vapourPressure", &TPRZMChemical::vapourPressure},
    {u"enthalpy", &TPRZMChemical::enthalpy}, {u"airDiffusion", &TPRZMChemical::airDiffusion},
};

// A number in the user's format, without group separators.
QString UserText(double value) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 15);
}

// Collects the numbers of an object as JSON values and as "name=value" texts in the user's format.
class TNumberList {
public:
    template <class TOwner, size_t N>
    void AddAll(const TOwner& owner, const TNamedNumber<TOwner> (&numbers)[N]) {
        for (const TNamedNumber<TOwner>& n : numbers)
            std::visit([this, &owner, &n](auto member) { Add(QString::fromUtf16(n.name), owner.*member); },
                       n.member);
    }
    template <class T, size_t N> void AddSpares(const QString& name, const std::array<T, N>& values) {
        QJsonArray array;
        QStringList texts;
        for (const T v : values) {
            array.append(v);
            texts << UserText(v);
        }
        json.insert(name, array);
        text << name + u'=' + texts.join(u'/');
    }

    QJsonObject json;
    QStringList text;

private:
    void Add(const QString& name, double value) {
        json.insert(name, value);
        text << name + u'=' + UserText(value);
    }
};

int ListRecords(QStringList arguments, TCliContext& context) {
    RequireNoArguments(arguments);
    std::unique_ptr<TAggregationList> records;
    QString fileName;
    {
        const TPointDecimals pointDecimals;
        TPRZMSubstanceFile file;
        fileName = file.DataFileName();
        records = file.ReadAll();
    }

    // Numbers are shown in the user's format, which is back in force after the reading.
    QTextStream out(stdout);
    QJsonArray list;
    for (const TPRZM_Substance* record : records->Items<TPRZM_Substance>()) {
        TNumberList numbers;
        numbers.AddAll(*record, RecordNumbers);
        QJsonObject json = numbers.json;
        json.insert(u"key"_s, record->key);
        if (!context.json)
            out << record->DisplayText() << u"\n  key=\""_s << record->key << u"\" "_s
                << numbers.text.join(u' ') << u'\n';
        QJsonArray chemicals;
        for (int j = 1; j <= 3; ++j) {
            const TPRZMChemical& chemical = record->Chemical(j);
            TNumberList values;
            values.AddAll(chemical, ChemicalNumbers);
            values.AddSpares(u"spareIntegers"_s, chemical.spareIntegers);
            values.AddSpares(u"spareReals"_s, chemical.spareReals);
            QJsonObject c = values.json;
            c.insert(u"name"_s, chemical.name);
            chemicals.append(c);
            if (!context.json)
                out << u"  chemical %1 \""_s.arg(j) << chemical.name << u"\" "_s << values.text.join(u' ')
                    << u'\n';
        }
        json.insert(u"chemicals"_s, chemicals);
        list.append(json);
    }
    if (context.json)
        PrintJson(QJsonObject{{u"file"_s, fileName}, {u"records"_s, list}});
    else
        out << u"%1 records in %2"_s.arg(records->Count()).arg(fileName) << Qt::endl;
    return 0;
}

int RunPrzm(QStringList arguments, TCliContext& context) {
    if (arguments.isEmpty()) throw TUsageError(u"ACTION is missing"_s);
    const QString action = arguments.takeFirst();
    if (action == u"records"_s) return ListRecords(arguments, context);
    throw TUsageError(u"Unknown przm action: %1"_s.arg(action));
}

const TCliCommandRegistrar registrar({u"przm"_s, u"records [--json]"_s,
                                      u"the records of the PRZM chemical data file as Kelvo reads them"_s,
                                      RunPrzm});

} // namespace
