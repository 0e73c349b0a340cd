#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TfrmVersions;
}

// The versions of this system and its database, and the installed versions of the three models as
// their version files report them.
class TfrmVersions : public QDialog {
    Q_OBJECT
public:
    // Fills every value; a version file that exists but cannot be read raises EKelvoError, and the
    // window does not appear.
    explicit TfrmVersions(QWidget* owner = nullptr);
    ~TfrmVersions() override;

private:
    std::unique_ptr<Ui::TfrmVersions> ui;
};

// Opens the versions window modally, centred on its owner; raises what the window's creation raises.
void ShowVersions(QWidget* owner);
