#include "domain/Crop.h"

using namespace Qt::Literals::StringLiterals;

TCrop::TCrop(const QString& cropCode, const QString& name, int ganzelmeierCode, double distanceCropBank)
    : CropCode(cropCode), Name(name), GanzelmeierCode(ganzelmeierCode), DistanceCropBank(distanceCropBank) {}

QString TCrop::DisplayText() const {
    return Name;
}

QString TCrop::ClassName() const {
    return u"TCrop"_s;
}
