// kelvo-cli info: the program directory and the working installation, the scenario database with its
// schema versions and the row counts of the reference tables, and the three model installations with
// their versions.

#include "cli/CliCommand.h"
#include "cli/JsonOutput.h"
#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "foundation/ModelVersions.h"
#include "store/Connection.h"
#include "store/ScenarioSchema.h"

#include <QFileInfo>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

namespace {


struct TModelInfo {
    TModel model;
    QString store;            // the file that makes the installation available
    QString shell;            // the shell program
    QStringList versionNames; // the names of model, shell and data versions
};

const QVector<TModelInfo> models = {
    {TModel::Macro,
     u"MACRO/pest_focus.sqlite"_s,
     u"MACRO/MACRO_Focus.exe"_s,
     {u"model"_s, u"shell"_s, u"database"_s}},
    {TModel::Przm, u"PRZM/wpic/chmdat.dat"_s, u"PRZM/pfsw.exe"_s, {u"model"_s, u"shell"_s, u"dataFiles"_s}},
    {TModel::Toxswa,
     u"TOXSWA/versionnum.dat"_s,
     u"TOXSWA/TOXSWA_GUI.exe"_s,
     {u"model"_s, u"shell"_s, u"database"_s}},
};

QJsonObject DatabaseInfo(const QString& file) {
    QJsonObject info{{u"file"_s, file}};
    TConnection connection;
    try {
        connection.Open(file);
    } catch (const EKelvoError& e) {
        info.insert(u"opens"_s, false);
        info.insert(u"error"_s, e.Message());
        return info;
    }
    info.insert(u"opens"_s, true);
    info.insert(u"programSchemaVersion"_s, ScenarioSchemaVersion);
    try {
        info.insert(u"schemaVersion"_s, RecordedSchemaVersion(connection));
        for (const QString& key : {u"ProgramVersion"_s, u"MigratedAt"_s}) {
            const TSqlResult value = connection.Select(u"SELECT Value FROM meta WHERE Key = ?"_s, {key});
            if (!value.rows.isEmpty() && !value.rows[0][0].isNull())
                info.insert(key == u"ProgramVersion"_s ? u"lastOpenedBy"_s : u"migratedAt"_s,
                            value.rows[0][0].toString());
        }
    } catch (const EKelvoError& e) {
        info.insert(u"schemaError"_s, e.Message());
    }
    QJsonObject counts;
    for (const QString& table : ReferenceTables()) {
        try {
            const TSqlResult count = connection.Select(u"SELECT COUNT(*) FROM \"%1\""_s.arg(table));
            counts.insert(table, count.rows[0][0].toInt());
        } catch (const EKelvoError&) {
            counts.insert(table, QJsonValue::Null);
        }
    }
    info.insert(u"tables"_s, counts);
    return info;
}

QJsonObject ModelInfo(const TModelInfo& model) {
    const QString dir = InstallationDir();
    const bool shell = QFileInfo(dir + model.shell).isFile();
    const bool store = QFileInfo(dir + model.store).isFile();
    QJsonObject info{{u"available"_s, store || (model.model == TModel::Toxswa && shell)},
                     {u"store"_s, dir + model.store},
                     {u"shell"_s, dir + model.shell},
                     {u"shellPresent"_s, shell}};
    try {
        const TModelVersions versions = ReadModelVersions(model.model);
        info.insert(u"versions"_s, QJsonObject{{model.versionNames[0], versions.model},
                                               {model.versionNames[1], versions.shell},
                                               {model.versionNames[2], versions.data}});
    } catch (const EKelvoError& e) {
        info.insert(u"versionsError"_s, e.Message());
    }
    return info;
}

void PrintText(const QJsonObject& info) {
    QTextStream out(stdout);
    out << u"Kelvo "_s << info[u"programVersion"_s].toString() << Qt::endl;
    out << u"Program directory: "_s << info[u"programDir"_s].toString() << Qt::endl;
    out << u"Working installation: "_s << info[u"installationDir"_s].toString() << Qt::endl;
    const QJsonObject database = info[u"scenarioDatabase"_s].toObject();
    out << u"Scenario database: "_s << database[u"file"_s].toString() << Qt::endl;
    if (!database[u"opens"_s].toBool()) {
        out << u"  does not open: "_s << database[u"error"_s].toString() << Qt::endl;
    } else if (database.contains(u"schemaError"_s)) {
        out << u"  "_s << database[u"schemaError"_s].toString() << Qt::endl;
    } else {
        out << u"  schema version "_s << database[u"schemaVersion"_s].toInt() << u" (this Kelvo: "_s
            << database[u"programSchemaVersion"_s].toInt() << u")"_s << Qt::endl;
        if (database.contains(u"lastOpenedBy"_s))
            out << u"  last opened by Kelvo "_s << database[u"lastOpenedBy"_s].toString() << Qt::endl;
        if (database.contains(u"migratedAt"_s))
            out << u"  migrated at "_s << database[u"migratedAt"_s].toString() << Qt::endl;
        const QJsonObject counts = database[u"tables"_s].toObject();
        for (const QString& table : ReferenceTables()) {
            const QJsonValue count = counts[table];
            out << u"  %1: %2"_s.arg(table, count.isNull() ? u"missing"_s : QString::number(count.toInt()))
                << Qt::endl;
        }
    }
    const QJsonObject modelInfos = info[u"models"_s].toObject();
    for (const TModelInfo& model : models) {
        const QString name = ModelDirName(model.model);
        const QJsonObject m = modelInfos[name].toObject();
        out << name << u": "_s << (m[u"available"_s].toBool() ? u"available"_s : u"not available"_s)
            << u" (shell "_s << (m[u"shellPresent"_s].toBool() ? u"present"_s : u"missing"_s) << u")"_s
            << Qt::endl;
        if (m.contains(u"versionsError"_s)) {
            out << u"  versions: "_s << m[u"versionsError"_s].toString() << Qt::endl;
            continue;
        }
        const QJsonObject versions = m[u"versions"_s].toObject();
        for (const QString& key : model.versionNames)
            out << u"  %1: %2"_s.arg(key, versions[key].toString()) << Qt::endl;
    }
}

int RunInfo(QStringList arguments, TCliContext& context) {
    RequireNoArguments(arguments);
    const QString dir = InstallationDir();
    QJsonObject modelInfos;
    for (const TModelInfo& model : models)
        modelInfos.insert(ModelDirName(model.model), ModelInfo(model));
    const QJsonObject info{{u"programVersion"_s, ProgramVersion()},
                           {u"programDir"_s, ProgramDir()},
                           {u"installationDir"_s, dir},
                           {u"scenarioDatabase"_s, DatabaseInfo(dir + u"data/kelvo_db.sqlite"_s)},
                           {u"models"_s, modelInfos}};
    if (context.json)
        PrintJson(info);
    else
        PrintText(info);
    return 0;
}

const TCliCommandRegistrar
    registrar({u"info"_s, u"[--json]"_s,
               u"program directory, working installation, scenario database and models"_s, RunInfo});

} // namespace
