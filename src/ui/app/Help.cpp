#include "ui/app/Help.h"

#include "domain/Session.h"
#include "export/DataModuleMacroADO.h"
#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "foundation/UserInterface.h"
#include "foundation/Utils.h"
#include "store/DataModuleKelvoADO.h"
#include "ui/Guard.h"
#include "ui/app/About.h"
#include "ui/app/HelpSystem.h"
#include "ui/app/Info.h"
#include "ui/app/Intro.h"
#include "ui/app/Version.h"
#include "ui/app/Wait.h"
#include "ui/drift/Drift.h"
#include "ui/screens/Main.h"
#include "ui/substances/Substances.h"
#include "ui/wizards/UserWizard.h"
#include "ui_Help.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int windowContext = 2;
constexpr int actionsContext = 3;
constexpr int informationContext = 21;

QString ModelDir(const QString& model) {
    return InstallationDir() + model;
}

} // namespace

QString KelvoDocumentationUrl() {
    return QUrl::fromLocalFile(HelpPageFileName()).toString();
}

TfrmHelp::TfrmHelp(TdmKelvoADO& dm, TdmMacroADO& macro, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TfrmHelp>()), m_dm(dm), m_macro(macro) {
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    ui->URLLabel->setText(u"<a href=\"%1\">%1</a>"_s.arg(KelvoDocumentationUrl()));
    ui->URLLabel->setToolTip(u"Kelvo's documentation"_s);
    SetHelpContext(this, windowContext);
    SetHelpContext(ui->tsActions, actionsContext);
    SetHelpContext(ui->tsInformation, informationContext);
    Connect();
    FormCreate();
}

TfrmHelp::~TfrmHelp() = default;

void TfrmHelp::SetFocusWizard(QDialog* wizard) {
    m_focusWizard = wizard;
}

void TfrmHelp::RestoreOrRaise() {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}

// One open window at a time, from the top, is cancelled as if by its Cancel button without its question;
// the next one after its event loop has ended. A job showing the progress window finishes first; a message
// it shows meanwhile is closed unanswered.
void TfrmHelp::Terminate() {
    m_terminating = true;
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    const bool jobRunning = std::any_of(windows.begin(), windows.end(), [](const QWidget* w) {
        return qobject_cast<const TfrmWait*>(w) && w->isVisible();
    });
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != this && (!jobRunning || qobject_cast<QMessageBox*>(modal))) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->QDialog::done(QDialog::Rejected);
        else
            modal->close();
        QTimer::singleShot(0, this, &TfrmHelp::Terminate);
        return;
    }
    if (jobRunning) {
        QTimer::singleShot(100, this, &TfrmHelp::Terminate);
        return;
    }
    close();
    // Also ends the wait for a model shell that still runs.
    QCoreApplication::quit();
}

// Opens the database and reads the models' substances; the MACRO button follows whether MACRO could be
// read, the TOXSWA button whether this Kelvo was started from the TOXSWA shell.
void TfrmHelp::FormCreate() {
    m_databaseOpen = StartSession(m_dm, m_macro);
    if (!m_databaseOpen) return;
    ui->btnMACRO->setEnabled(IsModelAvailable(TModelKind::Macro));
    ui->btnToxswa->setEnabled(!QFileInfo::exists(ModelDir(u"TOXSWA"_s) + u"/toxswa.lck"_s));
}

bool TfrmHelp::DatabaseAvailable() const {
    if (!m_databaseOpen) ShowMessage(u"Failed to open the KELVO-database."_s);
    return m_databaseOpen;
}

void TfrmHelp::Connect() {
    // Every handler runs guarded: no exception crosses the event loop.
    const auto guard = [](auto handler) { return [handler] { Guarded(handler); }; };
    const auto member = [this, guard](void (TfrmHelp::*handler)()) {
        return guard([this, handler] { (this->*handler)(); });
    };

    connect(ui->btnDrift1, &QToolButton::clicked, this,
            guard([] { ShowInformation(u"Is done automatically when writing TOXSWA input files!"_s); }));
    connect(ui->btnMACRO, &QToolButton::clicked, this, member(&TfrmHelp::StartMacroShell));
    connect(ui->btnPRZM, &QToolButton::clicked, this, member(&TfrmHelp::StartPrzmShell));
    connect(ui->btnToxswa, &QToolButton::clicked, this, member(&TfrmHelp::StartToxswaShell));
    connect(ui->btnWrite, &QPushButton::clicked, this, member(&TfrmHelp::WriteSubstanceData));
    connect(ui->btnExit, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->actExit, &QAction::triggered, this, &QWidget::close);
    // Ctrl+Q works wherever the focus is in the launcher, with or without the menu bar showing.
    ui->actExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    addAction(ui->actExit);

    connect(ui->btnFocusWizard, &QPushButton::clicked, this, guard([this] {
                if (DatabaseAvailable() && m_focusWizard) m_focusWizard->exec();
            }));
    connect(ui->btnUserWizard, &QPushButton::clicked, this, guard([this] {
                if (!DatabaseAvailable()) return;
                TfrmUserWizard wizard(this);
                wizard.exec();
            }));
    const auto substances = guard([this] {
        if (!DatabaseAvailable()) return;
        TfrmSubstances editor(m_dm, this);
        editor.exec();
    });
    connect(ui->btnSubstances, &QPushButton::clicked, this, substances);
    connect(ui->actSubstances, &QAction::triggered, this, substances);
    const auto info = [this, guard](int page) { return guard([this, page] { ShowInfo(page); }); };
    connect(ui->btnInfo, &QPushButton::clicked, this, info(0));
    connect(ui->actCrops, &QAction::triggered, this, info(0));
    connect(ui->actMaps, &QAction::triggered, this, info(1));
    connect(ui->actWaterbodyTypes, &QAction::triggered, this, info(2));
    connect(ui->btnReport, &QPushButton::clicked, this, member(&TfrmHelp::ShowProjects));
    connect(ui->actRuns, &QAction::triggered, this, member(&TfrmHelp::ShowProjects));
    connect(ui->btnDrift, &QPushButton::clicked, this, member(&TfrmHelp::ShowDrift));
    connect(ui->actDrift, &QAction::triggered, this, member(&TfrmHelp::ShowDrift));
    connect(ui->btnHelp, &QPushButton::clicked, this, guard([] { ShowHelpContents(); }));
    connect(ui->actContents, &QAction::triggered, this, guard([] { ShowHelpContents(); }));
    connect(ui->btnIntro, &QPushButton::clicked, this, guard([this] { ShowIntro(this); }));
    connect(ui->btnVersions, &QPushButton::clicked, this, guard([this] { ShowVersions(this); }));
    connect(ui->actVersions, &QAction::triggered, this, guard([this] { ShowVersions(this); }));
    connect(ui->actAbout, &QAction::triggered, this, guard([this] { ShowAbout(this); }));
    connect(ui->URLLabel, &QLabel::linkActivated, this, member(&TfrmHelp::OpenUrl));
}

// The about box is the first window the user sees, on top of the launcher.
void TfrmHelp::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_aboutShown) return;
    m_aboutShown = true;
    QTimer::singleShot(0, this, [this] { Guarded([this] { ShowAbout(this); }); });
}

// Never refused, except while a model shell runs and Kelvo is not being terminated: the launcher is
// disabled then, and the shell's end brings it back.
void TfrmHelp::closeEvent(QCloseEvent* event) {
    if (m_shellRunning && !m_terminating) {
        event->ignore();
        return;
    }
    if (!m_sessionEnded) {
        m_sessionEnded = true;
        Guarded([this] { EndSession(m_dm, m_macro); });
        m_databaseOpen = false;
    }
    event->accept();
}

bool TfrmHelp::RunShell(const QString& modelDir, const QString& program) {
    m_shellRunning = true;
    setEnabled(false);
    showMinimized();
    const bool started = RunAndWait(modelDir + u'/' + program, QString(), modelDir);
    // A launcher closed meanwhile by a termination signal stays closed.
    if (!m_terminating) showNormal();
    setEnabled(true);
    m_shellRunning = false;
    return started;
}

void TfrmHelp::StartMacroShell() {
    const QString dir = ModelDir(u"MACRO"_s);
    // Without the database the shell runs on the substances it has.
    if (m_databaseOpen) Guarded([this] { m_dm.WriteMacroSubstances(m_macro); });
    if (!RunShell(dir, u"MACRO_Focus.exe"_s))
        ShowMessage(u"MACRO shell not found: "_s + dir + u"/MACRO_Focus.exe"_s);
    if (m_databaseOpen) Guarded([this] { m_dm.ImportMacroSubstances(m_macro); });
}

void TfrmHelp::StartPrzmShell() {
    const QString dir = ModelDir(u"PRZM"_s);
    if (m_databaseOpen) Guarded([this] { m_dm.WritePRZMSubstances(); });
    if (!RunShell(dir, u"pfsw.exe"_s)) ShowMessage(u"PRZM shell not found: "_s + dir + u"/pfsw.exe"_s);
    if (m_databaseOpen) Guarded([this] { m_dm.ImportPRZMSubstances(); });
}

// kelvo.lck exists exactly while the TOXSWA shell started from here runs, so the shell knows who started it.
void TfrmHelp::StartToxswaShell() {
    const QString dir = ModelDir(u"TOXSWA"_s);
    const QString lock = InstallationDir() + u"kelvo.lck"_s;
    QFile lockFile(lock);
    if (!lockFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EKelvoError(u"Cannot create %1: %2"_s.arg(lock, lockFile.errorString()));
    lockFile.close();
    bool started = false;
    try {
        started = RunShell(dir, u"TOXSWA_GUI.exe"_s);
    } catch (...) {
        QFile::remove(lock);
        throw;
    }
    QFile::remove(lock);
    if (!started) ShowMessage(u"TOXSWA shell not found: "_s + dir + u"/TOXSWA_GUI.exe"_s);
}

void TfrmHelp::WriteSubstanceData() {
    if (!DatabaseAvailable()) return;
    if (IsModelAvailable(TModelKind::Macro)) Guarded([this] { m_dm.WriteMacroSubstances(m_macro); });
    m_dm.WritePRZMSubstances();
    if (const QStringList leftOut = m_dm.SubstancesLeftOutOfModels(); !leftOut.isEmpty())
        ShowWarning(u"These substances are incompletely defined and were not written to the models:\n\n"_s +
                    leftOut.join(u'\n'));
}

void TfrmHelp::ShowInfo(int page) {
    if (!DatabaseAvailable()) return;
    TfrmInfo info(this);
    info.ShowPage(page);
    info.exec();
}

// A missing page is said here: the browser would only report it, if at all, once started.
void TfrmHelp::OpenUrl() {
    if (!QFileInfo::exists(HelpPageFileName()) || !QDesktopServices::openUrl(QUrl(KelvoDocumentationUrl())))
        ShowWarning(u"Cannot open %1"_s.arg(KelvoDocumentationUrl()));
}

void TfrmHelp::ShowProjects() {
    if (!DatabaseAvailable()) return;
    TfrmMain projects(this);
    projects.exec();
}

void TfrmHelp::ShowDrift() {
    if (!DatabaseAvailable()) return;
    TfrmDrift drift(this);
    drift.adjustSize();
    drift.PlaceOver(*this);
    drift.exec();
}
