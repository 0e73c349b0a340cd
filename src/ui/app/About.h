#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TfrmAbout;
}

// The about box, also shown at every start: the map of the European Union, the twelve stars and the
// program's texts on aqua. A click anywhere on it or any key closes it.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* owner = nullptr);
    ~TfrmAbout() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FitMapToScreen();

    std::unique_ptr<Ui::TfrmAbout> ui;
};

// The circle of twelve gold stars of the European flag on blue.
QImage RenderEuropeanStars(int size);
// Opens the about box modally.
void ShowAbout(QWidget* owner);
