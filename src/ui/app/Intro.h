#pragma once

#include <QDialog>

class QTextEdit;

// The introduction to Kelvo: the rich text "KelvoIntro.rtf" of the program directory, read-only.
class TfrmIntro : public QDialog {
    Q_OBJECT
public:
    // Loads the text; a missing or unreadable file raises EKelvoError with the file error, and the
    // window does not appear.
    explicit TfrmIntro(QWidget* owner = nullptr);

private:
    QTextEdit* m_text;
};

// The introduction file of the program directory.
QString IntroFileName();
// Opens the introduction modally over its owner; raises what the window's creation raises.
void ShowIntro(QWidget* owner);
