#include "ui/app/LauncherCommandLine.h"

#include "foundation/Installation.h"
#include "store/ScenarioSchema.h"

#include <QDir>

using namespace Qt::Literals::StringLiterals;

std::optional<int> TakeLauncherOptions(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"--version"_s) {
            out << VersionLine(u"Kelvo"_s) << Qt::endl;
            return 0;
        }
        if (argument == u"--help"_s || argument == u"-h"_s) {
            out << u"Usage: kelvo [--install-dir DIR] [--version] [--help]\n"
                   u"\n"
                   u"Starts Kelvo's launcher on the working installation in DIR (default: $KELVO_HOME, or else\n"
                   u"~/.local/share/Kelvo), which is made from the program's templates when it has no database yet.\n"
                   u"\n"
                   u"Options:\n"
                   u"  --install-dir DIR  the working installation to work on\n"
                   u"  --version          show the version and the scenario database's schema version\n"
                   u"  --help             show this help\n"
                   u"\n"
                   u"The command-line tool kelvo-cli runs Kelvo's operations without windows.\n"_s
                << Qt::flush;
            return 0;
        }
        QString dir;
        if (argument == u"--install-dir"_s) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                err << u"kelvo: --install-dir needs a folder"_s << Qt::endl;
                return 2;
            }
            dir = arguments[++i];
        } else if (argument.startsWith(u"--install-dir="_s)) {
            dir = argument.mid(14);
            if (dir.isEmpty()) {
                err << u"kelvo: --install-dir needs a folder"_s << Qt::endl;
                return 2;
            }
        }
        if (!dir.isEmpty()) SetInstallationDir(QDir(dir).absolutePath());
    }
    return std::nullopt;
}
