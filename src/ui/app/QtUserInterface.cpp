#include "ui/app/QtUserInterface.h"

#include "ui/app/Wait.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace {

// Owns the progress window as long as it lives: a window closed with its owner is not freed twice.
class TQtProgress : public TProgressWindow {
public:
    TQtProgress(const QString& comment, int steps) : m_window(new TfrmWait(comment, steps, DialogOwner())) {}
    ~TQtProgress() override { delete m_window.data(); }
    void Start() override {
        if (m_window) m_window->Start();
    }
    void Step() override {
        if (m_window) m_window->Step();
    }

private:
    QPointer<TfrmWait> m_window;
};

QString ApplicationTitle() {
    const QString title = QGuiApplication::applicationDisplayName();
    return title.isEmpty() ? u"Kelvo"_s : title;
}

// The normal cursor while a box waits for the user, also under a busy cursor; the busy cursor returns after.
class TNormalCursor {
public:
    TNormalCursor() : m_busy(QApplication::overrideCursor() != nullptr) {
        if (m_busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~TNormalCursor() {
        if (m_busy) QApplication::restoreOverrideCursor();
    }
    TNormalCursor(const TNormalCursor&) = delete;
    TNormalCursor& operator=(const TNormalCursor&) = delete;

private:
    bool m_busy;
};

// The default button is Yes where there is one, unless Yes destroys something.
int RunBox(QMessageBox::Icon icon, const QString& title, const QString& text,
           QMessageBox::StandardButtons buttons, QMessageBox::StandardButton escape, bool destructive = false) {
    const TNormalCursor cursor;
    QMessageBox box(icon, title, text, buttons, DialogOwner());
    box.setObjectName(u"messageBox"_s);
    box.setTextFormat(Qt::PlainText);
    box.setEscapeButton(escape);
    box.setDefaultButton(qobject_cast<QPushButton*>(
        box.button(buttons & QMessageBox::Yes && !destructive ? QMessageBox::Yes : escape)));
    return box.exec();
}

} // namespace

QWidget* DialogOwner() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

void TQtUserInterface::Show(TMessageKind kind, const QString& text) {
    switch (kind) {
    case TMessageKind::Warning:
        RunBox(QMessageBox::Warning, u"Warning"_s, text, QMessageBox::Ok, QMessageBox::Ok);
        break;
    case TMessageKind::Information:
        RunBox(QMessageBox::Information, u"Information"_s, text, QMessageBox::Ok, QMessageBox::Ok);
        break;
    case TMessageKind::Message:
        RunBox(QMessageBox::NoIcon, ApplicationTitle(), text, QMessageBox::Ok, QMessageBox::Ok);
        break;
    case TMessageKind::ErrorBox:
        RunBox(QMessageBox::Critical, u"Error"_s, text, QMessageBox::Cancel, QMessageBox::Cancel);
        break;
    case TMessageKind::Error:
        RunBox(QMessageBox::Critical, ApplicationTitle(), text, QMessageBox::Ok, QMessageBox::Ok);
        break;
    }
}

bool TQtUserInterface::Ask(TQuestionKind kind, const QString& text) {
    // Closing the box counts as the second button (No or Cancel).
    const QMessageBox::StandardButton second =
        kind == TQuestionKind::YesNo ? QMessageBox::No : QMessageBox::Cancel;
    return RunBox(QMessageBox::Question, u"Confirm"_s, text, QMessageBox::Yes | second, second) ==
           QMessageBox::Yes;
}

bool TQtUserInterface::AskDestructive(const QString& text) {
    return RunBox(QMessageBox::Question, u"Confirm"_s, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
                  true) == QMessageBox::Yes;
}

// Save is the default button; closing the box cancels.
TSaveAnswer TQtUserInterface::AskSaveDiscardCancel(const QString& text) {
    const TNormalCursor cursor;
    QMessageBox box(QMessageBox::Question, u"Confirm"_s, text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, DialogOwner());
    box.setObjectName(u"messageBox"_s);
    box.setTextFormat(Qt::PlainText);
    box.setEscapeButton(QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
    case QMessageBox::Save: return TSaveAnswer::Save;
    case QMessageBox::Discard: return TSaveAnswer::Discard;
    default: return TSaveAnswer::Cancel;
    }
}

// Yes is the default button; closing the box cancels.
TYesNoCancel TQtUserInterface::AskYesNoCancel(const QString& text) {
    switch (RunBox(QMessageBox::Question, u"Confirm"_s, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                   QMessageBox::Cancel)) {
    case QMessageBox::Yes: return TYesNoCancel::Yes;
    case QMessageBox::No: return TYesNoCancel::No;
    default: return TYesNoCancel::Cancel;
    }
}

std::unique_ptr<TProgressWindow> TQtUserInterface::CreateProgress(const QString& comment, int steps) {
    return std::make_unique<TQtProgress>(comment, steps);
}

void TQtUserInterface::SetBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

QString TQtUserInterface::AskSaveFileName(const QString& caption, const QString& suggested,
                                          const QString& filter) {
    return QFileDialog::getSaveFileName(DialogOwner(), caption, suggested, filter);
}

QString TQtUserInterface::AskOpenFileName(const QString& caption, const QString& start, const QString& filter) {
    return QFileDialog::getOpenFileName(DialogOwner(), caption, start, filter);
}

QString TQtUserInterface::AskDirectory(const QString& caption, const QString& start) {
    return QFileDialog::getExistingDirectory(DialogOwner(), caption, start);
}
