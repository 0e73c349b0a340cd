#pragma once

#include <QString>
#include <memory>

// The user-interface port: the core speaks to the user only through these functions, which forward
// to one installed handler (the Qt message boxes, the console of kelvo-cli, or a scripted test handler).

enum class TMessageKind {
    Warning,     // warning box with OK
    Information, // information box with OK
    Message,     // plain message box with OK
    ErrorBox,    // error box with a single Cancel button
    Error        // the standard error display
};

enum class TQuestionKind {
    YesNo,    // confirmation with Yes and No
    YesCancel // confirmation with Yes and Cancel
};

// The answer to a question offering Save, Discard and Cancel.
enum class TSaveAnswer { Save, Discard, Cancel };
// The answer to a question offering Yes, No and Cancel.
enum class TYesNoCancel { Yes, No, Cancel };

class TProgressWindow {
public:
    virtual ~TProgressWindow() = default;
    virtual void Start() = 0;
    virtual void Step() = 0;
};

class TUserInterface {
public:
    virtual ~TUserInterface() = default;
    virtual void Show(TMessageKind kind, const QString& text) = 0;
    // True exactly when the user chose Yes.
    virtual bool Ask(TQuestionKind kind, const QString& text) = 0;
    // A Yes/No question whose Yes destroys something: No is the default answer.
    virtual bool AskDestructive(const QString& text) { return Ask(TQuestionKind::YesNo, text); }
    // Save, Discard or Cancel; a handler that knows only Yes and Cancel never discards.
    virtual TSaveAnswer AskSaveDiscardCancel(const QString& text) {
        return Ask(TQuestionKind::YesCancel, text) ? TSaveAnswer::Save : TSaveAnswer::Cancel;
    }
    // Yes, No or Cancel; a handler that knows only Yes and No never cancels.
    virtual TYesNoCancel AskYesNoCancel(const QString& text) {
        return Ask(TQuestionKind::YesNo, text) ? TYesNoCancel::Yes : TYesNoCancel::No;
    }
    virtual std::unique_ptr<TProgressWindow> CreateProgress(const QString& comment, int steps) = 0;
    virtual void SetBusy(bool busy) { (void)busy; }
    // The file to save into (filter as "Bitmaps (*.bmp)"); empty when the user cancelled.
    virtual QString AskSaveFileName(const QString& caption, const QString& suggested, const QString& filter) {
        (void)caption, (void)suggested, (void)filter;
        return {};
    }
    // An existing file to open (filter as in AskSaveFileName); empty when the user cancelled.
    virtual QString AskOpenFileName(const QString& caption, const QString& start, const QString& filter) {
        (void)caption, (void)start, (void)filter;
        return {};
    }
    // An existing directory; empty when the user cancelled.
    virtual QString AskDirectory(const QString& caption, const QString& start) {
        (void)caption, (void)start;
        return {};
    }
};

// Installs the handler (not owned); nullptr restores the fallback, which writes to stderr and answers No.
void InstallUserInterface(TUserInterface* handler);
TUserInterface& UserInterface();

void ShowWarning(const QString& text);
void ShowInformation(const QString& text);
void ShowMessage(const QString& text);
void ShowErrorBox(const QString& text);
void ShowError(const QString& text);
bool AskConfirmation(const QString& text);
bool AskYesCancel(const QString& text);
bool AskDestructive(const QString& text);
TSaveAnswer AskSaveDiscardCancel(const QString& text);
TYesNoCancel AskYesNoCancel(const QString& text);
QString AskSaveFileName(const QString& caption, const QString& suggested, const QString& filter);
QString AskDirectory(const QString& caption, const QString& start);
QString AskOpenFileName(const QString& caption, const QString& start, const QString& filter);

// Shows the exception being handled through the standard error display; a silent cancel shows nothing.
// Call only inside a catch block.
void ShowCurrentException();

TProgressWindow* CreateProgressWindow(const QString& comment, int steps);
void StartProgress(TProgressWindow* window);
void StepProgress(TProgressWindow* window);
void CloseProgressWindow(TProgressWindow* window);

// Shows the hourglass cursor for its lifetime.
class TBusyCursor {
public:
    TBusyCursor();
    ~TBusyCursor();
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};
