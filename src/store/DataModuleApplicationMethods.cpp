#include "foundation/FlagGuard.h"
#include "store/DataModuleKelvoADO.h"

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

// The depth of incorporation and percentage when no default row applies.
constexpr double FallbackDepi = 4.0;
constexpr double FallbackPerc = 0.0;

} // namespace

void TdmKelvoADO::BindApplicationMethodRules() {
    tblRuns.fieldByName(u"AppMethod"_s).onChange = [this](TField& sender) { tblRunsAppMethodChange(sender); };
    tblApplications.fieldByName(u"Rate"_s).onChange = [this](TField& sender) {
        tblApplicationsRateChange(sender);
    };
}

QStringList TdmKelvoADO::ApplicationMethodList(int leaveOut) {
    QStringList methods;
    tblApplicationMethods.open();
    for (tblApplicationMethods.first(); !tblApplicationMethods.eof(); tblApplicationMethods.next())
        methods << tblApplicationMethods.fieldByName(u"Method"_s).asString();
    tblApplicationMethods.close();
    if (leaveOut >= 0 && leaveOut < methods.size()) methods.removeAt(leaveOut);
    return methods;
}

QStringList TdmKelvoADO::CAMsForMethod(const QString& method) {
    TQuery query(&dbKelvoADO, u"qryCAMsForMethod"_s,
                 {u"SELECT CAMTypes.Description"_s,
                  u"FROM CAMTypes INNER JOIN ApplicationCAMDefaults ON CAMTypes.Description = "
                  "ApplicationCAMDefaults.CAMtype"_s,
                  u"WHERE ApplicationCAMDefaults.ApplicationMethod=:pMethod"_s});
    query.setParam(0, method);
    query.open();
    QStringList cams;
    for (query.first(); !query.eof(); query.next()) {
        const QString cam = query.field(0).asString();
        if (!cams.contains(cam, Qt::CaseInsensitive)) cams << cam;
    }
    return cams;
}

bool TdmKelvoADO::CAMDefault(const QString& method, QString& cam, double& depi, double& perc) {
    tblCAMDef.open();
    bool found = false;
    for (tblCAMDef.first(); !tblCAMDef.eof() && !found; tblCAMDef.next())
        if (tblCAMDef.fieldByName(u"ApplicationMethod"_s).asString() == method) {
            cam = tblCAMDef.fieldByName(u"CAMType"_s).asString();
            depi = tblCAMDef.fieldByName(u"Depi"_s).asFloat();
            perc = tblCAMDef.fieldByName(u"Perc"_s).asFloat();
            found = true;
        }
    tblCAMDef.close();
    if (!found) {
        cam.clear();
        depi = FallbackDepi;
        perc = FallbackPerc;
    }
    return found;
}

double TdmKelvoADO::DefaultDepth(const QString& method, const QString& cam) {
    const TSqlResult result = dbKelvoADO.Select(u"select depi from ApplicationCAMDefaults\n"
                                                "where (applicationMethod = ?) and (CamType = ?)"_s,
                                                {method, cam});
    if (result.rows.size() != 1) return FallbackDepi;
    return result.rows.first().value(0).toDouble();
}

int TdmKelvoADO::CAMNumber(const QString& cam) {
    TTable table(&dbKelvoADO, u"tblCAMTypes"_s, u"CAMTypes"_s);
    table.setIndexFieldNames(u"description"_s);
    table.open();
    for (table.first(); !table.eof(); table.next())
        if (table.fieldByName(u"Description"_s).asString() == cam)
            return table.fieldByName(u"CAMnr"_s).asInteger();
    return 0;
}

// Keeps every application's chemical application method and depth in line with the run's new method:
// an allowed CAM keeps its place and takes the method's depth, any other gives way to the method's
// default CAM and depth.
void TdmKelvoADO::tblRunsAppMethodChange(TField& sender) {
    if (!tblApplications.active()) return;
    const QString method = sender.asString();
    const QStringList allowed = CAMsForMethod(method);
    for (tblApplications.first(); !tblApplications.eof(); tblApplications.next()) {
        const QString cam = tblApplications.fieldByName(u"CAM"_s).asString();
        tblApplications.edit();
        if (allowed.contains(cam, Qt::CaseInsensitive)) {
            tblApplications.fieldByName(u"Depi"_s).setAsFloat(DefaultDepth(method, cam));
        } else {
            QString defaultCam;
            double depi = FallbackDepi;
            double perc = FallbackPerc;
            CAMDefault(method, defaultCam, depi, perc);
            tblApplications.fieldByName(u"CAM"_s).setAsString(defaultCam);
            tblApplications.fieldByName(u"Depi"_s).setAsFloat(depi);
        }
    }
}

// Keeps a rate to four decimals (halves to the even neighbour), as its display shows it.
void TdmKelvoADO::tblApplicationsRateChange(TField& sender) {
    if (m_rateGuard) return;
    TFlagGuard guard(m_rateGuard);
    sender.setAsFloat(std::nearbyint(sender.asFloat() * 10000.0) / 10000.0);
}
