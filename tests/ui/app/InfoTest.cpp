#include "ui/app/Info.h"
#include "store/Connection.h"
#include "support/DataModuleTest.h"
#include "ui/app/AppTestSupport.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// The information window on a fresh installation, driven by clicks on its grids and buttons.
class InfoTest : public TDataModuleTest {
protected:
    void SetUp() override {
        TDataModuleTest::SetUp();
        if (HasFatalFailure()) return;
        info = std::make_unique<TfrmInfo>();
        info->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(info.get()));
    }
    void TearDown() override {
        info.reset();
        TDataModuleTest::TearDown();
    }

    // Shows a page as a click on its tab would, and lets its layout settle.
    void ShowPage(int page) {
        info->ShowPage(page);
        QTest::qWait(20);
    }

    template <typename T> T* Control(const QString& name) {
        T* control = info->findChild<T*>(name);
        EXPECT_NE(control, nullptr) << name.toStdString();
        return control;
    }

    // The texts of one column of a grid, top to bottom.
    QStringList Column(const QString& grid, int column = 0) {
        const QAbstractItemModel* model = Control<QTableView>(grid)->model();
        QStringList texts;
        for (int row = 0; row < model->rowCount(); ++row)
            texts << model->index(row, column).data().toString();
        return texts;
    }

    QStringList Headers(const QString& grid) {
        const QAbstractItemModel* model = Control<QTableView>(grid)->model();
        QStringList texts;
        for (int column = 0; column < model->columnCount(); ++column)
            texts << model->headerData(column, Qt::Horizontal).toString();
        return texts;
    }

    void ClickRow(const QString& grid, const QString& text) {
        QTableView* view = Control<QTableView>(grid);
        const int row = static_cast<int>(Column(grid).indexOf(text));
        ASSERT_GE(row, 0) << text.toStdString();
        const QModelIndex index = view->model()->index(row, 0);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }

    QStringList Sql(const QString& sql, const QString& parameter = {}) {
        TConnection c;
        c.Open(DatabaseFile());
        QStringList values;
        for (const TSqlRow& row :
             c.Select(sql, parameter.isEmpty() ? QVariantList() : QVariantList{parameter}).rows)
            values << row[0].toString();
        return values;
    }

    TProgramDir program;
    std::unique_ptr<TfrmInfo> info;
};

TEST_F(InfoTest, TheCropsPageListsEveryCropAndTheScenariosGrowingTheChosenOne) {
    EXPECT_EQ(Column(u"grdCrops"_s), Sql(u"SELECT CropCode FROM Crops ORDER BY CropNR"_s));
    EXPECT_EQ(Headers(u"grdLocations"_s), (QStringList{u"Scenario"_s, u"Weather station"_s}));
    ClickRow(u"grdCrops"_s, u"Maize"_s);
    EXPECT_EQ(Control<QGroupBox>(u"grpLocations"_s)->title(), u" Scenarios with Maize "_s);
    QStringList shown = Column(u"grdLocations"_s);
    shown.sort();
    EXPECT_EQ(shown, Sql(u"SELECT LocationCode FROM CropsxLocations WHERE CropCode = ? AND CropNr = '1st' "
                         u"ORDER BY LocationCode"_s,
                         u"Maize"_s));
    EXPECT_FALSE(shown.isEmpty());
}

TEST_F(InfoTest, TheScenarioPageShowsTheFirstCropsAndWaterBodiesOfTheChosenScenario) {
    ShowPage(1);
    EXPECT_EQ(Headers(u"DBGrid1"_s), (QStringList{u"Scenario"_s, u"Type"_s, u"Weather station"_s}));
    // A scenario with second crops lists only its first crops.
    const QString location =
        Sql(u"SELECT LocationCode FROM CropsxLocations WHERE CropNr = '2nd' ORDER BY LocationCode"_s)
            .value(0);
    ASSERT_FALSE(location.isEmpty());
    ClickRow(u"DBGrid1"_s, location);
    EXPECT_EQ(Control<QGroupBox>(u"grpCrops"_s)->title(), u" Crops at %1 "_s.arg(location));
    QStringList crops = Column(u"DBGrid2"_s);
    crops.sort();
    EXPECT_EQ(crops, Sql(u"SELECT CropCode FROM CropsxLocations WHERE LocationCode = ? AND CropNr = '1st' "
                         u"ORDER BY CropCode"_s,
                         location));
    QStringList bodies;
    for (int i = 0; i < Control<QListWidget>(u"lstBody"_s)->count(); ++i)
        bodies << Control<QListWidget>(u"lstBody"_s)->item(i)->text();
    bodies.sort();
    EXPECT_EQ(bodies, Sql(u"SELECT WaterBodyCode FROM LocationxWaterBody WHERE LocationCode = ? "
                          u"ORDER BY WaterBodyCode"_s,
                          location));

    // Every scenario's crop names are shown whole, the longest among them too.
    auto* crops2 = Control<QTableView>(u"DBGrid2"_s);
    for (const QString& scenario : Sql(u"SELECT LocationCode FROM Locations ORDER BY LocationCode"_s)) {
        ClickRow(u"DBGrid1"_s, scenario);
        for (const QString& crop : Column(u"DBGrid2"_s))
            EXPECT_GT(crops2->columnWidth(0), crops2->fontMetrics().horizontalAdvance(crop))
                << scenario.toStdString() << ": " << crop.toStdString();
    }

    // The program directory has no maps.
    ClickRow(u"DBGrid1"_s, u"R4"_s);
    QTest::mouseClick(Control<QPushButton>(u"btnMap"_s), Qt::LeftButton);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"No map available of this scenario."_s});
}

TEST_F(InfoTest, TheWaterBodyPageListsTheScenariosOfTheChosenType) {
    ShowPage(2);
    const QString sql =
        u"SELECT LocationCode FROM LocationxWaterBody WHERE WaterBodyCode = ? ORDER BY LocationCode"_s;
    struct TCase {
        QString radio;
        QString type;
    };
    const TCase cases[] = {
        {u"rbPond"_s, u"focus_pond"_s}, {u"rbStream"_s, u"focus_stream"_s}, {u"rbDitch"_s, u"focus_ditch"_s}};
    QStringList ditch = Column(u"DBGrid3"_s);
    ditch.sort();
    EXPECT_EQ(ditch, Sql(sql, u"focus_ditch"_s));
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.type.toStdString());
        // On the circle, where a user clicks: a radio button takes no clicks right of its text.
        QRadioButton* radio = Control<QRadioButton>(c.radio);
        QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(8, radio->height() / 2));
        QStringList shown = Column(u"DBGrid3"_s);
        shown.sort();
        EXPECT_EQ(shown, Sql(sql, c.type));
    }
}

} // namespace
