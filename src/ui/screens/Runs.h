#pragma once

#include <QDialog>
#include <QHash>
#include <QStringList>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QTableView;
class TdmKelvoADO;
class TRecordSetModel;

// "Applications": the application pattern of every run of the current project and the applications of
// the current run. Everything done here, including what the rules spread to related runs and what the
// default pattern editor changes, is one transaction: OK commits it, Cancel, Esc and the close box roll it
// back after asking when it holds a change.
class TfrmRuns : public QDialog {
    Q_OBJECT

public:
    // The runs grid's columns.
    enum RunColumn {
        ColRunID,
        ColScenario,
        ColCrop,
        ColCropNr,
        ColWaterbody,
        ColMethod,
        ColNumber,
        ColFirst,
        ColFirstDay,
        ColLast,
        ColLastDay,
        ColInterval,
        ColBuffer,
        ColReduction,
        RunColumnCount
    };
    // The applications grid's columns.
    enum ApplicationColumn {
        ColApplicationNr,
        ColRate,
        ColRun,
        ColCAM,
        ColDepth,
        ColPerc,
        ApplicationColumnCount
    };

    explicit TfrmRuns(QWidget* parent = nullptr);
    ~TfrmRuns() override;

    // Prints the window landscape, scaled to the page, without the Print, OK and Cancel buttons.
    void PrintTo(QPrinter& printer);
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateControls();
    void Connect();
    void PlaceDaysCaption();
    void Activate();
    void CurrentRunChanged();
    void RunColumnEntered(int column);
    void ApplicationsEntered();
    void ApplicationsLeft();
    void CopyPattern();
    void ShowDefaults();
    void Print();
    bool IsMetaboliteRun() const;
    bool IsAirBlastCrop(const QString& cropCode);
    const QStringList& CAMsForMethod(const QString& method);
    bool CloseQuery(int result);
    bool HasChanges();
    void Close(int result);

    TdmKelvoADO& m_dm;
    QStringList m_airBlastMethods;
    QStringList m_otherMethods;
    QHash<QString, bool> m_airBlastCrops;
    QHash<QString, QStringList> m_cams;
    int m_lastColumn = ColMethod;
    bool m_shown = false;
    bool m_activated = false;
    bool m_closed = false;
    // The project's runs, applications and default patterns as the transaction began.
    QByteArray m_stateAtStart;

    TRecordSetModel* m_runs = nullptr;
    TRecordSetModel* m_applications = nullptr;
    QLabel* Label1;
    QTableView* grdRuns;
    QLineEdit* edtRunID;
    QGroupBox* GroupBox2;
    QLabel* lblPRZM;
    QTableView* grdApplications;
    QGroupBox* GroupBox1;
    QPushButton* btnCopyAppls;
    QPushButton* btnDefaults;
    QLabel* DBSubstanceCode;
    QPushButton* btnPrint;
    QPushButton* btnOK;
    QPushButton* btnCancel;
};
