#include "ui/app/About.h"
#include "AppTestSupport.h"
#include "ui/app/EuropeMap.h"

#include <QLabel>
#include <QTest>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

class AboutTest : public TKelvoTest {
protected:
    TProgramDir program;
};

QImage Picture(QWidget* about, const char* name) {
    const auto* label = about->findChild<QLabel*>(QString::fromLatin1(name));
    EXPECT_NE(label, nullptr) << name;
    return label ? label->pixmap().toImage() : QImage();
}

TEST_F(AboutTest, ShowsItsTextsAndTwoPicturesOnAqua) {
    TfrmAbout about;
    EXPECT_EQ(about.windowTitle(), u"About KELVO"_s);
    EXPECT_EQ(about.palette().color(QPalette::Window), QColor(0, 255, 255));
    QStringList texts;
    for (const QLabel* label : about.findChildren<QLabel*>())
        if (!label->text().isEmpty()) texts << label->text();
    for (const QString& text :
         {u"KELVO"_s, u"Tessorin"_s, u"FOCUS version:"_s, u"1.1"_s, u"for"_s,
          u"input to MACRO, PRZM3 and TOXSWA"_s, u"to calculate"_s,
          u"exposure concentrations in water bodies"_s, u"DG Health and Consumer"_s, u"Protection"_s})
        EXPECT_TRUE(texts.contains(text)) << text.toStdString();
    EXPECT_EQ(about.findChild<QLabel*>(u"lblVersionF"_s)->text(), u"1.1"_s);

    const QImage stars = Picture(&about, "Image1");
    EXPECT_EQ(stars.size(), QSize(100, 100));
    const QColor blue(0, 51, 153), gold(255, 204, 0);
    EXPECT_EQ(stars.pixelColor(50, 50), blue) << "the centre of the circle is free";
    for (int i = 0; i < 12; ++i) {
        const double angle = i * M_PI / 6;
        const QPoint star(qRound(50 + 100 / 3.0 * std::sin(angle)), qRound(50 - 100 / 3.0 * std::cos(angle)));
        EXPECT_EQ(stars.pixelColor(star), gold) << "star " << i;
    }

    const QImage map = Picture(&about, "Image2");
    EXPECT_EQ(map.size(), QSize(443, 503));
    const TMapProjection projection(UnionMapArea, map.size());
    const struct {
        const char* place;
        double lon, lat;
        QColor colour;
    } places[] = {{"Paris basin", 2.0, 47.5, QColor(144, 238, 144)},
                  {"Bohemia", 15.0, 49.8, QColor(144, 238, 144)},
                  {"Lapland, Finland", 26.0, 68.0, QColor(144, 238, 144)},
                  {"Switzerland", 8.0, 46.8, Qt::white},
                  {"Norway", 9.0, 61.5, Qt::white},
                  {"Bay of Biscay", -5.0, 45.5, Qt::white}};
    for (const auto& p : places)
        EXPECT_EQ(map.pixelColor(projection.ToImage(p.lon, p.lat).toPoint()), p.colour) << p.place;
}

TEST_F(AboutTest, ClosesOnAnyKeyAndOnAClickAnywhere) {
    const struct {
        const char* how;
        std::function<void(QWidget*)> close;
    } cases[] = {
        {"a letter key", [](QWidget* about) { QTest::keyClick(about, Qt::Key_K); }},
        {"the space bar", [](QWidget* about) { QTest::keyClick(about, Qt::Key_Space); }},
        {"a click on the background",
         [](QWidget* about) { QTest::mouseClick(about, Qt::LeftButton, {}, QPoint(5, 5)); }},
        {"a click on the map",
         [](QWidget* about) { QTest::mouseClick(about->findChild<QLabel*>(u"Image2"_s), Qt::LeftButton); }},
        {"a click on the stars",
         [](QWidget* about) { QTest::mouseClick(about->findChild<QLabel*>(u"Image1"_s), Qt::LeftButton); }},
        {"a click on a text",
         [](QWidget* about) { QTest::mouseClick(about->findChild<QLabel*>(u"lblKelvo"_s), Qt::LeftButton); }},
    };
    for (const auto& c : cases) {
        bool closed = false;
        AnswerModal([&](QWidget* about) {
            c.close(about);
            closed = !about->isVisible();
        });
        ShowAbout(nullptr);
        EXPECT_TRUE(closed) << c.how;
    }
}

TEST_F(AboutTest, MapIsBlankWithoutItsOutlines) {
    ASSERT_TRUE(QFile::remove(program.File(u"data/europe-outlines.txt"_s)));
    TfrmAbout about;
    const QImage map = Picture(&about, "Image2");
    EXPECT_EQ(map.size(), QSize(443, 503));
    EXPECT_EQ(map.pixelColor(220, 250), QColor(Qt::white));
}

} // namespace
