#pragma once

#include "foundation/UserInterface.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

class TdmKelvoADO;
class TdmMacroADO;
class TProject;

// Answers every question Yes and lets every message pass: the benchmarks measure, they do not talk.
class TSilentUserInterface : public TUserInterface {
public:
    void Show(TMessageKind, const QString&) override {}
    bool Ask(TQuestionKind, const QString&) override { return true; }
    std::unique_ptr<TProgressWindow> CreateProgress(const QString&, int) override;
};

// A fresh installation in a temporary folder with both data modules open, a parent substance with two
// metabolites in relationship 3, and projects made by the user-defined wizard's choice of the largest
// project: every crop numbered 25 or less, every scenario, all three water body types.
class TBenchInstallation {
public:
    TBenchInstallation();
    ~TBenchInstallation();

    QString Dir() const;
    // Saves the largest project under the name; answers the number of its runs.
    int CreateLargestProject(const QString& name);
    // Copies the runs of the first project into further projects with new run numbers, directly in SQL,
    // until the database holds that many projects.
    void CopyFirstProjectUntil(int projects);
    // The named project as the project browser reads it back.
    std::unique_ptr<TProject> LoadProject(const QString& name);

    std::unique_ptr<TdmKelvoADO> dm;
    std::unique_ptr<TdmMacroADO> macro;

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_projects; // beside the installation, never in it
    TSilentUserInterface m_ui;
};
