#include "domain/ProjectExport.h"

#include "domain/Project.h"
#include "domain/ProjectDirectoryRebuild.h"
#include "export/DataModuleMacroADO.h"
#include "export/MacroConnection.h"
#include "foundation/Installation.h"
#include "foundation/UserInterface.h"
#include "store/DataModuleKelvoADO.h"
#include "store/Transaction.h"

#include <QFileInfo>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

// What of the model's data in the working installation is missing, named for the user.
QString MissingModelData(TModelKind kind) {
    const QString dir = InstallationDir();
    const QStringList needed = kind == TModelKind::Przm
                                   ? QStringList{dir + u"PRZM/wpic"_s, dir + u"PRZM/wpic/chmdat.dat"_s}
                                   : QStringList{dir + u"MACRO/pest_focus.sqlite"_s};
    for (const QString& path : needed)
        if (!QFileInfo::exists(path)) return path + u" is missing"_s;
    return needed.last() + u" could not be read"_s;
}

} // namespace

bool ExportProject(TProject& project, const TProjectExportOptions& options) {
    const QString directory = project.GetPath();
    try {
        project.CheckProjectDirectoryDeletable();
    } catch (...) {
        ShowCurrentException(); // refused before anything was touched
        return false;
    }
    if (project.HasToxswaDirectory() &&
        !AskDestructive(
            u"Are you sure you want to overwrite existing input files and delete existing output "
            u"files at "_s +
            directory + u" directories?"_s))
        return false;

    const TBusyCursor busy;
    std::optional<TProjectDirectoryRebuild> rebuild;
    try {
        rebuild.emplace(project);
    } catch (...) {
        ShowCurrentException(); // the directory is as it was
        return false;
    }
    const bool macro = options.MACRO && IsModelAvailable(TModelKind::Macro);
    QStringList notWritten;
    try {
        // A failed export puts the previous export back; a killed one leaves the new one marked.
        // MACRO's rows are committed only with the whole export: a failure leaves MACRO's previous runs.
        std::optional<TMacroConnection> macroOpen;
        std::optional<TTransaction> macroRows;
        if (macro) {
            macroOpen.emplace();
            macroRows.emplace(dmMacroADO->dbMacroADO);
        }
        project.CreateDirectories();
        const struct {
            bool chosen;
            TModelKind kind;
            QString name;
            void (TProject::*write)() const;
        } models[] = {{options.PRZM, TModelKind::Przm, u"PRZM"_s, &TProject::ExportPRZMRuns},
                      {options.MACRO, TModelKind::Macro, u"MACRO"_s, &TProject::ExportMACRORuns}};
        for (const auto& model : models) {
            if (!model.chosen) continue;
            if (IsModelAvailable(model.kind)) {
                (project.*model.write)();
                continue;
            }
            // The files of the model's earlier export stay as they were.
            rebuild->KeepPrevious(model.name);
            notWritten << model.name;
            ShowWarning(
                u"The %1 input was not written: %2. The %1 files of the earlier export are kept."_s.arg(
                    model.name, MissingModelData(model.kind)));
        }
        project.PrepareToxswa();
        if (options.Report) project.WriteReport();
        if (macroRows) macroRows->Commit();
        rebuild->Finish();
        dmKelvoADO->RefreshRuns();
    } catch (...) {
        // The rebuild has removed what this export wrote and put the previous export back.
        rebuild.reset();
        ShowCurrentException();
        ShowWarning(
            u"The export was not completed; the files written before the failure were removed from "_s +
            directory + (macro ? u". The MACRO database keeps the runs it held before."_s : QString()));
        return false;
    }
    if (!notWritten.isEmpty()) {
        ShowWarning(u"Saved the files at subdirectory %1 except those of %2"_s.arg(
            directory, notWritten.join(u" and "_s)));
        return false;
    }
    ShowMessage(u"Saved all files at subdirectory "_s + directory);
    return true;
}
