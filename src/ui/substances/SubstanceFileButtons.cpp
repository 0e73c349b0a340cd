#include "ui/substances/SubstanceFileButtons.h"

#include "domain/SubstanceExchangeFormat.h"
#include "domain/SubstanceImport.h"
#include "foundation/UserInterface.h"
#include "store/DataModuleKelvoADO.h"
#include "ui/GuardedButton.h"

#include <QBoxLayout>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Filter = u"Substance files (*.csv *.json);;All files (*)"_s;

// All substances, or the current one only when the user says so.
void ExportClicked(TdmKelvoADO& dm, const TSubstanceEditorHooks& hooks) {
    const QString current = hooks.currentCode();
    QStringList codes;
    if (!current.isEmpty() &&
        !AskConfirmation(u"Export all substances?\n\nNo exports the selected substance %1 only."_s.arg(current)))
        codes << current;
    const QString file = AskSaveFileName(u"Export substances"_s,
                                         (codes.isEmpty() ? u"substances"_s : current) + u".csv"_s, Filter);
    if (file.isEmpty()) return;
    ExportSubstancesToFile(dm, codes, SubstanceFormatOfName(file), file);
    ShowInformation(u"Exported %1 to %2"_s.arg(codes.isEmpty() ? u"all substances"_s : current, file));
}

// Codes the library has already are replaced or come in under new codes, as the user chooses.
void ImportClicked(TdmKelvoADO& dm, const TSubstanceEditorHooks& hooks) {
    if (hooks.modified()) {
        ShowMessage(u"Save or undo the changes of the current substance first."_s);
        return;
    }
    const QString fileName = AskOpenFileName(u"Import substances"_s, {}, Filter);
    if (fileName.isEmpty()) return;
    const TSubstanceFile file = ReadSubstanceFileFrom(fileName);
    const QStringList existing = ExistingSubstanceCodes(dm, file);
    TSubstanceImportOptions options;
    if (!existing.isEmpty()) {
        switch (AskYesNoCancel(u"The library has substances with these codes already: %1.\n\nYes replaces them, "
                               u"No imports them under new codes (c2_...), Cancel imports nothing."_s.arg(
                                   existing.join(u", "_s)))) {
        case TYesNoCancel::Yes: options.existing = TExistingSubstance::Replace; break;
        case TYesNoCancel::No: options.existing = TExistingSubstance::Rename; break;
        case TYesNoCancel::Cancel: return;
        }
    }
    const TSubstanceImportResult result = ImportSubstances(dm, file, options);
    QString text = u"Imported from %1: %2 added, %3 replaced."_s.arg(fileName)
                       .arg(result.added.size())
                       .arg(result.replaced.size());
    for (auto it = result.renamed.begin(); it != result.renamed.end(); ++it)
        text += u"\n%1 came in as %2."_s.arg(it.key(), it.value());
    ShowInformation(text);
}

} // namespace

void AddSubstanceFileButtons(QWidget* window, TdmKelvoADO& dm, QBoxLayout* buttons, TSubstanceEditorHooks hooks) {
    AddGuardedButton(window, buttons, u"btnExport"_s, u"Export..."_s,
                     [&dm, hooks] { ExportClicked(dm, hooks); });
    AddGuardedButton(window, buttons, u"btnImport"_s, u"Import..."_s,
                     [&dm, hooks] { ImportClicked(dm, hooks); });
}
