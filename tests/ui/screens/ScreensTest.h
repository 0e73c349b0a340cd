#pragma once

#include "domain/ProjectTestBase.h"
#include "ui/app/AppTestSupport.h"

#include <QAbstractItemModel>
#include <QFileInfo>
#include <QTableView>
#include <QTest>
#include <QWidget>

// Two projects of a parent with one metabolite on maize at the drainage scenario D4 and the runoff
// scenario R1 (pond and stream): "Alpha" and the newer "Beta", each with parent and metabolite runs.
class TScreensTest : public TProjectTest {
protected:
    void SetUp() override {
        TProjectTest::SetUp();
        if (HasFatalFailure()) return;
        Parent(QStringLiteral("ONEMET"), QStringLiteral("EXAMPLE_M1"));
        for (const QString& name : {QStringLiteral("Alpha"), QStringLiteral("Beta")}) {
            auto project = NewProject(name, QStringLiteral("ONEMET"), {QStringLiteral("Maize")},
                                      {QStringLiteral("D4"), QStringLiteral("R1")},
                                      {QStringLiteral("focus_pond"), QStringLiteral("focus_stream")});
            ASSERT_TRUE(project->Save(true));
            paths << project->GetPath();
            ids << project->ProjectID;
        }
        ui.TakeTexts();
    }

    template <typename T> static T* Control(const QWidget* window, const QString& name) {
        T* control = window->findChild<T*>(name);
        EXPECT_NE(control, nullptr) << name.toStdString();
        return control;
    }

    // The texts of a grid's column, top to bottom.
    static QStringList GridColumn(const QTableView* view, int column) {
        QStringList texts;
        for (int row = 0; row < view->model()->rowCount(); ++row)
            texts << view->model()->index(row, column).data().toString();
        return texts;
    }
    static QStringList Headers(const QTableView* view) {
        QStringList texts;
        for (int column = 0; column < view->model()->columnCount(); ++column)
            texts << view->model()->headerData(column, Qt::Horizontal).toString();
        return texts;
    }
    static QPoint CellCentre(QTableView* view, int row, int column) {
        const QModelIndex index = view->model()->index(row, column);
        view->scrollTo(index);
        return view->visualRect(index).center();
    }
    static void ClickCell(QTableView* view, int row, int column) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, CellCentre(view, row, column));
        QTest::qWait(10);
    }

    // Every row of the runs and applications tables and of the default patterns, as text.
    QStringList Snapshot() {
        QStringList rows;
        for (const char* table : {"Runs", "Applications", "SubstancexCropxLocation"})
            for (const TSqlRow& row :
                 db().Select(
                         QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2, 3").arg(QString::fromLatin1(table)))
                     .rows) {
                QStringList values;
                for (const QVariant& value : row)
                    values << value.toString();
                rows << values.join(u'|');
            }
        return rows;
    }

    QStringList paths;
    QList<int> ids;
};
