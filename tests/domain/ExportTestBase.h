#pragma once

#include "domain/Project.h"
#include "domain/Run.h"
#include "domain/RunApplication.h"
#include "export/DataModuleMacroADO.h"
#include "foundation/Errors.h"
#include "store/DataModuleKelvoADO.h"
#include "support/DataModuleTest.h"

#include <QDir>
#include <QFile>
#include <vector>

// A fresh installation with both data modules and a project P1 below <install>/projects, whose runs
// the test adds. Store writes the Projects row, the map and the runs, so the exports find them.
class TExportTest : public TDataModuleTest {
protected:
    void SetUp() override {
        TDataModuleTest::SetUp();
        if (HasFatalFailure()) return;
        macro = std::make_unique<TdmMacroADO>();
        SetDefaultProjectRoot(ProjectsRoot());
        project = std::make_unique<TProject>(QStringLiteral("P1"), QStringLiteral("First project"));
        project->SubstanceCode = QStringLiteral("EXAMPLE_P");
        project->ProjectID = 1;
        project->Path = DefaultProjectRoot() + QStringLiteral("/P1");
        for (const char* sub : {"", "/TOXSWA", "/PRZM", "/MACRO"})
            ASSERT_TRUE(QDir().mkpath(project->Path + QString::fromLatin1(sub)));
    }
    void TearDown() override {
        project.reset();
        macro.reset();
        TDataModuleTest::TearDown();
    }

    struct TRunSpec {
        int number;
        QString suffix;
        QString location;
        QString crop;
        QString water;
        QString method = QStringLiteral("ground spray");
        std::vector<double> rates = {1.0};
        int first = 100;
        int last = 160;
        int interval = 14;
        QString cropNr = QStringLiteral("1st");
        bool selected = true;
    };

    TRun& AddRun(const TRunSpec& spec) {
        auto run = std::make_unique<TRun>();
        run->SubstanceCode = project->SubstanceCode;
        run->LocationCode = spec.location;
        run->CropCode = spec.crop;
        run->CropNr = spec.cropNr;
        run->WaterbodyCode = spec.water;
        run->AppMethod = spec.method;
        run->FirstDayYrApp = spec.first;
        run->LastDayYrApp = spec.last;
        run->MinIntervalApps = spec.interval;
        run->Selected = spec.selected;
        run->SetRunID(spec.number, spec.suffix);
        run->NumberOfApps = static_cast<int>(spec.rates.size());
        run->SetNumberOfApplications(run->NumberOfApps);
        int position = 1;
        for (double rate : spec.rates)
            run->GetApplication(position++)->Rate = rate;
        TRun& stored = *run;
        project->Runs->Add(run.release());
        return stored;
    }

    // The Projects row, the TOXSWA map and the runs with their applications.
    void Store() {
        TConnection& db = dm->dbKelvoADO;
        db.Execute(QStringLiteral("INSERT INTO Projects VALUES (?, ?, ?, ?, ?, ?, ?)"),
                   {project->ProjectID, project->Name, project->Description, project->Path,
                    project->SubstanceCode, QStringLiteral("2024-05-06T07:08:00"),
                    QStringLiteral("2024-05-06T07:08:00")});
        project->RegisterToxswaMap();
        for (const TRun* run : project->Runs->Items<TRun>()) {
            ASSERT_TRUE(run->InsertRecord(project->ProjectID));
            ASSERT_TRUE(run->InsertApplicationRecords());
        }
        dm->CloseRunInsert();
    }

    TSqlResult Rows(TConnection& db, const QString& sql, const QVariantList& params = {}) {
        return db.Select(sql, params);
    }

    static QByteArray ReadAll(const QString& fileName) {
        QFile file(fileName);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << fileName.toStdString();
        return file.readAll();
    }

    // Compares with tests/data/<name> byte for byte; on a difference the produced bytes are kept beside
    // the temporary installation for a look.
    void ExpectGolden(const QByteArray& actual, const QString& name) {
        const QString golden = QStringLiteral(KELVO_DATA_SOURCE_DIR "/../tests/data/") + name;
        const QByteArray expected = ReadAll(golden);
        EXPECT_EQ(actual.size(), expected.size()) << name.toStdString();
        if (actual == expected) return;
        QFile kept(QDir::tempPath() + QStringLiteral("/kelvo-golden-") + QString(name).replace(u'/', u'_'));
        if (kept.open(QIODevice::WriteOnly)) kept.write(actual);
        ADD_FAILURE() << "differs from " << name.toStdString()
                      << ", produced: " << kept.fileName().toStdString();
    }
    std::unique_ptr<TdmMacroADO> macro;
    std::unique_ptr<TProject> project;
};
