#pragma once

#include <QString>

// A FOCUS water body type ("focus_ditch", "focus_pond", "focus_stream") with its dimensions.
class TWaterBodyType {
public:
    TWaterBodyType(const QString& waterBodyCode, const QString& name, int width, int segmentLength,
                   int totalLength, double depth, double distanceBankWater);

    QString WaterBodyCode;
    QString Name;
    // Dimensions in m.
    int Width;
    int SegmentLength;
    int TotalLength;
    double Depth;
    // Distance from the top of the bank to the water (m).
    double DistanceBankWater;
};
