#include "ui/screens/ProjectArchiveButtons.h"

#include "domain/Project.h"
#include "domain/ProjectArchive.h"
#include "foundation/UserInterface.h"
#include "store/DataModuleKelvoADO.h"
#include "ui/GuardedButton.h"

#include <QBoxLayout>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Filter = u"Project archives (*.kelvo.zip);;All files (*)"_s;

void ArchiveClicked(TdmKelvoADO& dm, const TProjectBrowserHooks& hooks) {
    const QString name = hooks.currentProject();
    if (name.isEmpty()) {
        ShowMessage(u"no project available"_s);
        return;
    }
    const QString file =
        AskSaveFileName(u"Archive project %1"_s.arg(name), name + QString::fromLatin1(ArchiveSuffix), Filter);
    if (file.isEmpty()) return;
    ShowInformation(u"Archived project %1 in %2"_s.arg(name, WriteProjectArchive(dm, name, file)));
}

// The archive is read and every checksum checked; a bad one raises its message.
void OpenArchiveClicked(TdmKelvoADO&, const TProjectBrowserHooks&) {
    const QString file = AskOpenFileName(u"Open project archive"_s, {}, Filter);
    if (file.isEmpty()) return;
    const TProjectArchive archive = ReadProjectArchive(file);
    ShowInformation(u"%1: project %2, %3 files, every checksum right"_s.arg(file, archive.projectName())
                        .arg(archive.files.size()));
}

void RestoreClicked(TdmKelvoADO& dm, const TProjectBrowserHooks& hooks) {
    const QString file = AskOpenFileName(u"Restore project from archive"_s, {}, Filter);
    if (file.isEmpty()) return;
    const TProjectArchive archive = ReadProjectArchive(file);
    TRestoreOptions options;
    options.root = AskDirectory(u"Project root for %1"_s.arg(archive.projectName()), DefaultProjectRoot());
    if (options.root.isEmpty()) return;
    const QString restored = RestoreProjectArchive(dm, archive, options);
    hooks.reload();
    ShowInformation(u"Restored project %1 from %2"_s.arg(restored, file));
}

} // namespace

void AddProjectArchiveButtons(QWidget* window, TdmKelvoADO& dm, QBoxLayout* buttons, TProjectBrowserHooks hooks) {
    AddGuardedButton(window, buttons, u"btnArchive"_s, u"Archive..."_s,
                     [&dm, hooks] { ArchiveClicked(dm, hooks); });
    AddGuardedButton(window, buttons, u"btnOpenArchive"_s, u"Open archive..."_s,
                     [&dm, hooks] { OpenArchiveClicked(dm, hooks); });
    AddGuardedButton(window, buttons, u"btnRestore"_s, u"Restore..."_s,
                     [&dm, hooks] { RestoreClicked(dm, hooks); });
}
