#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QTableView;
class TDBNavigator;
class TdmKelvoADO;
class TRecordSetModel;

// "Overview of composed projects": the projects made by the wizards and the runs of the current one;
// selects runs for export and report, opens the runs editor, removes runs and projects, copies and
// exports a project and shows its report.
class TfrmMain : public QDialog {
    Q_OBJECT

public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    void done(int result) override;

private:
    void CreateControls();
    void Connect();
    void OpenLists();
    bool HasRuns();
    void RemoveRun();
    void EditRuns();
    void ViewReport();
    void ExportProject();
    void CopyProject();

    TdmKelvoADO& m_dm;
    QTableView* grdProjects;
    TDBNavigator* DBNavigator1;
    QGroupBox* grpRuns;
    QTableView* grdRuns;
    QCheckBox* cbSelect;
    QPushButton* btnEdit;
    QPushButton* btnRemoveRun;
    QPushButton* btnReport;
    QPushButton* btnCopy;
    QPushButton* btnViewReport;
    QPushButton* BitBtn1;
    bool m_closed = false;
};
