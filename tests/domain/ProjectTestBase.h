#pragma once

#include "domain/Crop.h"
#include "domain/Location.h"
#include "domain/Project.h"
#include "domain/Run.h"
#include "domain/RunApplication.h"
#include "foundation/ConcreteCollections.h"
#include "store/DataModuleKelvoADO.h"
#include "support/DataModuleTest.h"

#include <QDir>
#include <QFile>
#include <memory>

// A fresh installation with the scenario data module open, the default project root below the
// temporary folder, and the crop and scenario lists a wizard works with. Test substances are clones of
// the example parent EXAMPLE_P (complete, with default patterns for winter cereals).
class TProjectTest : public TDataModuleTest {
protected:
    using TKind = TScriptedUserInterface::TKind;

    void SetUp() override {
        TDataModuleTest::SetUp();
        if (HasFatalFailure()) return;
        savedRoot = DefaultProjectRoot();
        root = ProjectsRoot();
        ASSERT_TRUE(QDir().mkpath(root));
        SetDefaultProjectRoot(root);
        crops = dm->LoadCrops(true);
        locations = dm->LoadLocations();
    }
    void TearDown() override {
        locations.reset();
        crops.reset();
        SetDefaultProjectRoot(savedRoot);
        TDataModuleTest::TearDown();
    }

    TConnection& db() { return dm->dbKelvoADO; }

    QVariant Value(const QString& sql, const QVariantList& params = {}) {
        const TSqlResult result = db().Select(sql, params);
        return result.rows.isEmpty() ? QVariant() : result.rows[0].value(0);
    }
    QStringList Column(const QString& sql, const QVariantList& params = {}) {
        QStringList values;
        for (const TSqlRow& row : db().Select(sql, params).rows)
            values << row.value(0).toString();
        return values;
    }

    // A parent cloned from EXAMPLE_P, unlocked, with the given metabolites and PRZM relationship.
    void Parent(const QString& code, const QString& metabolite1 = {}, const QString& metabolite2 = {},
                int relationship = 2) {
        for (const char* table : {"Substances", "Substance_Macro", "Substance_PRZM"}) {
            const QString name = QString::fromLatin1(table);
            db().Execute(QStringLiteral("CREATE TEMP TABLE Clone AS SELECT * FROM %1 WHERE SubstanceCode = ?")
                             .arg(name),
                         {QStringLiteral("EXAMPLE_P")});
            db().Execute(QStringLiteral("UPDATE Clone SET SubstanceCode = ?"), {code});
            db().Execute(QStringLiteral("INSERT INTO %1 SELECT * FROM Clone").arg(name));
            db().Execute(QStringLiteral("DROP TABLE Clone"));
        }
        db().Execute(QStringLiteral("UPDATE Substances SET Locked = 0, MetSubCode1 = ?, MetSubCode2 = ? "
                                    "WHERE SubstanceCode = ?"),
                     {metabolite1.isEmpty() ? QVariant() : metabolite1,
                      metabolite2.isEmpty() ? QVariant() : metabolite2, code});
        db().Execute(QStringLiteral("UPDATE Substance_PRZM SET icombo3 = ? WHERE SubstanceCode = ?"),
                     {relationship, code});
    }

    // A listed project (linked to a Focus map) holding runs with the given IDs, stored past the rules.
    void ListedProject(int projectId, const QStringList& runIds, bool focus = true) {
        db().Execute(
            QStringLiteral("INSERT INTO Projects (ProjectID, Name, Path) VALUES (?, ?, ?)"),
            {projectId, QStringLiteral("L%1").arg(projectId), root + QStringLiteral("/L%1").arg(projectId)});
        db().Execute(QStringLiteral("INSERT INTO ToxswaMap (MapID, Name, Focus) VALUES (?, ?, ?)"),
                     {100 + projectId, QStringLiteral("L%1").arg(projectId), focus});
        db().Execute(QStringLiteral("INSERT INTO MapxProject (MapID, ProjectID) VALUES (?, ?)"),
                     {100 + projectId, projectId});
        for (const QString& runId : runIds)
            db().Execute(QStringLiteral("INSERT INTO Runs (RunID, ProjectID) VALUES (?, ?)"),
                         {runId, projectId});
    }

    // A new project of the substance on the crops (by code) at the scenarios, as a wizard fills it.
    std::unique_ptr<TProject> NewProject(const QString& name, const QString& substance,
                                         const QStringList& cropCodes, const QStringList& locationCodes,
                                         const QStringList& waterBodies = {QStringLiteral("focus_ditch"),
                                                                           QStringLiteral("focus_pond"),
                                                                           QStringLiteral("focus_stream")}) {
        auto project = std::make_unique<TProject>(name, QStringLiteral("about ") + name);
        project->SubstanceCode = substance;
        QStringList names;
        for (const QString& code : cropCodes)
            for (const TCrop* crop : crops->Items<TCrop>())
                if (crop->CropCode == code) names << crop->Name;
        project->SelectCrops(*crops, names);
        project->SelectLocations(locations.get(), locationCodes);
        project->WaterBodies = waterBodies;
        return project;
    }

    static QStringList RunIds(const TProject& project) {
        QStringList ids;
        for (const TRun* run : project.Runs->Items<TRun>())
            ids << run->RunID;
        return ids;
    }

    QString savedRoot;
    QString root;
    std::unique_ptr<TAggregationList> crops;
    std::unique_ptr<TAggregationList> locations;
};
