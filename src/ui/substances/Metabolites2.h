#pragma once

#include "domain/MetaboliteScheme.h"

#include <QDialog>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QWidget;
class TdmKelvoADO;

// The metabolite formation scheme of the current parent substance: the scheme, its metabolites and their
// formation fractions for PRZM (molar) and MACRO (mass), each converted into the other on leaving its
// field. Nothing is written before OK; OK leaves the parent's rows in edit state and the metabolites'
// conversion factors waiting, for the editor's Save or Undo.
class TfrmMetabolites2 : public QDialog {
    Q_OBJECT
public:
    explicit TfrmMetabolites2(TdmKelvoADO& dm, QWidget* parent = nullptr);
    ~TfrmMetabolites2() override;

    // Only shows the scheme: only Cancel can be used.
    void SetViewOnly(bool viewOnly);
    void done(int result) override;

private:
    // One fraction field: its step (1 or 2) and basis, and whether the user changed it since it was left.
    struct TFractionField {
        QLineEdit* edit = nullptr;
        int step = 1;
        bool macro = false;
        bool chain = false;
        bool edited = false;
    };

    QComboBox* MetaboliteList(const QString& name, bool chain, int position);
    QLineEdit* FractionEdit(const QString& name, bool chain, int step, bool macro);
    void Activate();
    void SchemeClicked(int index);
    void MetaboliteChosen(QComboBox* list, bool chain, int position);
    void FractionLeft(TFractionField& field);
    void ShowFractions();
    bool CloseTestsPass();
    TMetaboliteScheme& Shown() { return m_schemeIndex == 3 ? m_chain : m_pair; }

    TdmKelvoADO& m_dm;
    QString m_parent;
    int m_schemeIndex = 0;
    bool m_viewOnly = false;
    bool m_leaving = false;
    // The values of the panel for schemes 2 and 3 and of the panel for the chain scheme.
    TMetaboliteScheme m_pair;
    TMetaboliteScheme m_chain;
    std::vector<std::unique_ptr<TFractionField>> m_fields;
    QList<QRadioButton*> m_schemes;
    QWidget* m_groupBox1;
    QWidget* m_pnl12;
    QWidget* m_pnl3;
    QLabel* m_pnlParent1;
    QLabel* m_pnlParent2;
    QLabel* m_lblMacro;
    QLabel* m_lblPRZM;
    QComboBox* m_cmbMetaP1 = nullptr;
    QComboBox* m_cmbMetaP2 = nullptr;
    QComboBox* m_cmbMeta1 = nullptr;
    QComboBox* m_cmbMeta12 = nullptr;
    QList<QWidget*> m_secondRow;
    class QPushButton* m_btnOK;
};
