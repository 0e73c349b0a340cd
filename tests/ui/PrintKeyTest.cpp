#include "ui/PrintKey.h"

#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Ctrl+P anywhere in the window clicks its Print button, but only while the button can be clicked.
TEST(PrintKey, CtrlPClicksThePrintButtonWhileItCanBeClicked) {
    const struct {
        bool visible;
        bool enabled;
        int clicks;
    } cases[] = {{true, true, 1}, {false, true, 0}, {true, false, 0}};
    for (const auto& c : cases) {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* field = new QPushButton(u"Other"_s);
        auto* print = new QPushButton(u"Print"_s);
        layout->addWidget(field);
        layout->addWidget(print);
        PrintOnKey(*print);
        int clicks = 0;
        QObject::connect(print, &QPushButton::clicked, [&clicks] { ++clicks; });
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        print->setVisible(c.visible);
        print->setEnabled(c.enabled);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_P, Qt::ControlModifier);
        EXPECT_EQ(clicks, c.clicks) << c.visible << c.enabled;
    }
}

} // namespace
