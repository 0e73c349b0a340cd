#pragma once

#include "domain/ProjectTestBase.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWidget>

// A fresh installation with the projects root in the temporary folder, and the means to drive a
// wizard window as a user would.
class TWizardTest : public TProjectTest {
protected:
    template <class T = QWidget> static T* Find(const QWidget& window, const char* name) {
        T* found = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << "no control " << name;
        return found;
    }

    static void Click(const QWidget& window, const char* name) {
        auto* button = Find<QAbstractButton>(window, name);
        ASSERT_TRUE(button->isEnabled()) << name << " is disabled";
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // Replaces the text of an edit field by typing.
    static void Type(const QWidget& window, const char* name, const QString& text) {
        auto* edit = Find<QLineEdit>(window, name);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

    // Chooses an entry of a drop-down list with the keyboard, as a user stepping through it.
    static void Choose(const QWidget& window, const char* name, const QString& entry) {
        auto* combo = Find<QComboBox>(window, name);
        const int target = combo->findText(entry);
        ASSERT_GE(target, 0) << entry.toStdString() << " is not offered in " << name;
        if (combo->currentIndex() < 0) QTest::keyClick(combo, Qt::Key_Home);
        while (combo->currentIndex() < target)
            QTest::keyClick(combo, Qt::Key_Down);
        while (combo->currentIndex() > target)
            QTest::keyClick(combo, Qt::Key_Up);
    }

    static QString Text(const QWidget& window, const char* name) {
        return Find<QLineEdit>(window, name)->text();
    }

    int Projects() { return Value(QStringLiteral("SELECT COUNT(*) FROM Projects")).toInt(); }

    // The stored project of that name: substance, description and path.
    QStringList ProjectRow(const QString& name) {
        const TSqlResult result = db().Select(
            QStringLiteral("SELECT SubstanceCode, Description, Path FROM Projects WHERE Name = ?"), {name});
        if (result.rows.isEmpty()) return {};
        const TSqlRow& row = result.rows[0];
        return {row.value(0).toString(), row.value(1).toString(), row.value(2).toString()};
    }

    // The runs of the project as "scenario crop water body suffix" (suffix pa, m1 or m2), in run ID order.
    QStringList RunsOf(const QString& name) {
        return Column(
            QStringLiteral("SELECT r.LocationCode || ' ' || r.CropCode || ' ' || r.WaterbodyCode || ' ' "
                           "|| substr(r.RunID, -2) FROM Runs r JOIN Projects p ON p.ProjectID = "
                           "r.ProjectID WHERE p.Name = ? ORDER BY r.RunID"),
            {name});
    }
};
