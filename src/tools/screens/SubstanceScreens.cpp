// The substance editor (every page, on an unlocked and on a locked substance), the new substance dialog,
// the soil transformation dialog and the metabolite scheme dialog in each scheme.

#include "tools/screens/Screens.h"

#include "domain/MetaboliteScheme.h"
#include "domain/NewSubstance.h"
#include "store/DataModuleKelvoADO.h"
#include "store/Locate.h"
#include "ui/substances/Metabolites2.h"
#include "ui/substances/PRZMspec.h"
#include "ui/substances/SubstanceNew.h"
#include "ui/substances/Substances.h"

#include <QAbstractButton>
#include <QTabWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

// An unlocked parent forming an unlocked metabolite, copied from the example substances as the
// editor's Copy does.
void MakeUnlockedSubstances(TdmKelvoADO& dm) {
    dm.OpenSubstanceTables();
    for (const auto& [code, source] :
         {std::pair{u"MY_PARENT"_s, u"EXAMPLE_P"_s}, {u"MY_METAB"_s, u"EXAMPLE_M1"_s}}) {
        LocateByTextKeys(dm.tblSubstances, {source}, 1);
        CreateNewSubstance(dm, code, code == u"MY_PARENT"_s ? u"My parent"_s : u"My metabolite"_s);
        dm.AskBeforeSave = false;
        dm.tblSubstances.cancel();
        dm.CopySubstanceValues(code, source);
        dm.AskBeforeSave = true;
        dm.UndoSubstance();
    }
    TMetaboliteScheme scheme = ReadMetaboliteScheme(dm, u"MY_PARENT"_s, 2);
    scheme.metabolite1 = u"MY_METAB"_s;
    EnterFraction(dm, scheme, 1, false, u"0.5"_s);
    ApplyMetaboliteScheme(dm, u"MY_PARENT"_s, scheme);
    dm.AskBeforeSave = false;
    dm.SaveSubstance();
    dm.AskBeforeSave = true;
    dm.CloseSubstanceTables();
}

void RenderSubstances(TScreenContext& context) {
    TdmKelvoADO& dm = context.dm;
    MakeUnlockedSubstances(dm);
    TfrmSubstances editor(dm);
    auto* pages = editor.findChild<QTabWidget*>(u"pgSubstance"_s);
    for (const auto& [code, name] :
         {std::pair{u"MY_PARENT"_s, u"frmSubstances"_s}, {u"EXAMPLE_P"_s, u"frmSubstances-locked"_s}}) {
        LocateByTextKeys(dm.tblSubstances, {code}, 1);
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            context.Save(&editor, name + u'-' + pages->widget(i)->objectName());
        }
    }
    pages->setCurrentIndex(0);
    {
        TfrmNewSubstance dialog(dm, &editor);
        dialog.Propose(u"cMY_PARENT"_s, u"copy_of_MY_PARENT"_s);
        context.Save(&dialog, u"frmNewSubstance"_s);
    }
    LocateByTextKeys(dm.tblSubstances, {u"MY_PARENT"_s}, 1);
    {
        TfrmPRZMspec dialog(dm, &editor);
        context.Save(&dialog, u"frmPRZMspec"_s);
    }
    {
        TfrmMetabolites2 dialog(dm, &editor);
        for (const QString& scheme : {u"rbOneNo"_s, u"RbOneOne"_s, u"rbOneTwo"_s, u"rbOneOneTwo"_s}) {
            dialog.findChild<QAbstractButton*>(scheme)->click();
            context.Save(&dialog, u"frmMetabolites2-"_s + scheme);
        }
    }
    dm.UndoSubstance();
    editor.reject();
}

const TScreensRegistrar substances(u"3-substances"_s, RenderSubstances);

} // namespace
