#include "ui/drift/Drift.h"
#include "domain/Crop.h"
#include "drift/DriftCalculation.h"
#include "foundation/ConcreteCollections.h"
#include "support/DataModuleTest.h"
#include "ui/app/AppTestSupport.h"

#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QScreen>
#include <QTest>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

// The drift calculator on a fresh installation, driven through its lists and its rate.
class DriftTest : public TDataModuleTest {
protected:
    void SetUp() override {
        TDataModuleTest::SetUp();
        if (HasFatalFailure()) return;
        drift = std::make_unique<TfrmDrift>();
        drift->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(drift.get()));
    }
    void TearDown() override {
        drift.reset();
        TDataModuleTest::TearDown();
    }

    template <typename T> T* Control(const QString& name) {
        T* control = drift->findChild<T*>(name);
        EXPECT_NE(control, nullptr) << name.toStdString();
        return control;
    }
    QString Text(const QString& edit) { return Control<QLineEdit>(edit)->text(); }
    // Chooses an item of a list with the keyboard, as a user would after opening it.
    void Choose(const QString& combo, const QString& item) {
        auto* box = Control<QComboBox>(combo);
        const int index = box->findText(item);
        ASSERT_GE(index, 0) << item.toStdString();
        box->setFocus();
        while (box->currentIndex() < index)
            QTest::keyClick(box, Qt::Key_Down);
        while (box->currentIndex() > index)
            QTest::keyClick(box, Qt::Key_Up);
    }
    void TypeRate(const QString& rate) {
        auto* edit = Control<QLineEdit>(u"edtRate"_s);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, rate);
        QTest::keyClick(edit, Qt::Key_Tab);
    }

    // kelvo-cli's numbers for the same inputs.
    QJsonObject Cli(const QStringList& arguments) {
        QProcess cli;
        cli.start(QString::fromUtf8(KELVO_CLI),
                  QStringList{u"--install-dir"_s, InstallDir(), u"--json"_s, u"drift"_s} + arguments);
        EXPECT_TRUE(cli.waitForFinished(30000));
        EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
        return QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
    }
    static double Number(const QString& text) { return QLocale().toDouble(text); }

    std::unique_ptr<TfrmDrift> drift;
};

TEST_F(DriftTest, StartsOnTheFirstCropOneApplicationAndFocusValues) {
    EXPECT_EQ(drift->windowTitle(), u"Calculation of drift loading into surface water"_s);
    EXPECT_EQ(Text(u"edtRate"_s), u"1000"_s);
    EXPECT_EQ(Control<QComboBox>(u"cmbCrop"_s)->currentIndex(), 0);
    EXPECT_EQ(Control<QComboBox>(u"cmbNumber"_s)->currentText(), u"1"_s);
    EXPECT_EQ(Control<QComboBox>(u"cmbWater"_s)->currentIndex(), 0);
    EXPECT_EQ(Control<QComboBox>(u"cmbMitigation"_s)->currentText(), u"FOCUS values"_s);
    EXPECT_EQ(Text(u"edtApplications"_s), u"1"_s);
    EXPECT_EQ(drift->focusWidget(), Control<QLineEdit>(u"edtRate"_s));
    for (const QString& result : {u"edtDrift1"_s, u"edtDrift2"_s, u"edtDrift3"_s, u"edtMassLoading"_s,
                                  u"edtConcentration"_s, u"edtRegA"_s})
        EXPECT_NO_THROW(ReadNumber(Text(result))) << result.toStdString();
}

TEST_F(DriftTest, NumbersAgreeWithKelvoCli) {
    struct TCase {
        QString crop;
        QString number;
        QString water;
        QString mitigation;
        QString rate;
        QStringList arguments;
    };
    const TCase cases[] = {
        {u"Maize"_s,
         u"1"_s,
         u"focus_ditch"_s,
         u"FOCUS values"_s,
         u"1000"_s,
         {u"--crop"_s, u"Maize"_s, u"--water"_s, u"focus_ditch"_s}},
        {u"Vines, late applns"_s,
         u"3"_s,
         u"focus_stream"_s,
         u"FOCUS values"_s,
         u"250"_s,
         {u"--crop"_s, u"Vines, late applns"_s, u"--water"_s, u"focus_stream"_s, u"--apps"_s, u"3"_s,
          u"--rate"_s, u"250"_s}},
        {u"Maize"_s,
         u"1"_s,
         u"focus_pond"_s,
         u"10"_s,
         u"1000"_s,
         {u"--crop"_s, u"Maize"_s, u"--water"_s, u"focus_pond"_s, u"--mitigation"_s, u"10"_s}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        if (Control<QComboBox>(u"cmbCrop"_s)->findText(c.crop) < 0) continue;
        Choose(u"cmbCrop"_s, c.crop);
        Choose(u"cmbNumber"_s, c.number);
        Choose(u"cmbWater"_s, c.water);
        Choose(u"cmbMitigation"_s, c.mitigation);
        TypeRate(c.rate);
        const QJsonObject cli = Cli(c.arguments);
        const std::pair<QString, QString> fields[] = {{u"edtDrift1"_s, u"driftNear"_s},
                                                      {u"edtDrift2"_s, u"driftFar"_s},
                                                      {u"edtDrift3"_s, u"meanDeposition"_s},
                                                      {u"edtMassLoading"_s, u"massLoading"_s},
                                                      {u"edtConcentration"_s, u"concentration"_s},
                                                      {u"edtDistanceCropDrift1"_s, u"nearEdge"_s},
                                                      {u"edtDistanceCropDrift2"_s, u"farEdge"_s},
                                                      {u"edtRegA"_s, u"A"_s}};
        for (const auto& [edit, key] : fields) {
            ASSERT_TRUE(cli.contains(key)) << key.toStdString();
            const double expected = cli.value(key).toDouble();
            EXPECT_NEAR(Number(Text(edit)), expected, 5e-5 + std::abs(expected) * 1e-7) << edit.toStdString();
        }
    }
}

TEST_F(DriftTest, AnAerialCropFixesOneApplication) {
    Choose(u"cmbNumber"_s, u"3"_s);
    EXPECT_EQ(Text(u"edtApplications"_s), u"3"_s);
    Choose(u"cmbCrop"_s, u"Appln, aerial"_s);
    auto* number = Control<QComboBox>(u"cmbNumber"_s);
    EXPECT_FALSE(number->isEnabled());
    EXPECT_EQ(number->currentText(), u"1"_s);
    EXPECT_EQ(Text(u"edtApplications"_s), u"1"_s);
    Choose(u"cmbCrop"_s, u"Maize"_s);
    EXPECT_TRUE(number->isEnabled());
}

// Without a rate no loading is shown, so none of an earlier water body stays beside the new deposition.
TEST_F(DriftTest, AnEmptyRateShowsNoLoading) {
    ASSERT_NE(Text(u"edtMassLoading"_s), QString());
    const QString mean = Text(u"edtDrift3"_s);
    TypeRate(QString());
    Choose(u"cmbWater"_s, u"focus_stream"_s);
    EXPECT_NE(Text(u"edtDrift3"_s), mean);
    EXPECT_EQ(Text(u"edtMassLoading"_s), QString());
    EXPECT_EQ(Text(u"edtConcentration"_s), QString());
}

TEST_F(DriftTest, ARateThatIsNoNumberIsReported) {
    TypeRate(u"abc"_s);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"'abc' is not a valid floating point value"_s});
    EXPECT_EQ(Text(u"edtMassLoading"_s), QString());
}

// A rate that is no number stops only the results: every choice still brings its own distances and
// regression terms, and the results follow the rate once it is a number again.
TEST_F(DriftTest, ChoicesMadeWhileTheRateIsNoNumberStillTakeEffect) {
    const auto expectCli = [&](const QJsonObject& cli, const std::pair<QString, QString>& field) {
        const auto& [edit, key] = field;
        ASSERT_TRUE(cli.contains(key)) << key.toStdString();
        const double expected = cli.value(key).toDouble();
        EXPECT_NEAR(Number(Text(edit)), expected, 5e-5 + std::abs(expected) * 1e-7) << edit.toStdString();
    };
    const std::pair<QString, QString> terms[] = {{u"edtRegA"_s, u"A"_s},
                                                 {u"edtDistanceCropDrift1"_s, u"nearEdge"_s},
                                                 {u"edtDistanceCropDrift2"_s, u"farEdge"_s},
                                                 {u"edtDrift3"_s, u"meanDeposition"_s}};
    const QStringList maize = {u"--crop"_s, u"Maize"_s, u"--water"_s, u"focus_stream"_s};

    TypeRate(u"abc"_s);
    Choose(u"cmbCrop"_s, u"Maize"_s);
    Choose(u"cmbWater"_s, u"focus_stream"_s);
    const QStringList shown = ui.TakeTexts();
    EXPECT_FALSE(shown.isEmpty());
    for (const QString& text : shown)
        EXPECT_EQ(text, u"'abc' is not a valid floating point value"_s);
    const QJsonObject focus = Cli(maize);
    for (const auto& field : terms)
        expectCli(focus, field);

    Choose(u"cmbMitigation"_s, u"10"_s);
    ui.Take();
    EXPECT_EQ(Text(u"edtDistanceCrop"_s), u"10"_s);
    const QJsonObject mitigated = Cli(maize + QStringList{u"--mitigation"_s, u"10"_s, u"--rate"_s, u"250"_s});
    for (const auto& field : terms)
        expectCli(mitigated, field);

    TypeRate(u"250"_s);
    EXPECT_EQ(ui.TakeTexts(), QStringList());
    expectCli(mitigated, {u"edtMassLoading"_s, u"massLoading"_s});
    expectCli(mitigated, {u"edtConcentration"_s, u"concentration"_s});
}

TEST_F(DriftTest, AMitigationDistanceOf10HidesTheBankDistance) {
    Choose(u"cmbWater"_s, u"focus_ditch"_s);
    const QString width = Text(u"edtWidth"_s);
    Choose(u"cmbMitigation"_s, u"10"_s);
    EXPECT_EQ(Text(u"edtDistanceCrop"_s), u"10"_s);
    EXPECT_EQ(Text(u"edtDistanceCropDrift1"_s), QLocale().toString(10.0, 'f', 2));
    EXPECT_EQ(Text(u"edtDistanceCropDrift2"_s), QLocale().toString(10.0 + width.toDouble(), 'f', 2));
    EXPECT_FALSE(Control<QLineEdit>(u"edtDistance"_s)->isVisible());
    EXPECT_FALSE(Control<QLabel>(u"lblTopOfBank"_s)->isVisible());
    // lblWater takes the place of lblTopOfBank, and goes back after the bank distance.
    auto* water = Control<QLabel>(u"lblWater"_s);
    QTest::qWait(10);
    EXPECT_EQ(water->x(), Control<QLabel>(u"lblTopOfBank"_s)->x());
    Choose(u"cmbMitigation"_s, u"FOCUS values"_s);
    QTest::qWait(10);
    EXPECT_TRUE(Control<QLineEdit>(u"edtDistance"_s)->isVisible());
    EXPECT_GT(water->x(), Control<QLineEdit>(u"edtDistance"_s)->x());
}

// Step 4: a typed buffer and each drift reduction give kelvo-cli's mitigated figures, the Step 3 mean
// beside them, and the curve with the mitigated series; a buffer nearer than the FOCUS distance is
// refused and the distance in use comes back.
TEST_F(DriftTest, ATypedBufferAndEachReductionBesideStep3WithTheCurve) {
    Choose(u"cmbCrop"_s, u"Maize"_s);
    Choose(u"cmbWater"_s, u"focus_ditch"_s);
    auto* chart = Control<QChartView>(u"chtDeposition"_s);
    EXPECT_FALSE(chart->isVisible());
    const QSize narrow = drift->size();
    QTest::mouseClick(Control<QCheckBox>(u"chkCurve"_s), Qt::LeftButton);
    ASSERT_TRUE(chart->isVisible());
    EXPECT_GT(drift->width(), narrow.width() + chart->width());
    const auto seriesNames = [chart] {
        QStringList names;
        for (const QAbstractSeries* series : chart->chart()->series())
            names << series->name();
        return names;
    };
    EXPECT_EQ(seriesNames(), (QStringList{u"Water body"_s, u"Step 3"_s, u"Near edge, far edge, mean"_s}));
    EXPECT_FALSE(Control<QLineEdit>(u"edtStep3Drift"_s)->isVisible());

    auto* mitigation = Control<QComboBox>(u"cmbMitigation"_s);
    const auto typeDistance = [mitigation](const QString& text) {
        mitigation->setFocus();
        mitigation->lineEdit()->selectAll();
        QTest::keyClicks(mitigation->lineEdit(), text);
        QTest::keyClick(mitigation->lineEdit(), Qt::Key_Return);
    };
    typeDistance(u"12.5"_s);
    EXPECT_EQ(Text(u"edtDistanceCropDrift1"_s), QLocale().toString(12.5, 'f', 2));
    const QStringList reductions = {u"none"_s, u"50 %"_s, u"75 %"_s, u"90 %"_s, u"95 %"_s};
    QPointF axisRange;
    ASSERT_EQ(Control<QComboBox>(u"cmbReduction"_s)->count(), reductions.size());
    for (const QString& reduction : reductions) {
        SCOPED_TRACE(reduction.toStdString());
        Choose(u"cmbReduction"_s, reduction);
        const QString percent = reduction == u"none"_s ? u"0"_s : reduction.chopped(2);
        const QString curveFile = QDir(InstallDir()).filePath(u"curve.csv"_s);
        const QJsonObject cli = Cli({u"--crop"_s, u"Maize"_s, u"--water"_s, u"focus_ditch"_s, u"--mitigation"_s,
                                     u"12.5"_s, u"--reduction"_s, percent, u"--curve"_s, curveFile});
        for (const auto& [edit, key] : {std::pair{u"edtDrift3"_s, u"meanDeposition"_s},
                                        std::pair{u"edtStep3Drift"_s, u"step3MeanDeposition"_s},
                                        std::pair{u"edtDrift1"_s, u"driftNear"_s},
                                        std::pair{u"edtMassLoading"_s, u"massLoading"_s}}) {
            const double expected = cli.value(key).toDouble();
            EXPECT_NEAR(Number(Text(edit)), expected, 5e-5 + expected * 1e-7) << edit.toStdString();
        }
        EXPECT_TRUE(Control<QLineEdit>(u"edtStep3Drift"_s)->isVisible());
        EXPECT_EQ(seriesNames(),
                  (QStringList{u"Water body"_s, u"Step 3"_s, u"Mitigated"_s, u"Near edge, far edge, mean"_s}));
        // The reduction moves the mitigated curve, never the axis, and the curve stays inside it.
        const auto* axis = static_cast<QLogValueAxis*>(chart->chart()->axes(Qt::Vertical).front());
        if (axisRange.isNull()) axisRange = {axis->min(), axis->max()};
        EXPECT_EQ(QPointF(axis->min(), axis->max()), axisRange);
        // Both curves are drawn through points of kelvo-cli's curve, fewer of them, and the lines between
        // them pass within half a pixel (0.1 % of the decades shown) of every point of it.
        QFile csv(curveFile);
        ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = csv.readAll().trimmed().split('\n').mid(1);
        const double decades = std::log10(axis->max() / axis->min());
        for (const auto& [index, column] : {std::pair{1, 1}, std::pair{2, 2}}) {
            const auto* series = static_cast<QLineSeries*>(chart->chart()->series()[index]);
            const QList<QPointF> drawn = series->points();
            ASSERT_GE(drawn.size(), 2);
            EXPECT_LT(drawn.size(), lines.size() / 2);
            EXPECT_EQ(drawn.front().x(), 0.25);
            EXPECT_EQ(drawn.back().x(), 50.0);
            qsizetype segment = 0;
            for (const QByteArray& line : lines) {
                const QList<QByteArray> cells = line.split(',');
                const double x = cells[0].toDouble();
                const double y = cells[column].toDouble();
                while (segment + 2 < drawn.size() && drawn[segment + 1].x() < x) ++segment;
                const QPointF a = drawn[segment];
                const QPointF b = drawn[segment + 1];
                if (x == a.x()) {
                    EXPECT_NEAR(a.y(), y, y * 1e-9) << x;
                }
                const double onLine = std::log10(a.y()) + (x - a.x()) / (b.x() - a.x()) *
                                                              (std::log10(b.y()) - std::log10(a.y()));
                EXPECT_LE(std::fabs(onLine - std::log10(y)) / decades, 0.001) << "at " << x << " m";
            }
        }
    }

    // Nearer than the FOCUS distance of 1.30 m: refused, the buffer of 12.5 m stays.
    const QString mean = Text(u"edtDrift3"_s);
    typeDistance(u"1"_s);
    EXPECT_EQ(ui.TakeTexts(),
              QStringList{u"The buffer must be at least the FOCUS distance of 1.30 m for this crop and water body"_s});
    EXPECT_EQ(mitigation->currentText(), u"12.5"_s);
    EXPECT_EQ(Text(u"edtDrift3"_s), mean);

    Choose(u"cmbReduction"_s, u"none"_s);
    // The list still stands on "FOCUS values" under the typed distance: down to 5 m and back up.
    QTest::keyClick(mitigation, Qt::Key_Down);
    EXPECT_EQ(Text(u"edtDistanceCrop"_s), u"5"_s);
    Choose(u"cmbMitigation"_s, u"FOCUS values"_s);
    EXPECT_FALSE(Control<QLineEdit>(u"edtStep3Drift"_s)->isVisible());
    EXPECT_EQ(seriesNames(), (QStringList{u"Water body"_s, u"Step 3"_s, u"Near edge, far edge, mean"_s}));
}

TEST_F(DriftTest, SaveScreenWritesABitmapWithTheCloseButtonOnly) {
    QTemporaryDir dir;
    const QString file = dir.filePath(u"drift"_s);
    ui.AnswerPath(file);
    QTest::mouseClick(Control<QPushButton>(u"btnSave"_s), Qt::LeftButton);
    ui.Take();
    const QImage image(file + u".bmp"_s, "BMP");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), drift->size());
    EXPECT_TRUE(Control<QPushButton>(u"btnSave"_s)->isVisible());
    EXPECT_TRUE(Control<QPushButton>(u"btnPrint"_s)->isVisible());

    // Cancelling the question writes nothing.
    ui.AnswerPath(QString());
    QTest::mouseClick(Control<QPushButton>(u"btnSave"_s), Qt::LeftButton);
    ui.Take();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

TEST_F(DriftTest, SaveScreenAsksBeforeReplacingTheBitmapItAddsTheSuffixTo) {
    QTemporaryDir dir;
    const QString file = dir.filePath(u"drift.bmp"_s);
    const auto writeOld = [&] {
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("earlier picture");
    };
    writeOld();
    const QString question =
        QDir::toNativeSeparators(file) + u" already exists.\nDo you want to replace it?"_s;

    ui.AnswerPath(dir.filePath(u"drift"_s));
    ui.Answer(false, question);
    QTest::mouseClick(Control<QPushButton>(u"btnSave"_s), Qt::LeftButton);
    ui.Take();
    EXPECT_EQ(QFileInfo(file).size(), qint64(15));

    ui.AnswerPath(dir.filePath(u"drift"_s));
    ui.Answer(true, question);
    QTest::mouseClick(Control<QPushButton>(u"btnSave"_s), Qt::LeftButton);
    ui.Take();
    EXPECT_EQ(QImage(file, "BMP").size(), drift->size());
}

TEST_F(DriftTest, PrintsPortraitAndPlacesItselfOverTheLauncher) {
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(u"drift.pdf"_s));
    drift->PrintTo(printer);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_GT(QFileInfo(dir.filePath(u"drift.pdf"_s)).size(), 1000);
    EXPECT_TRUE(Control<QPushButton>(u"btnClose"_s)->isVisible());

    // Centred 21 pixels above the launcher where the screen has room; never partly off the screen.
    QWidget launcher;
    const QRect area = launcher.screen()->availableGeometry();
    launcher.setGeometry(area.left(), area.top() + 30, area.width(), 200);
    launcher.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&launcher));
    drift->PlaceOver(launcher);
    const QRect l = launcher.frameGeometry();
    EXPECT_EQ(drift->frameGeometry().top(), l.top() - 21);
    EXPECT_LE(std::abs(drift->frameGeometry().center().x() - l.center().x()), 1);
    for (const QPoint corner : {area.topLeft(), area.bottomRight() - QPoint(300, 200)}) {
        launcher.setGeometry(QRect(corner, QSize(300, 200)));
        drift->PlaceOver(launcher);
        EXPECT_TRUE(area.contains(drift->frameGeometry())) << corner.x() << "," << corner.y();
    }
}

} // namespace
