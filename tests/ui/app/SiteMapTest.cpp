#include "ui/app/SiteMap.h"
#include "AppTestSupport.h"
#include "foundation/Errors.h"
#include "ui/Guard.h"
#include "ui/app/EuropeMap.h"

#include <QFile>
#include <QLabel>
#include <QSet>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

class EuropeMapTest : public TKelvoTest {
protected:
    QVector<TCountryRing> outlines = ReadEuropeOutlines(DataSourceFile(u"geography/europe-outlines.txt"_s));
    QVector<TScenarioSite> sites = ReadScenarioSites(DataSourceFile(u"geography/ScenarioSites.csv"_s));
};

TEST_F(EuropeMapTest, ReadsTheOutlinesAndTheTenStations) {
    EXPECT_GT(outlines.size(), 100);
    QSet<QString> members;
    for (const TCountryRing& ring : outlines)
        if (IsEuropeanUnionMember(ring.country)) members.insert(ring.country);
    EXPECT_EQ(members.size(), 27) << "every member state has an outline";
    ASSERT_EQ(sites.size(), 10);
    EXPECT_EQ(sites[0].locationCode, u"D1"_s);
    EXPECT_EQ(sites[0].stationName, u"Lanna"_s);
    EXPECT_DOUBLE_EQ(sites[9].longitude, 3.32);
}

TEST_F(EuropeMapTest, DamagedOutlinesAreRefusedWithTheirLine) {
    QTemporaryDir dir;
    const QString fileName = dir.filePath(u"outlines.txt"_s);
    const QByteArray cases[] = {"Malta;14.5 35.9 14.6 35.8 14.4 35.8\nNowhere 1 2 3 4 5 6\n",
                                "Malta;14.5 35.9 14.6 35.8 14.4 35.8\nMalta;14.5 35.9 14.6\n",
                                "Malta;14.5 35.9 14.6 35.8 14.4 35.8\nMalta;14.5 x 14.6 35.8 14.4 35.8\n"};
    for (const QByteArray& content : cases) {
        QFile file(fileName);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        try {
            ReadEuropeOutlines(fileName);
            ADD_FAILURE() << "accepted " << content.toStdString();
        } catch (const EKelvoError& e) {
            EXPECT_EQ(e.Message(), u"Damaged map outline in %1, line 2"_s.arg(fileName));
        }
    }
    EXPECT_THROW(ReadEuropeOutlines(dir.filePath(u"missing.txt"_s)), EKelvoError);
}

TEST_F(EuropeMapTest, ProjectionKeepsNorthUpAndTheAreaInsideThePicture) {
    const TMapProjection projection(ScenarioMapArea, ScenarioMapSize);
    const QPointF lisbon = projection.ToImage(-9.1, 38.7), athens = projection.ToImage(23.7, 38.0),
                  stockholm = projection.ToImage(18.1, 59.3);
    EXPECT_LT(lisbon.x(), athens.x());
    EXPECT_LT(stockholm.y(), athens.y());
    for (const TScenarioSite& site : sites) {
        const QPointF at = projection.ToImage(site.longitude, site.latitude);
        EXPECT_TRUE(QRectF(QPointF(40, 40), QSizeF(ScenarioMapSize) - QSizeF(80, 80)).contains(at))
            << site.locationCode.toStdString() << " lies well inside the map";
    }
}

TEST_F(EuropeMapTest, ScenarioMapMarksItsOwnStationAndShowsTheOthersSmaller) {
    const TMapProjection projection(ScenarioMapArea, ScenarioMapSize);
    for (const TScenarioSite& own : sites) {
        const QImage map = RenderScenarioMap(outlines, sites, own.locationCode);
        EXPECT_EQ(map.size(), ScenarioMapSize);
        const QPointF at = projection.ToImage(own.longitude, own.latitude);
        EXPECT_EQ(map.pixelColor(at.toPoint()), ScenarioMarkerColor) << own.locationCode.toStdString();
        EXPECT_EQ(map.pixelColor((at + QPointF(5, 0)).toPoint()), ScenarioMarkerColor)
            << "the marker is larger than the others";
        for (const TScenarioSite& other : sites) {
            if (other.locationCode == own.locationCode) continue;
            const QColor colour =
                map.pixelColor(projection.ToImage(other.longitude, other.latitude).toPoint());
            EXPECT_NE(colour, ScenarioMarkerColor)
                << other.locationCode.toStdString() << " on " << own.locationCode.toStdString();
        }
    }
}

class SiteMapTest : public TKelvoTest {
protected:
    TProgramDir program;
};

TEST_F(SiteMapTest, NoMapFileGivesTheMessage) {
    ShowSiteMap(u"R4"_s, nullptr);
    const auto shown = ui.Take();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].kind, TScriptedUserInterface::TKind::Message);
    EXPECT_EQ(shown[0].text, u"No map available of this scenario."_s);
}

TEST_F(SiteMapTest, ShowsTheMapStretchedOverTheWindowAndEscapeClosesIt) {
    const QVector<TScenarioSite> sites = ReadScenarioSites(DataSourceFile(u"geography/ScenarioSites.csv"_s));
    const QImage rendered =
        RenderScenarioMap(ReadEuropeOutlines(program.File(u"data/europe-outlines.txt"_s)), sites, u"D3"_s);
    ASSERT_TRUE(rendered.save(SiteMapFileName(u"D3"_s), "BMP"));
    EXPECT_EQ(SiteMapFileName(u"D3"_s), program.File(u"data/Maps/D3.bmp"_s));
    bool closed = false;
    AnswerModal([&](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), u"Map of EU regional setting "_s);
        EXPECT_EQ(modal->size(), ScenarioMapSize);
        auto* picture = modal->findChild<QLabel*>(u"imgSiteMap"_s);
        ASSERT_NE(picture, nullptr);
        EXPECT_TRUE(picture->hasScaledContents());
        EXPECT_EQ(picture->geometry(), modal->rect());
        EXPECT_EQ(picture->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
                  rendered.convertToFormat(QImage::Format_RGB32));
        QTest::keyClick(modal, Qt::Key_Escape);
        closed = !modal->isVisible();
    });
    ShowSiteMap(u"D3"_s, nullptr);
    EXPECT_TRUE(closed);
}

TEST_F(SiteMapTest, MapFileThatIsNoPictureFailsWithThePictureError) {
    QFile file(SiteMapFileName(u"R1"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a bitmap");
    file.close();
    EXPECT_FALSE(Guarded([] { ShowSiteMap(u"R1"_s, nullptr); }));
    const QStringList errors = ui.TakeTexts();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(u"Cannot read the picture "_s + SiteMapFileName(u"R1"_s)))
        << errors[0].toStdString();
}

} // namespace
