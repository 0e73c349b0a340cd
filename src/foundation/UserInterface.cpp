#include "foundation/UserInterface.h"

#include "foundation/Errors.h"

#include <QTextStream>

namespace {

class TFallbackProgress : public TProgressWindow {
public:
    void Start() override {}
    void Step() override {}
};

class TFallbackUserInterface : public TUserInterface {
public:
    void Show(TMessageKind, const QString& text) override { QTextStream(stderr) << text << Qt::endl; }
    bool Ask(TQuestionKind, const QString& text) override {
        QTextStream(stderr) << text << " (answered No)" << Qt::endl;
        return false;
    }
    std::unique_ptr<TProgressWindow> CreateProgress(const QString&, int) override {
        return std::make_unique<TFallbackProgress>();
    }
    QString AskSaveFileName(const QString& caption, const QString&, const QString&) override {
        QTextStream(stderr) << caption << " (cancelled)" << Qt::endl;
        return {};
    }
    QString AskDirectory(const QString& caption, const QString&) override {
        QTextStream(stderr) << caption << " (cancelled)" << Qt::endl;
        return {};
    }
    QString AskOpenFileName(const QString& caption, const QString&, const QString&) override {
        QTextStream(stderr) << caption << " (cancelled)" << Qt::endl;
        return {};
    }
};

TFallbackUserInterface fallback;
TUserInterface* installed = nullptr;

} // namespace

void InstallUserInterface(TUserInterface* handler) {
    installed = handler;
}

TUserInterface& UserInterface() {
    return installed ? *installed : fallback;
}

void ShowWarning(const QString& text) {
    UserInterface().Show(TMessageKind::Warning, text);
}
void ShowInformation(const QString& text) {
    UserInterface().Show(TMessageKind::Information, text);
}
void ShowMessage(const QString& text) {
    UserInterface().Show(TMessageKind::Message, text);
}
void ShowErrorBox(const QString& text) {
    UserInterface().Show(TMessageKind::ErrorBox, text);
}
void ShowError(const QString& text) {
    UserInterface().Show(TMessageKind::Error, text);
}
bool AskConfirmation(const QString& text) {
    return UserInterface().Ask(TQuestionKind::YesNo, text);
}
bool AskYesCancel(const QString& text) {
    return UserInterface().Ask(TQuestionKind::YesCancel, text);
}
bool AskDestructive(const QString& text) {
    return UserInterface().AskDestructive(text);
}
TSaveAnswer AskSaveDiscardCancel(const QString& text) {
    return UserInterface().AskSaveDiscardCancel(text);
}
TYesNoCancel AskYesNoCancel(const QString& text) {
    return UserInterface().AskYesNoCancel(text);
}
QString AskOpenFileName(const QString& caption, const QString& start, const QString& filter) {
    return UserInterface().AskOpenFileName(caption, start, filter);
}

QString AskSaveFileName(const QString& caption, const QString& suggested, const QString& filter) {
    return UserInterface().AskSaveFileName(caption, suggested, filter);
}
QString AskDirectory(const QString& caption, const QString& start) {
    return UserInterface().AskDirectory(caption, start);
}

void ShowCurrentException() {
    try {
        throw;
    } catch (const EAbort&) {
    } catch (const EKelvoError& e) {
        ShowError(e.Message());
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowError(QStringLiteral("Unexpected error"));
    }
}

TProgressWindow* CreateProgressWindow(const QString& comment, int steps) {
    return UserInterface().CreateProgress(comment, steps).release();
}

void StartProgress(TProgressWindow* window) {
    if (window) window->Start();
}

void StepProgress(TProgressWindow* window) {
    if (window) window->Step();
}

void CloseProgressWindow(TProgressWindow* window) {
    delete window;
}

TBusyCursor::TBusyCursor() {
    UserInterface().SetBusy(true);
}
TBusyCursor::~TBusyCursor() {
    UserInterface().SetBusy(false);
}
