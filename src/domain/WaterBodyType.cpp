#include "domain/WaterBodyType.h"

TWaterBodyType::TWaterBodyType(const QString& waterBodyCode, const QString& name, int width,
                               int segmentLength, int totalLength, double depth, double distanceBankWater)
    : WaterBodyCode(waterBodyCode), Name(name), Width(width), SegmentLength(segmentLength),
      TotalLength(totalLength), Depth(depth), DistanceBankWater(distanceBankWater) {}
