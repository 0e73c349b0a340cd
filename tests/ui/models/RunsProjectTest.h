#pragma once

#include "domain/ProjectTestBase.h"

#include <QStringList>

// A project of the example parent on maize at D4 and R1, listed in the project browser's list, with its
// runs (in sort key order) and their applications open, as the runs editor shows them.
class TRunsProjectTest : public TProjectTest {
protected:
    void SetUp() override {
        TProjectTest::SetUp();
        if (HasFatalFailure()) return;
        auto project = NewProject(QStringLiteral("Grid"), QStringLiteral("EXAMPLE_P"),
                                  {QStringLiteral("Maize")}, {QStringLiteral("D4"), QStringLiteral("R1")});
        ASSERT_TRUE(project->Save(true));
        ui.TakeTexts();
        ASSERT_TRUE(dm->OpenProjects());
        ASSERT_TRUE(dm->OpenRuns());
        dm->RefreshRuns();
        ASSERT_GE(dm->tblRuns.recordCount(), 4);
        ASSERT_EQ(dm->tblApplications.recordCount(), 1);
    }
    void TearDown() override {
        if (dm) dm->CloseRuns();
        TProjectTest::TearDown();
    }

    // The runs grid's columns of the runs editor.
    static QStringList RunColumns() {
        return {QStringLiteral("RunID"),         QStringLiteral("LocationCode"),
                QStringLiteral("CropCode"),      QStringLiteral("CropNr"),
                QStringLiteral("WaterbodyCode"), QStringLiteral("AppMethod"),
                QStringLiteral("NumberOfApps"),  QStringLiteral("FirstDayYrAppJulian"),
                QStringLiteral("FirstDayYrApp"), QStringLiteral("LastDayYrAppJulian"),
                QStringLiteral("LastDayYrApp"),  QStringLiteral("MinIntervalApps")};
    }
    static QStringList ApplicationColumns() {
        return {QStringLiteral("ApplicationNr"), QStringLiteral("Rate"), QStringLiteral("CAM"),
                QStringLiteral("Depi")};
    }

    QString StoredRate(const QString& runId) {
        return Value(QStringLiteral("SELECT Rate FROM Applications WHERE RunID = ? AND ApplicationNr = 1"),
                     {runId})
            .toString();
    }
    QString CurrentRunId() { return dm->tblRuns.fieldByName(QStringLiteral("RunID")).asString(); }
};
