#include "ui/GridClipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// A grid of 3 rows and 4 columns whose cells read "rc" (row, column), column 2 a check box.
class GridClipboardTest : public ::testing::Test {
public:
    void SetUp() override {
        InstallGridClipboard();
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 4; ++column) {
                auto* item = new QStandardItem;
                if (column == 2)
                    item->setData(row == 1 ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
                else
                    item->setText(QString::number(row) + QString::number(column));
                model.setItem(row, column, item);
            }
        grid.setObjectName(u"grdTest"_s);
        grid.setModel(&model);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
        grid.setFocus();
    }
    void Select(int top, int left, int bottom, int right) {
        grid.selectionModel()->select(QItemSelection(model.index(top, left), model.index(bottom, right)),
                                      QItemSelectionModel::Select);
    }
    QString CopyWithCtrlC() {
        QGuiApplication::clipboard()->setText(u"before"_s);
        QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
        return QGuiApplication::clipboard()->text();
    }

    QStandardItemModel model;
    QTableView grid;
};

TEST_F(GridClipboardTest, CtrlCCopiesTheSelectedCellsAsTabSeparatedRows) {
    const struct {
        const char* name;
        std::function<void(GridClipboardTest&)> select;
        QString text;
    } cases[] = {
        {"one cell", [](GridClipboardTest& t) { t.Select(1, 1, 1, 1); }, u"11"_s},
        {"a block", [](GridClipboardTest& t) { t.Select(0, 0, 1, 1); }, u"00\t01\n10\t11"_s},
        {"a check box column as 1 and 0", [](GridClipboardTest& t) { t.Select(0, 2, 2, 2); }, u"0\n1\n0"_s},
        {"two blocks: the cells between stay empty",
         [](GridClipboardTest& t) {
             t.Select(0, 0, 0, 0);
             t.Select(2, 3, 2, 3);
         },
         u"00\t\n\t23"_s},
        {"a hidden column is left out",
         [](GridClipboardTest& t) {
             t.grid.setColumnHidden(1, true);
             t.Select(0, 0, 0, 3);
         },
         u"00\t0\t03"_s},
        {"a moved column copies where it shows",
         [](GridClipboardTest& t) {
             t.grid.horizontalHeader()->moveSection(3, 0);
             t.Select(1, 0, 1, 1);
             t.Select(1, 3, 1, 3);
         },
         u"13\t10\t11"_s},
        {"nothing selected: the current cell",
         [](GridClipboardTest& t) { t.grid.selectionModel()->setCurrentIndex(t.model.index(2, 1), QItemSelectionModel::NoUpdate); },
         u"21"_s},
    };
    for (const auto& c : cases) {
        grid.clearSelection();
        for (int column = 0; column < 4; ++column) {
            grid.setColumnHidden(column, false);
            grid.horizontalHeader()->moveSection(grid.horizontalHeader()->visualIndex(column), column);
        }
        c.select(*this);
        EXPECT_EQ(CopyWithCtrlC().toStdString(), c.text.toStdString()) << c.name;
    }
}

TEST_F(GridClipboardTest, CtrlCInAnOpenEditorCopiesTheEditorsText) {
    grid.setCurrentIndex(model.index(0, 0));
    Select(0, 0, 1, 1);
    QTest::keyClick(&grid, Qt::Key_F2);
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, &grid);
    QGuiApplication::clipboard()->setText(u"before"_s);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"00"_s);
}

} // namespace
