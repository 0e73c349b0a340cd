#include "store/DataModuleKelvoADO.h"

#include "drift/RegressionParameters.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// Aerial application (Ganzelmeier code 7) has one regression, for one application.
constexpr int AerialGanzelmeierCode = 7;

} // namespace

TRegressionParameters TdmKelvoADO::GetRegressionParameters(int ganzelmeierCode, int numberOfApps) {
    if (ganzelmeierCode == AerialGanzelmeierCode) numberOfApps = 1;
    qryRegParams.close();
    qryRegParams.setParam(0, ganzelmeierCode);
    qryRegParams.setParam(1, numberOfApps);
    qryRegParams.open();
    TRegressionParameters parameters;
    if (!qryRegParams.isEmpty()) {
        // A..D and the hinge distance are the third to seventh columns.
        qryRegParams.first();
        parameters.A = qryRegParams.field(2).asFloat();
        parameters.B = qryRegParams.field(3).asFloat();
        parameters.C = qryRegParams.field(4).asFloat();
        parameters.D = qryRegParams.field(5).asFloat();
        parameters.Hinge = static_cast<float>(qryRegParams.field(6).asFloat());
    }
    qryRegParams.close();
    return parameters;
}

int TdmKelvoADO::GetDriftPercentile(int numberOfApps) {
    qryDrift.close();
    qryDrift.setParam(0, numberOfApps);
    qryDrift.open();
    const int percentile = qryDrift.isEmpty() ? 0 : qryDrift.field(0).asInteger();
    qryDrift.close();
    return percentile;
}

QStringList TdmKelvoADO::GetMitigationDistances() {
    QStringList distances;
    tblMitigation.open();
    for (tblMitigation.first(); !tblMitigation.eof(); tblMitigation.next())
        distances << tblMitigation.field(1).asString();
    tblMitigation.close();
    return distances;
}
