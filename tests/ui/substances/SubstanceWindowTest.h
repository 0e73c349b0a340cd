#pragma once

#include "store/SubstanceTestBase.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <algorithm>

// The substances PAR (parent of MET1 and MET2), LONE and the locked example substances, and the means to
// drive the substance windows as a user would.
class TSubstanceWindowTest : public TSubstanceTest {
protected:
    template <class T = QWidget> static T* Find(const QWidget& window, const QString& name) {
        T* found = window.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << "no control " << name.toStdString();
        return found;
    }

    static void Show(QWidget& window) {
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    static void Click(const QWidget& window, const QString& name) {
        auto* button = Find<QAbstractButton>(window, name);
        ASSERT_TRUE(button->isEnabled()) << name.toStdString() << " is disabled";
        // Near the left edge: a radio button or check box takes clicks on its mark and caption only.
        QTest::mouseClick(button, Qt::LeftButton, {},
                          QPoint(std::min(8, button->width() / 2), button->height() / 2));
    }

    // Replaces the text of an edit field by typing, and leaves the field with Tab.
    static void Enter(const QWidget& window, const QString& name, const QString& text) {
        auto* edit = Find<QLineEdit>(window, name);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Tab);
    }

    static void Choose(const QWidget& window, const QString& name, const QString& entry) {
        auto* combo = Find<QComboBox>(window, name);
        const int target = combo->findText(entry);
        ASSERT_GE(target, 0) << entry.toStdString() << " is not offered in " << name.toStdString();
        // Each step is a choice the window may refuse (the list then has no selection): the walk stops.
        if (combo->currentIndex() < 0) QTest::keyClick(combo, Qt::Key_Home);
        for (int steps = combo->count(); steps > 0 && combo->currentIndex() >= 0; --steps) {
            if (combo->currentIndex() == target) break;
            QTest::keyClick(combo, combo->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
        }
    }

    static QString Text(const QWidget& window, const QString& name) {
        return Find<QLineEdit>(window, name)->text();
    }

    static bool Enabled(const QWidget& window, const QString& name) {
        return Find<QWidget>(window, name)->isEnabled();
    }

    double StoredNumber(const QString& table, const QString& code, const QString& column) {
        return Stored(table, code, column).toDouble();
    }
};
