#include "domain/Location.h"

using namespace Qt::Literals::StringLiterals;

TLocation::TLocation(const QString& locationCode, const QString& name)
    : LocationCode(locationCode), Name(name) {}

QString TLocation::DisplayText() const {
    return LocationCode;
}

std::unique_ptr<TLocation> TLocation::Copy() const {
    auto copy = std::make_unique<TLocation>(LocationCode, Name);
    copy->LocationTypeCode = LocationTypeCode;
    copy->WaterBodyCodes = WaterBodyCodes;
    copy->CropCodes = CropCodes;
    return copy;
}

bool TLocation::IsRunoff() const {
    return LocationCode.startsWith(u'R');
}

QString TLocation::ClassName() const {
    return u"TLocation"_s;
}
