#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPrinter;

// The read-only viewer of a text file (a project's report), which prints it in landscape.
class TfrmFileView : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFileView(QWidget* owner = nullptr);

    // Shows the file and remembers its path; a missing file gives a warning and leaves the view empty.
    void LoadFile(const QString& path);
    // The path of the file shown; empty when none was loaded.
    QString Path() const { return m_path; }
    // Prints the text in landscape, the path as the document name.
    void PrintTo(QPrinter& printer) const;

private:
    void PrintClicked();

    QPlainTextEdit* m_text;
    QString m_path;
};

// Shows a file in the viewer, modally, maximised.
void ShowFileView(const QString& path, QWidget* owner = nullptr);
