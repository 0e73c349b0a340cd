// kelvo-mkinstall DATA_SOURCE_DIR STANDINS_SOURCE_DIR INSTALL_DIR
// Builds INSTALL_DIR/data/kelvo_db.sqlite from the schema, reference data and examples of
// DATA_SOURCE_DIR, then lays out the stand-in model installations of STANDINS_SOURCE_DIR.

#include "export/StandinInstaller.h"
#include "foundation/Errors.h"
#include "store/ScenarioDatabaseBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QTextStream err(stderr);
    if (args.size() != 3) {
        err << "usage: kelvo-mkinstall DATA_SOURCE_DIR STANDINS_SOURCE_DIR INSTALL_DIR" << Qt::endl;
        return 2;
    }
    try {
        const QDir install(args[2]);
        BuildScenarioDatabase(args[0], install.filePath(u"data/kelvo_db.sqlite"_s));
        InstallStandins(args[1], install.absolutePath());
    } catch (const EKelvoError& e) {
        err << "kelvo-mkinstall: " << e.Message() << Qt::endl;
        return 1;
    }
    return 0;
}
