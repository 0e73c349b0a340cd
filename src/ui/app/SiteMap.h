#pragma once

#include <QDialog>

class QLabel;

// The map of a scenario's regional setting: one picture stretched over the window; Esc closes it.
class TfrmSiteMap : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSiteMap(QWidget* owner = nullptr);
    // Loads the picture; a file that is not a readable picture raises EKelvoError.
    void LoadPicture(const QString& fileName);

private:
    QLabel* m_picture;
};

// The map file of a scenario: "data/Maps/<code>.bmp" of the program directory.
QString SiteMapFileName(const QString& locationCode);
// Shows the scenario's map modally, or the message that there is none; raises EKelvoError for a map
// file that is not a readable picture.
void ShowSiteMap(const QString& locationCode, QWidget* owner);
