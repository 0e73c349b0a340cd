#pragma once

#include "domain/SubstanceEditing.h"

#include <QDialog>
#include <QHash>
#include <QStringList>
#include <memory>

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableView;
class QWidget;
class TdmKelvoADO;
class TEventHook;
class TTable;

// The substance library: every substance in a grid, the current one's properties on four pages, bound
// to its three rows. Unlocked substances are edited in place and saved with Save (or when another one
// becomes current, after "Save changes?"); locked ones are only shown.
class TfrmSubstances : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSubstances(TdmKelvoADO& dm, QWidget* parent = nullptr);
    ~TfrmSubstances() override;

    // Closes only when the current substance could be saved.
    void done(int result) override;

private:
    QWidget* GeneralPage();
    QWidget* SorptionPage();
    QWidget* UptakePage();
    QWidget* TransformationPage();
    QLineEdit* Edit(const QString& name, TTable& table, const QString& field);
    // A row of a page: caption, edit, unit, with an optional hint on the caption.
    QLineEdit* Row(QGridLayout* grid, int row, const QString& caption, const QString& name, TTable& table,
                   const QString& field, const QString& unit = {}, const QString& hint = {});
    void Connect();
    void Activate();
    void SubstanceChanged();
    void ReenterEdit();
    void SetButtons(bool save, bool undo);
    // Writes the focused field's typed text, with its rules, before a button or a close acts.
    void CommitTypedValue();
    // Whether a row of the current substance holds a change not yet saved.
    bool Modified() const;
    // Save and Undo light when a row of the current substance really changed.
    void EditChanged();
    void ParentDisplay();
    void SorptionMode();
    // Runs a value rule of the current substance and shows the change.
    void Rule(const std::function<void()>& rule);
    bool Locked() const;
    void NewClicked();
    void CopyClicked();
    void RemoveClicked();
    void SaveClicked();
    void UndoClicked();
    void MetabolitesClicked();
    void PRZMClicked();
    void PageShown(int page);
    // What the status column shows of a substance: parent or metabolite, locked, used in projects.
    QVariant StatusCell(int row, int role) const;
    // Shows only the substances whose code or name holds the filter text, and always the current one;
    // with follow, a current substance filtered out and unchanged gives way to the first one shown.
    void ApplyFilter(bool follow);
    bool Matches(int row) const;
    int CurrentRow() const;
    // Hides the rows from first to last that the filter leaves out, never the current one.
    void FilterRows(int first, int last);
    void ShowCount();

    TdmKelvoADO& m_dm;
    std::unique_ptr<TEventHook> m_moveRule;
    bool m_busyCreating = false;
    bool m_closed = false;
    QString m_shownCode;
    QTableView* m_grid;
    QLineEdit* m_edtFilter;
    QLabel* m_lblShown;
    bool m_filtered = false; // a filter text hides rows
    QHash<QString, QStringList> m_projects; // the projects made for each substance
    QTabWidget* m_pages;
    QPushButton* m_btnNew;
    QPushButton* m_btnCopy;
    QPushButton* m_btnRemove;
    QPushButton* m_btnSave;
    QPushButton* m_btnUndo;
    QPushButton* m_btnClose;
    QPushButton* m_btnMetabolites = nullptr;
    QPushButton* m_btnPRZM = nullptr;
    QCheckBox* m_cbParent = nullptr;
    QLabel* m_pnlLocked = nullptr;
    QRadioButton* m_rbDetailed = nullptr;
    QRadioButton* m_rbGeneral = nullptr;
    QWidget* m_pnlGeneral = nullptr;
    QWidget* m_pnlDetailed = nullptr;
    QLineEdit* m_edtWashOffMacro = nullptr;
    QLineEdit* m_edtWashOffPRZM = nullptr;
    QLineEdit* m_edtCandeg = nullptr;
};
