#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
struct TProjectExportOptions;

// "Create project files": what the export of a project writes. PRZM and MACRO are offered only when
// their model was found available at start; TOXSWA is always prepared.
class TfrmProjectFiles : public QDialog {
    Q_OBJECT

public:
    explicit TfrmProjectFiles(QWidget* owner);

    void SetPath(const QString& path);
    TProjectExportOptions Options() const;

private:
    QLabel* pnlPath;
    QCheckBox* cbReport;
    QCheckBox* cbPRZM;
    QCheckBox* cbMACRO;
    QCheckBox* cbTOXSWA;
};
