// kelvo-mkmaps GEOGRAPHY_SOURCE_DIR PROGRAM_DIR
// Renders the map of every scenario of GEOGRAPHY_SOURCE_DIR/ScenarioSites.csv into
// PROGRAM_DIR/data/Maps/<code>.bmp from the country outlines, the program icon PROGRAM_DIR/kelvo.png, and
// the icon at the desktop's sizes as PROGRAM_DIR/icons/hicolor/<n>x<n>/apps/kelvo.png for installing.
// Needs a QGuiApplication for fonts: run it with QT_QPA_PLATFORM=offscreen where there is no display.

#include "foundation/Errors.h"
#include "ui/app/AppIcon.h"
#include "ui/app/EuropeMap.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int IconSizes[] = {16, 32, 48, 64, 128, 256};

void Save(const QImage& image, const QString& fileName, const char* format) {
    if (!image.save(fileName, format)) throw EKelvoError(u"Cannot write %1"_s.arg(fileName));
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QTextStream err(stderr);
    if (args.size() != 2) {
        err << "usage: kelvo-mkmaps GEOGRAPHY_SOURCE_DIR PROGRAM_DIR" << Qt::endl;
        return 2;
    }
    try {
        const QDir source(args[0]);
        const QDir program(args[1]);
        const QVector<TCountryRing> outlines = ReadEuropeOutlines(source.filePath(u"europe-outlines.txt"_s));
        const QVector<TScenarioSite> sites = ReadScenarioSites(source.filePath(u"ScenarioSites.csv"_s));
        if (!program.mkpath(u"data/Maps"_s)) throw EKelvoError(u"Cannot create %1/data/Maps"_s.arg(args[1]));
        for (const TScenarioSite& site : sites)
            Save(RenderScenarioMap(outlines, sites, site.locationCode),
                 program.filePath(u"data/Maps/%1.bmp"_s.arg(site.locationCode)), "BMP");
        Save(RenderApplicationIcon(256), program.filePath(u"kelvo.png"_s), "PNG");
        for (const int size : IconSizes) {
            const QString dir = u"icons/hicolor/%1x%1/apps"_s.arg(size);
            if (!program.mkpath(dir)) throw EKelvoError(u"Cannot create %1/%2"_s.arg(args[1], dir));
            Save(RenderApplicationIcon(size), program.filePath(dir + u"/kelvo.png"_s), "PNG");
        }
    } catch (const EKelvoError& e) {
        err << "kelvo-mkmaps: " << e.Message() << Qt::endl;
        return 1;
    }
    return 0;
}
