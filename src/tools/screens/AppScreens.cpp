// The launcher, its auxiliary windows, the scenario information and map windows and both wizards.

#include "tools/screens/Screens.h"

#include "domain/Project.h"
#include "foundation/Installation.h"
#include "store/DataModuleKelvoADO.h"
#include "ui/app/About.h"
#include "ui/app/FileView.h"
#include "ui/app/Help.h"
#include "ui/app/HelpSystem.h"
#include "ui/app/HelpWindow.h"
#include "ui/app/Info.h"
#include "ui/app/Intro.h"
#include "ui/app/SiteMap.h"
#include "ui/app/Version.h"
#include "ui/app/Wait.h"
#include "ui/wizards/FocusWizard.h"
#include "ui/wizards/UserWizard.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// Every page of a tab widget, as <name>-<page>.png; the first page also as <name>.png.
void SavePages(TScreenContext& context, QWidget* window, const QString& name, const QString& tabs) {
    auto* pages = window->findChild<QTabWidget*>(tabs);
    context.Save(window, name);
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        context.Save(window, name + u'-' + pages->widget(i)->objectName());
    }
}

void RenderLauncher(TScreenContext& context) {
    TfrmHelp launcher(context.dm, context.macro);
    SavePages(context, &launcher, u"frmHelp"_s, u"PageControl"_s);
    launcher.hide();
    {
        TfrmAbout about(&launcher);
        context.Save(&about, u"frmAbout"_s);
    }
    {
        TfrmVersions versions(&launcher);
        context.Save(&versions, u"frmVersions"_s);
    }
    {
        TfrmIntro intro(&launcher);
        context.Save(&intro, u"frmIntro"_s);
    }
    {
        TfrmWait wait(u"Writing TOXSWA input"_s, 10);
        context.Save(&wait, u"frmWait"_s);
    }
    {
        THelpWindow help(&launcher);
        help.Open(HelpFileName(), u"contents"_s);
        context.Save(&help, u"frmHelpWindow"_s);
    }
    {
        TfrmInfo info(&launcher);
        SavePages(context, &info, u"frmInfo"_s, u"PageControl1"_s);
    }
    {
        TfrmSiteMap map(&launcher);
        map.LoadPicture(SiteMapFileName(u"D3"_s));
        context.Save(&map, u"frmSiteMap"_s);
    }
    {
        TfrmFileView view(&launcher);
        view.LoadFile(DefaultProjectRoot() + u'/' + context.exampleProject + u'/' + context.exampleProject +
                      u"_report.txt"_s);
        context.Save(&view, u"frmFileView"_s);
    }
}

void RenderWizards(TScreenContext& context) {
    {
        TfrmFocusWizard wizard;
        context.Save(&wizard, u"frmFocusWizard"_s);
        wizard.reject();
    }
    TfrmUserWizard wizard;
    auto* pages = wizard.findChild<QStackedWidget*>(u"pgsWizard"_s);
    auto* next = wizard.findChild<QPushButton*>(u"btnNext"_s);
    const auto savePage = [&] {
        context.Save(&wizard, u"frmUserWizard-"_s + pages->currentWidget()->objectName());
    };
    savePage();
    QTest::mouseClick(next, Qt::LeftButton);
    auto* crops = wizard.findChild<QListWidget*>(u"CropsSrcList"_s);
    for (const QString& crop : {u"Maize"_s, u"Potatoes"_s})
        if (const auto found = crops->findItems(crop, Qt::MatchExactly); !found.isEmpty())
            found.first()->setSelected(true);
    QTest::mouseClick(wizard.findChild<QPushButton*>(u"CropsIncludeBtn"_s), Qt::LeftButton);
    savePage();
    QTest::mouseClick(next, Qt::LeftButton);
    savePage();
    QTest::mouseClick(next, Qt::LeftButton);
    QTest::mouseClick(wizard.findChild<QPushButton*>(u"LocationsIncAllBtn"_s), Qt::LeftButton);
    savePage();
    QTest::mouseClick(next, Qt::LeftButton);
    savePage();
    wizard.reject();
}

const TScreensRegistrar app(u"1-app"_s, RenderLauncher);
const TScreensRegistrar wizards(u"2-wizards"_s, RenderWizards);

} // namespace
