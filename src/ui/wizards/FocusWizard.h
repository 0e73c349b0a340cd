#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TfrmFocusWizard;
}
class TAggregationList;
class TProject;

// The FOCUS wizard: one project with every run FOCUS needs for one substance on one crop. One window
// serves the whole process: it is made once the scenario database is open and shown modally for each
// use; each showing starts a new project and preselects the substance and crop used the time before.
class TfrmFocusWizard : public QDialog {
    Q_OBJECT

public:
    explicit TfrmFocusWizard(QWidget* parent = nullptr);
    ~TfrmFocusWizard() override;

    void done(int result) override;

protected:
    // Each use begins when the window is shown; the return of the window's own message boxes and
    // directory dialog is no new use and leaves the project as it is.
    void showEvent(QShowEvent* event) override;

private:
    void Activate();
    void NameChanged();
    void ChoosePath();
    void Finish();
    void ShowPath();

    std::unique_ptr<Ui::TfrmFocusWizard> ui;
    // The crop list the project's crop belongs to, loaded afresh at each Finish.
    std::unique_ptr<TAggregationList> m_finishCrops;
    // Built at each showing, destroyed at closing; declared after the crop list it refers into.
    std::unique_ptr<TProject> m_project;
    int m_substancePosition = 0;
    int m_cropPosition = 0;
};
