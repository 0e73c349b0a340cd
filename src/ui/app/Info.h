#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TfrmInfo;
}
class TdmKelvoADO;
class TRecordSetModel;

// The predefined FOCUS data, read-only: the scenarios growing a crop, the crops, water body types and
// map of a scenario, and the scenarios having a water body type.
class TfrmInfo : public QDialog {
    Q_OBJECT

public:
    explicit TfrmInfo(QWidget* parent = nullptr);
    ~TfrmInfo() override;

    // Shows page 0 (crops), 1 (scenarios) or 2 (water body types).
    void ShowPage(int page);
    void done(int result) override;

private:
    void CropChanged();
    void LocationChanged();
    void ShowMap();
    TRecordSetModel* Grid(class QTableView* view, class TRecordSet& recordSet, const QStringList& fields,
                          const QStringList& captions);

    std::unique_ptr<Ui::TfrmInfo> ui;
    TdmKelvoADO& m_dm;
    bool m_closed = false;
};
