#pragma once

#include <QMainWindow>
#include <memory>

namespace Ui {
class TfrmHelp;
}
class TdmKelvoADO;
class TdmMacroADO;
class QDialog;

// The launcher, Kelvo's main window: every function as a button with its explanation and as a menu item,
// and a toolbar that starts the three model shells. Creating it opens the scenario database and reads
// the models' substances; closing it writes them back and closes the database.
class TfrmHelp : public QMainWindow {
    Q_OBJECT

public:
    TfrmHelp(TdmKelvoADO& dm, TdmMacroADO& macro, QWidget* parent = nullptr);
    ~TfrmHelp() override;

    // The FOCUS wizard of the process, made once the database is open.
    void SetFocusWizard(QDialog* wizard);
    // Brings the launcher to the front, restoring it when minimised (a second start of Kelvo asks this).
    void RestoreOrRaise();
    // Ends Kelvo as Exit does, also with windows or a model shell left open (SIGTERM at logout): a job
    // showing the progress window finishes, the open windows are cancelled without questions, then the
    // launcher closes and the program ends.
    void Terminate();
    // Whether the scenario database opened at start; without it the launcher still runs.
    bool DatabaseOpen() const { return m_databaseOpen; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void Connect();
    // False, after saying so, when the window about to open needs the database that did not open.
    bool DatabaseAvailable() const;
    void StartMacroShell();
    void StartPrzmShell();
    void StartToxswaShell();
    // Runs a model's shell with the launcher disabled and the application minimised; answers whether it
    // could be started.
    bool RunShell(const QString& modelDir, const QString& program);
    void WriteSubstanceData();
    void ShowInfo(int page);
    void ShowProjects();
    void ShowDrift();
    void OpenUrl();

    std::unique_ptr<Ui::TfrmHelp> ui;
    TdmKelvoADO& m_dm;
    TdmMacroADO& m_macro;
    QDialog* m_focusWizard = nullptr;
    bool m_databaseOpen = false;
    bool m_aboutShown = false;
    bool m_sessionEnded = false;
    bool m_shellRunning = false;
    bool m_terminating = false;
};

// The address behind the launcher's web label: Kelvo's documentation, the help of the program as a web page.
QString KelvoDocumentationUrl();
