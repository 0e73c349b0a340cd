#include "store/DataModuleKelvoADO.h"

using namespace Qt::Literals::StringLiterals;

// The fixed SQL of the data module's queries; parameters are always set by position.
void TdmKelvoADO::DefineQueries() {
    qryProjects.setSql({
        u"SELECT Projects.*"_s,
        u"FROM Projects INNER JOIN (ToxswaMap INNER JOIN MapxProject ON ToxswaMap.MapID = MapxProject.MapID) "
        "ON Projects.ProjectID = MapxProject.ProjectID"_s,
        u"WHERE (ToxswaMap.Focus=TRUE) and (Projects.ProjectID <> 3) "_s,
        // One order, that of creation, whatever an export or an edit changed.
        u"ORDER BY Projects.ProjectID"_s,
    });
    qryProjects.setUpdateTable(u"Projects"_s);
    qryCrops.setSql({u"SELECT *"_s, u"FROM Crops"_s, u"ORDER BY CropNR"_s});
    qryCropsAtLoc.setSql({
        u"SELECT Crops.*, CropsxLocations.IrrigationUsed"_s,
        u"FROM Crops INNER JOIN CropsxLocations ON Crops.CropCode = CropsxLocations.CropCode"_s,
        u"WHERE (CropsxLocations.LocationCode=:pLocationCode) and"_s,
        u"               (CropsxLocations.CropNr = '1st')"_s,
    });
    qryLocationWithCrops.setSql({
        u"SELECT Locations.*"_s,
        u"FROM Locations INNER JOIN CropsxLocations ON Locations.LocationCode = CropsxLocations.LocationCode"_s,
        u"WHERE (CropsxLocations.CropCode=:pCropCode) and"_s,
        u"                (CropsxLocations.CropNr = '1st')"_s,
        QString(),
    });
    qryLocationsAtWaterbody.setSql({
        u"SELECT Locations.*"_s,
        u"FROM Locations INNER JOIN LocationxWaterBody ON Locations.LocationCode = "
        "LocationxWaterBody.LocationCode"_s,
        u"WHERE LocationxWaterBody.WaterBodyCode=:pType"_s,
    });
    qryCropLocation.setSql({
        u"SELECT *"_s,
        u"FROM CropsxLocations"_s,
        u"WHERE CropCode=:pCrodCode and LocationCode=:pLocationCode"_s,
    });
    qryRegParams.setSql({
        u"SELECT *"_s,
        u"FROM Regression"_s,
        u"WHERE GanzelmeierCode=:pCode and NrOfApplications=:pNrOfApps"_s,
    });
    qryWaterBodyType.setSql({u"SELECT *"_s, u"FROM WaterBodies"_s, u"WHERE WaterbodyCode=:pWaterbody"_s});
    qryWaterbodyTypes.setSql({u"SELECT *"_s, u"FROM LocationxWaterbody"_s, u"WHERE LocationCode=:pLocationCode"_s});
    qryDrift.setSql({u"SELECT DriftPerc"_s, u"FROM Drift"_s, u"WHERE NrOfAppl=:pNR"_s});
    qryDefAppValues.setSql({
        u"SELECT *"_s,
        u"FROM SubstancexCropxLocation"_s,
        u"WHERE (SubstanceCode=:pSubstanceCode) and (CropCode=:pCropCode) and "_s,
        u"               (LocationCode=:pLocCode) and (CropNr=:pCropNr)"_s,
    });
    qryApplicationsDelete.setSql({u"Delete FROM Applications"_s, u"WHERE (RunID=:pRunID)"_s, QString()});
    qryUpdate.setSql({u"Update runs"_s, u"set ApplicationSchemeID = :pValue"_s, u"where runID = :pID"_s});
    qryDelete.setSql({u"delete from ApplicationSchemes"_s, u"where ApplicationSchemeID = :pID"_s});
}
