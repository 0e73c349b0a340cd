#pragma once

#include <QDialog>
#include <QPointer>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class TAggregationList;
class TDepositionChart;
class TDriftCalculation;
class TdmKelvoADO;

// "Calculation of drift loading into surface water": the drift deposition onto a water body and the
// loading it gives, for a crop, a number of applications, a water body type, the FOCUS, a listed or a
// typed mitigation distance, a drift reduction and a rate, with the deposition curve. Changes no stored
// data.
class TfrmDrift : public QDialog {
    Q_OBJECT

public:
    explicit TfrmDrift(QWidget* parent = nullptr);
    ~TfrmDrift() override;

    // Centred horizontally over the launcher, 21 pixels above its top edge.
    void PlaceOver(const QWidget& launcher);
    // Prints the window portrait, scaled to the page, without its three buttons.
    void PrintTo(QPrinter& printer);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void Connect();
    void Start();
    void CropChanged();
    void NumberChanged();
    void WaterChanged();
    void MitigationChanged();
    void ReductionChanged();
    void CurveToggled();
    void RateChanged();
    // Shows every text of the calculation; the distance line follows the distance mode.
    void ShowTexts();
    void SaveScreen();
    void Print();

    TdmKelvoADO& m_dm;
    std::unique_ptr<TAggregationList> m_crops;
    std::unique_ptr<TDriftCalculation> m_calculation;
    bool m_started = false;
    QPointer<const QWidget> m_launcher;

    QLineEdit* edtRate;
    QComboBox* cmbNumber;
    QComboBox* cmbCrop;
    QComboBox* cmbWater;
    QComboBox* cmbMitigation;
    QComboBox* cmbReduction;
    QLineEdit* edtRegA;
    QLineEdit* edtRegB;
    QLineEdit* edtRegC;
    QLineEdit* edtRegD;
    QLineEdit* edtChange;
    QLineEdit* edtWidth;
    QLineEdit* edtDepth;
    QLineEdit* edtLength;
    QLineEdit* edtDistanceCrop;
    QLabel* lblTopOfBank;
    QLineEdit* edtDistance;
    QLabel* lblWater;
    QLineEdit* edtDrift;
    QLineEdit* edtApplications;
    QLineEdit* edtDistanceCropDrift1;
    QLineEdit* edtDistanceCropDrift2;
    QLineEdit* edtDrift1;
    QLineEdit* edtDrift2;
    QLineEdit* edtDrift3;
    QLabel* lblStep3Drift;
    QLineEdit* edtStep3Drift;
    QGroupBox* grpCurve;
    TDepositionChart* chtDeposition;
    QCheckBox* chkCurve;
    QLineEdit* edtMassLoading;
    QLineEdit* edtConcentration;
    QPushButton* btnSave;
    QPushButton* btnPrint;
    QPushButton* btnClose;
};
