#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TfrmUserWizard;
}
class QListWidget;
class QPushButton;
class TAggregationList;
class TProject;

// The user-defined wizard: five pages (substance, crops, water body types, scenarios, project) that
// make a project of one substance on the chosen crops, scenarios and water body types. Made for one use
// and destroyed after it.
class TfrmUserWizard : public QDialog {
    Q_OBJECT

public:
    explicit TfrmUserWizard(QWidget* parent = nullptr);
    ~TfrmUserWizard() override;

    void done(int result) override;

protected:
    // The use begins when the window is shown; the return of the window's own message boxes and
    // directory dialog is no new use and keeps the page and the choices.
    void showEvent(QShowEvent* event) override;

private:
    // The two lists and four move buttons of the crops or the scenarios page.
    struct TListPair {
        QListWidget* source;
        QListWidget* destination;
        QPushButton* include;
        QPushButton* includeAll;
        QPushButton* exclude;
        QPushButton* excludeAll;
    };

    void Activate();
    void SubstanceChanged();
    void ProjectToControls();
    void ControlsToProject();
    void ShowPage(int page);
    void FillCropLists();
    void FillScenarioLists();
    void UpdateButtons(const TListPair& lists);
    void ConnectMoves(const TListPair& lists);
    void NameChanged();
    void ChoosePath();
    void Finish();
    void ShowPath();

    std::unique_ptr<Ui::TfrmUserWizard> ui;
    TListPair m_cropLists;
    TListPair m_scenarioLists;
    int m_page = 1;
    // The crops offered, for the life of the window; the project's crops refer into it.
    std::unique_ptr<TAggregationList> m_crops;
    // The scenarios offered when page 4 was last shown; none before.
    std::unique_ptr<TAggregationList> m_scenarios;
    // Declared after the crop list it refers into, so it is destroyed first.
    std::unique_ptr<TProject> m_project;
};
