#pragma once

#include "foundation/RootObject.h"

#include <QStringList>
#include <memory>

// A FOCUS scenario with the water body types it has and the crops grown there as first crop.
class TLocation : public TRootObject {
public:
    TLocation(const QString& locationCode, const QString& name);

    // Lists of locations show the scenario code.
    QString DisplayText() const override;
    // A new location with the same code, name and type and its own copies of both lists.
    std::unique_ptr<TLocation> Copy() const;
    // A runoff scenario (served by PRZM) has a code beginning with "R".
    bool IsRunoff() const;

    QString LocationCode;
    QString Name;
    QString LocationTypeCode;
    QStringList WaterBodyCodes;
    QStringList CropCodes;

protected:
    QString ClassName() const override;
};
