#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class TdmKelvoADO;

// The model-specific parameters of transformation in soil of the current substance, edited on its
// current rows, which the substance editor saves: for MACRO the exponent for the effect of water content
// and the pF of the half-life; for PRZM the exponent, the moisture content of the half-life and its
// basis, and bi-phase degradation.
class TfrmPRZMspec : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPRZMspec(TdmKelvoADO& dm, QWidget* parent = nullptr);
    ~TfrmPRZMspec() override;

    // Whether the user changed anything since the dialog opened.
    bool Changed() const { return m_changed; }

private:
    QLineEdit* BoundEdit(const QString& name, class TTable& table, const QString& field);
    void Activate();
    void AbsRelClicked(int item);
    void BiPhaseClicked(bool on);
    void PFChosen(int item);

    TdmKelvoADO& m_dm;
    bool m_changed = false;
    bool m_activating = false;
    QGroupBox* m_grpMACRO;
    QGroupBox* m_grpPRZM;
    QGroupBox* m_grpBi;
    QComboBox* m_cmbPF;
    QRadioButton* m_absolute;
    QRadioButton* m_relative;
    QCheckBox* m_cbBiPhase;
    QLineEdit* m_edtHL2 = nullptr;
    QLineEdit* m_edtDkNum = nullptr;
    QLabel* m_label19;
    QLabel* m_label18;
};
