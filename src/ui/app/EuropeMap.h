#pragma once

#include <QColor>
#include <QImage>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QVector>

// Country outlines of Europe and the pictures drawn from them: the map of the European Union of the
// about box and the scenario maps. Used by the windows and by the build tool that renders the maps.

// One closed outline of a country (a country with islands has several), in degrees: x longitude, y latitude.
struct TCountryRing {
    QString country;
    QPolygonF lonLat;
};

// A scenario's weather station.
struct TScenarioSite {
    QString locationCode;
    QString stationName;
    double latitude = 0;
    double longitude = 0;
};

// Reads the outlines: one ring a line, the country's name, ";", then "lon lat" pairs separated by blanks.
// Raises EKelvoError naming the file and line when the file cannot be read or a line is damaged.
QVector<TCountryRing> ReadEuropeOutlines(const QString& fileName);
// Reads the weather stations (LocationCode, MeteoStationCode, Latitude, Longitude).
QVector<TScenarioSite> ReadScenarioSites(const QString& fileName);

// The member states of the European Union, by the names of the outlines.
bool IsEuropeanUnionMember(const QString& country);

// Maps degrees onto an image: an equal-area projection centred on Europe (10° E, 52° N), scaled so that
// the box of longitudes and latitudes fills the image, centred, without distortion.
class TMapProjection {
public:
    TMapProjection(const QRectF& lonLatBox, const QSize& imageSize);
    QPointF ToImage(double longitude, double latitude) const;
    QPolygonF ToImage(const QPolygonF& lonLat) const;

private:
    QPointF m_offset;
    double m_scale = 1;
};

// The map of the about box: the member states in light green with black borders on white.
QImage RenderEuropeanUnionMap(const QVector<TCountryRing>& outlines, const QSize& size);

// The map of one scenario: Europe with the member states highlighted, the scenario's station marked and
// labelled with its code and station name, the other scenarios' stations smaller.
QImage RenderScenarioMap(const QVector<TCountryRing>& outlines, const QVector<TScenarioSite>& sites,
                         const QString& locationCode);

// The longitudes (x) and latitudes (y) a map shows: the about box the whole Union, Cyprus and the north
// of Finland included; the scenario maps western and central Europe, from Portugal to Greece and Sweden.
inline const QRectF UnionMapArea(-10.5, 34.3, 45.0, 36.0);
inline const QRectF ScenarioMapArea(-11.0, 35.0, 40.0, 27.0);
// The size of a scenario map.
inline constexpr QSize ScenarioMapSize(800, 571);
// The colour of the marked station on a scenario map.
inline const QColor ScenarioMarkerColor(200, 20, 20);
