// kelvo-cli crops and scenarios: the FOCUS crops and the scenarios where chosen crops grow on chosen
// water body types, as the wizards offer them.

#include "cli/CliCommand.h"
#include "cli/CliScenario.h"
#include "cli/JsonOutput.h"
#include "cli/ScenarioArguments.h"
#include "domain/Crop.h"
#include "domain/Location.h"
#include "foundation/ConcreteCollections.h"
#include "foundation/Errors.h"
#include "store/DataModuleKelvoADO.h"

#include <QJsonArray>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

namespace {

int RunCrops(QStringList arguments, TCliContext& context) {
    const bool all = TakeFlag(arguments, u"--all"_s);
    RequireNoArguments(arguments);
    TCliScenario scenario;
    TdmKelvoADO& dm = scenario.dm;
    const QStringList codes = dm.LoadCropCodes(all);
    QJsonArray crops;
    TQuery& query = dm.qryCrops;
    query.open();
    for (query.first(); !query.eof(); query.next()) {
        const QString code = query.fieldByName(u"CropCode"_s).asString();
        if (!codes.contains(code)) continue;
        crops.append(QJsonObject{{u"code"_s, code},
                                 {u"name"_s, query.fieldByName(u"Name"_s).asString()},
                                 {u"cropNumber"_s, query.fieldByName(u"CropNr"_s).asInteger()},
                                 {u"driftClass"_s, query.fieldByName(u"GanzelmeierCode"_s).asInteger()},
                                 {u"distanceCropBank"_s, query.fieldByName(u"DistanceCropBank"_s).asFloat()},
                                 {u"airBlast"_s, query.fieldByName(u"AirBlast"_s).asBoolean()}});
    }
    query.close();
    if (context.json) {
        PrintJson({{u"crops"_s, crops}});
        return 0;
    }
    QTextStream out(stdout);
    out << u"%1  %2  %3  %4  %5"_s.arg(u"Crop"_s.leftJustified(35), u"Nr"_s.rightJustified(2),
                                       u"Drift class"_s, u"Crop-bank (m)"_s, u"Air blast"_s)
        << Qt::endl;
    for (const QJsonValue& value : crops) {
        const QJsonObject crop = value.toObject();
        out << u"%1  %2  %3  %4  %5"_s.arg(crop[u"code"_s].toString().leftJustified(35))
                   .arg(crop[u"cropNumber"_s].toInt(), 2)
                   .arg(crop[u"driftClass"_s].toInt(), 11)
                   .arg(crop[u"distanceCropBank"_s].toDouble(), 13, 'f', 1)
                   .arg(crop[u"airBlast"_s].toBool() ? u"yes"_s : u"no"_s)
            << Qt::endl;
    }
    return 0;
}

int RunScenarios(QStringList arguments, TCliContext& context) {
    const std::optional<QString> cropText = TakeOption(arguments, u"--crop"_s);
    const std::optional<QString> waterText = TakeOption(arguments, u"--water"_s);
    RequireNoArguments(arguments);
    TCliScenario scenario;
    TdmKelvoADO& dm = scenario.dm;
    const std::unique_ptr<TAggregationList> crops = dm.LoadCrops(true);
    TAssociationList chosen;
    if (cropText)
        chosen.Add(FindCrop(*crops, *cropText));
    else
        for (TCrop* crop : crops->Items<TCrop>())
            chosen.Add(crop);
    const QStringList allWater = dm.GetWaterBodyCodes();
    const QStringList water = waterText ? FindWaterBodyCodes(allWater, *waterText) : allWater;

    const std::unique_ptr<TAggregationList> locations = dm.LocationsFor(chosen, water);
    if (context.json) {
        QJsonArray scenarios;
        for (const TLocation* location : locations->Items<TLocation>())
            scenarios.append(
                QJsonObject{{u"code"_s, location->LocationCode},
                            {u"name"_s, location->Name},
                            {u"type"_s, location->LocationTypeCode},
                            {u"waterBodyTypes"_s, QJsonArray::fromStringList(location->WaterBodyCodes)},
                            {u"firstCrops"_s, QJsonArray::fromStringList(location->CropCodes)}});
        PrintJson({{u"scenarios"_s, scenarios}});
        return 0;
    }
    QTextStream out(stdout);
    for (const TLocation* location : locations->Items<TLocation>()) {
        out << location->LocationCode << u"  "_s << location->Name << u" ("_s << location->LocationTypeCode
            << u")"_s << Qt::endl;
        out << u"  water body types: "_s << location->WaterBodyCodes.join(u", "_s) << Qt::endl;
        out << u"  first crops: "_s << location->CropCodes.join(u"; "_s) << Qt::endl;
    }
    return 0;
}

const TCliCommandRegistrar crops({u"crops"_s, u"[--all] [--json]"_s,
                                  u"the FOCUS crops; --all adds those of the drift calculator only"_s,
                                  RunCrops});
const TCliCommandRegistrar
    scenarios({u"scenarios"_s, u"[--crop NAME] [--water CODE,...]"_s,
               u"the scenarios growing the crop as first crop on those water body types"_s, RunScenarios});

} // namespace
