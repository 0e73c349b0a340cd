#include "ui/app/EuropeMap.h"

#include "foundation/Errors.h"
#include "store/CsvReader.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QSet>
#include <QTextStream>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr double Degree = M_PI / 180.0;
constexpr double CentreLongitude = 10.0;
constexpr double CentreLatitude = 52.0;

// Lambert azimuthal equal-area on the unit sphere; y grows to the north.
QPointF Project(double longitude, double latitude) {
    const double phi = latitude * Degree, dLambda = (longitude - CentreLongitude) * Degree;
    const double phi0 = CentreLatitude * Degree;
    const double denominator =
        1 + std::sin(phi0) * std::sin(phi) + std::cos(phi0) * std::cos(phi) * std::cos(dLambda);
    const double k = std::sqrt(2 / std::max(denominator, 1e-9));
    return {k * std::cos(phi) * std::sin(dLambda),
            k * (std::cos(phi0) * std::sin(phi) - std::sin(phi0) * std::cos(phi) * std::cos(dLambda))};
}

QPainterPath CountryPath(const QVector<TCountryRing>& outlines, const TMapProjection& projection,
                         bool (*wanted)(const QString&)) {
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (const TCountryRing& ring : outlines)
        if (wanted(ring.country)) path.addPolygon(projection.ToImage(ring.lonLat));
    path.closeSubpath();
    return path;
}

bool IsOutsideUnion(const QString& country) {
    return !IsEuropeanUnionMember(country);
}

void DrawLabel(QPainter& painter, const QPointF& anchor, const QString& text, const QFont& font,
               const QRect& bounds) {
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    QRectF box(0, 0, metrics.horizontalAdvance(text) + 12, metrics.height() + 6);
    // Right of the marker unless the label would leave the picture.
    box.moveTopLeft(anchor + QPointF(12, -box.height() / 2));
    if (box.right() > bounds.right() - 4) box.moveRight(anchor.x() - 12);
    if (box.top() < bounds.top() + 4) box.moveTop(bounds.top() + 4);
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.setBrush(QColor(255, 255, 255, 235));
    painter.drawRoundedRect(box, 4, 4);
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignCenter, text);
}

} // namespace

QVector<TCountryRing> ReadEuropeOutlines(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw EKelvoError(u"Cannot read the map outlines %1: %2"_s.arg(fileName, file.errorString()));
    QVector<TCountryRing> rings;
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    int lineNumber = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        ++lineNumber;
        if (line.trimmed().isEmpty()) continue;
        const qsizetype separator = line.indexOf(u';');
        const QStringList numbers = line.mid(separator + 1).split(u' ', Qt::SkipEmptyParts);
        if (separator <= 0 || numbers.size() < 6 || numbers.size() % 2 != 0)
            throw EKelvoError(u"Damaged map outline in %1, line %2"_s.arg(fileName).arg(lineNumber));
        TCountryRing ring{line.left(separator), {}};
        ring.lonLat.reserve(numbers.size() / 2);
        for (qsizetype i = 0; i < numbers.size(); i += 2) {
            bool lonOk = false, latOk = false;
            const double lon = numbers[i].toDouble(&lonOk), lat = numbers[i + 1].toDouble(&latOk);
            if (!lonOk || !latOk)
                throw EKelvoError(u"Damaged map outline in %1, line %2"_s.arg(fileName).arg(lineNumber));
            ring.lonLat << QPointF(lon, lat);
        }
        rings << ring;
    }
    return rings;
}

QVector<TScenarioSite> ReadScenarioSites(const QString& fileName) {
    const TCsvTable table = ReadCsvFile(fileName);
    QVector<TScenarioSite> sites;
    for (const QStringList& row : table.rows) {
        bool latOk = false, lonOk = false;
        TScenarioSite site{row.value(0), row.value(1), row.value(2).toDouble(&latOk),
                           row.value(3).toDouble(&lonOk)};
        if (!latOk || !lonOk)
            throw EKelvoError(u"Damaged position of %1 in %2"_s.arg(site.locationCode, fileName));
        sites << site;
    }
    return sites;
}

bool IsEuropeanUnionMember(const QString& country) {
    static const QSet<QString> members = {
        u"Austria"_s,  u"Belgium"_s,     u"Bulgaria"_s, u"Croatia"_s,  u"Cyprus"_s,    u"Czechia"_s,
        u"Denmark"_s,  u"Estonia"_s,     u"Finland"_s,  u"France"_s,   u"Germany"_s,   u"Greece"_s,
        u"Hungary"_s,  u"Ireland"_s,     u"Italy"_s,    u"Latvia"_s,   u"Lithuania"_s, u"Luxembourg"_s,
        u"Malta"_s,    u"Netherlands"_s, u"Poland"_s,   u"Portugal"_s, u"Romania"_s,   u"Slovakia"_s,
        u"Slovenia"_s, u"Spain"_s,       u"Sweden"_s};
    return members.contains(country);
}

TMapProjection::TMapProjection(const QRectF& lonLatBox, const QSize& imageSize) {
    // The projected box: its edges sampled, as meridians and parallels are curved.
    QPolygonF border;
    constexpr int samples = 32;
    for (int i = 0; i <= samples; ++i) {
        const double lon = lonLatBox.left() + lonLatBox.width() * i / samples;
        const double lat = lonLatBox.top() + lonLatBox.height() * i / samples;
        border << Project(lon, lonLatBox.top()) << Project(lon, lonLatBox.bottom())
               << Project(lonLatBox.left(), lat) << Project(lonLatBox.right(), lat);
    }
    const QRectF bounds = border.boundingRect();
    m_scale = std::min(imageSize.width() / bounds.width(), imageSize.height() / bounds.height());
    // North up: image y runs against projected y.
    m_offset = QPointF(imageSize.width() / 2.0 - bounds.center().x() * m_scale,
                       imageSize.height() / 2.0 + bounds.center().y() * m_scale);
}

QPointF TMapProjection::ToImage(double longitude, double latitude) const {
    const QPointF p = Project(longitude, latitude);
    return {m_offset.x() + p.x() * m_scale, m_offset.y() - p.y() * m_scale};
}

QPolygonF TMapProjection::ToImage(const QPolygonF& lonLat) const {
    QPolygonF projected;
    projected.reserve(lonLat.size());
    for (const QPointF& p : lonLat)
        projected << ToImage(p.x(), p.y());
    return projected;
}

QImage RenderEuropeanUnionMap(const QVector<TCountryRing>& outlines, const QSize& size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    const TMapProjection projection(UnionMapArea, size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 0.8));
    painter.setBrush(QColor(144, 238, 144));
    painter.drawPath(CountryPath(outlines, projection, IsEuropeanUnionMember));
    return image;
}

QImage RenderScenarioMap(const QVector<TCountryRing>& outlines, const QVector<TScenarioSite>& sites,
                         const QString& locationCode) {
    QImage image(ScenarioMapSize, QImage::Format_RGB32);
    image.fill(QColor(200, 226, 242));
    const TMapProjection projection(ScenarioMapArea, ScenarioMapSize);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    painter.setPen(QPen(QColor(150, 150, 150), 0.7));
    painter.setBrush(QColor(238, 233, 220));
    painter.drawPath(CountryPath(outlines, projection, IsOutsideUnion));
    painter.setPen(QPen(QColor(90, 110, 90), 0.7));
    painter.setBrush(QColor(200, 230, 180));
    painter.drawPath(CountryPath(outlines, projection, IsEuropeanUnionMember));

    QFont small(u"DejaVu Sans"_s);
    small.setPixelSize(11);
    QFont large(u"DejaVu Sans"_s);
    large.setPixelSize(15);
    large.setBold(true);

    // The other stations first, so the scenario's own marker and label lie on top.
    const TScenarioSite* own = nullptr;
    for (const TScenarioSite& site : sites) {
        if (site.locationCode == locationCode) {
            own = &site;
            continue;
        }
        const QPointF at = projection.ToImage(site.longitude, site.latitude);
        painter.setPen(QPen(Qt::white, 1));
        painter.setBrush(QColor(30, 60, 140));
        painter.drawEllipse(at, 3.5, 3.5);
        painter.setFont(small);
        painter.setPen(QColor(30, 60, 140));
        painter.drawText(at + QPointF(6, -4), site.locationCode);
    }
    if (own) {
        const QPointF at = projection.ToImage(own->longitude, own->latitude);
        painter.setPen(QPen(Qt::white, 2));
        painter.setBrush(ScenarioMarkerColor);
        painter.drawEllipse(at, 8, 8);
        DrawLabel(painter, at, own->locationCode + u"  "_s + own->stationName, large, image.rect());
    }

    QFont title(u"DejaVu Sans"_s);
    title.setPixelSize(16);
    title.setBold(true);
    const QString heading = own ? u"FOCUS surface water scenario %1: weather station %2"_s.arg(
                                      own->locationCode, own->stationName)
                                : u"FOCUS surface water scenarios"_s;
    DrawLabel(painter, QPointF(4, 8), heading, title, image.rect());
    painter.setFont(small);
    painter.setPen(QColor(80, 80, 80));
    painter.drawText(image.rect().adjusted(0, 0, -6, -4), Qt::AlignRight | Qt::AlignBottom,
                     u"Outlines: Natural Earth (public domain)"_s);
    return image;
}
