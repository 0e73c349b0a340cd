// The project browser with its export and copy dialogs, the runs editor on a drainage and on a runoff
// run, the default pattern editor and the drift calculator.

#include "tools/screens/Screens.h"

#include "drift/Mitigation.h"
#include "store/DataModuleKelvoADO.h"
#include "ui/drift/Drift.h"
#include "ui/screens/CopyProject.h"
#include "ui/screens/Defaults.h"
#include "ui/screens/Main.h"
#include "ui/screens/ProjectFiles.h"
#include "ui/screens/Runs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

using namespace Qt::Literals::StringLiterals;

namespace {

// Makes the first parent run whose scenario begins with the letter current.
void ShowRunAt(TRecordSet& runs, QChar scenarioLetter) {
    for (runs.first(); !runs.eof(); runs.next())
        if (runs.fieldByName(u"LocationCode"_s).asString().startsWith(scenarioLetter) &&
            runs.fieldByName(u"RunID"_s).asString().endsWith(u"_pa"_s))
            return;
    runs.first();
}

void RenderProjects(TScreenContext& context) {
    TfrmMain browser;
    context.Save(&browser, u"frmMain"_s);
    {
        TfrmProjectFiles files(&browser);
        files.SetPath(context.dm.qryProjects.fieldByName(u"Path"_s).asString());
        context.Save(&files, u"frmProjectFiles"_s);
    }
    {
        TfrmCopyProject copy(context.dm.qryProjects.fieldByName(u"Name"_s).asString(),
                             context.dm.qryProjects.fieldByName(u"Description"_s).asString(), &browser);
        context.Save(&copy, u"frmCopyProject"_s);
    }
    {
        TfrmRuns runs(&browser);
        context.Save(&runs, u"frmRuns"_s);
        ShowRunAt(context.dm.tblRuns, u'D');
        context.Save(&runs, u"frmRuns-drainage"_s);
        ShowRunAt(context.dm.tblRuns, u'R');
        context.Save(&runs, u"frmRuns-runoff"_s);
        {
            TfrmDefaults defaults(&runs);
            if (defaults.Prepare(context.dm.CurrentProjectSubstanceCode()))
                context.Save(&defaults, u"frmDefaults"_s);
        }
        runs.reject();
    }
    {
        // Step 4: the drift runs at a 20 m buffer with 75 % drift reduction.
        context.dm.MitigateRuns(context.dm.qryProjects.fieldByName(u"ProjectID"_s).asInteger(), TMitigation{20.0, 75},
                                QString(), {});
        context.Save(&browser, u"frmMain-step4"_s);
        TfrmRuns runs(&browser);
        ShowRunAt(context.dm.tblRuns, u'D');
        context.Save(&runs, u"frmRuns-step4"_s);
        runs.reject();
    }
    browser.reject();
}

void RenderDrift(TScreenContext& context) {
    TfrmDrift drift;
    context.Save(&drift, u"frmDrift"_s);
    auto* mitigation = drift.findChild<QComboBox*>(u"cmbMitigation"_s);
    mitigation->setCurrentIndex(mitigation->findText(u"10"_s));
    auto* water = drift.findChild<QComboBox*>(u"cmbWater"_s);
    water->setCurrentIndex(water->findText(u"focus_ditch"_s));
    context.Save(&drift, u"frmDrift-mitigation"_s);
    // Step 4: a typed buffer of 12.5 m, 75 % drift reduction, and the deposition curve beside.
    mitigation->setEditText(u"12.5"_s);
    Q_EMIT mitigation->lineEdit()->editingFinished();
    auto* reduction = drift.findChild<QComboBox*>(u"cmbReduction"_s);
    reduction->setCurrentIndex(reduction->findText(u"75 %"_s));
    drift.findChild<QCheckBox*>(u"chkCurve"_s)->setChecked(true);
    context.Save(&drift, u"frmDrift-step4"_s);
    drift.reject();
}

const TScreensRegistrar projects(u"3-projects"_s, RenderProjects);
const TScreensRegistrar drift(u"4-drift"_s, RenderDrift);

} // namespace
