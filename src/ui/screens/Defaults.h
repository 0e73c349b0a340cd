#pragma once

#include <QDialog>
#include <QModelIndex>
#include <QStringList>

class QLineEdit;
class QPushButton;
class QTableView;
class TDBNavigator;
class TdmKelvoADO;
class TRecordSetModel;

// "Default Application Pattern": the default patterns of one substance by crop, season and scenario.
// A predefined FOCUS substance's patterns are only shown.
class TfrmDefaults : public QDialog {
    Q_OBJECT

public:
    enum Column {
        ColCrop,
        ColCropNr,
        ColScenario,
        ColMethod,
        ColNumber,
        ColFirst,
        ColFirstDate,
        ColLast,
        ColLastDate,
        ColInterval,
        ColumnCount
    };

    explicit TfrmDefaults(QWidget* parent = nullptr);
    ~TfrmDefaults() override;

    // Positions the substance and opens its patterns; answers whether the editor can be shown.
    bool Prepare(const QString& substanceCode);
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Activate();
    void ColumnEntered(const QModelIndex& current);
    bool Locked() const;

    TdmKelvoADO& m_dm;
    TRecordSetModel* m_model = nullptr;
    QStringList m_cropCodes;
    QStringList m_locationCodes;
    int m_lastColumn = ColCrop;
    bool m_activated = false;
    bool m_closed = false;

    QLineEdit* edtSubCode;
    QTableView* grdDefaults;
    TDBNavigator* navDefaults;
    QPushButton* btnOK;
    QPushButton* BitBtn2;
};
