// kelvo-cli substance metabolites: the metabolite scheme of a parent, chosen and confirmed as in the
// metabolite scheme dialog and saved as the substance editor saves it.

#include "cli/MetaboliteCommand.h"
#include "cli/CliScenario.h"

#include "cli/JsonOutput.h"
#include "domain/MetaboliteScheme.h"
#include "foundation/Errors.h"
#include "store/DataModuleKelvoADO.h"

#include <QJsonObject>
#include <QTextStream>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString SchemeCaptions[] = {u"One Parent, no metabolite"_s, u"One Parent, one metabolite"_s,
                                  u"One Parent, two metabolites"_s,
                                  u"PRZM: One Parent -> first metabolite -> second metabolite"_s};

// The options of the command, none when not given.
struct TSchemeOptions {
    std::optional<QString> metabolite[2];
    std::optional<QString> przm[2];
    std::optional<QString> macro[2];
};

// Refuses an option that the scheme does not show.
void CheckUsed(const std::optional<QString>& option, bool used, const QString& name, int scheme) {
    if (option && !used) throw TUsageError(u"%1 is not used in scheme %2"_s.arg(name).arg(scheme));
}

// The fractions of a step as the dialog's fields take them: one given is entered and converts its
// partner; both given are taken as they are.
void EnterStep(TdmKelvoADO& dm, TMetaboliteScheme& scheme, int step, const std::optional<QString>& przm,
               const std::optional<QString>& macro) {
    TFractionTexts& texts = step == 1 ? scheme.step1 : scheme.step2;
    if (przm && macro)
        texts = {*przm, *macro};
    else if (przm)
        EnterFraction(dm, scheme, step, false, *przm);
    else if (macro)
        EnterFraction(dm, scheme, step, true, *macro);
}

void Print(const QString& parent, const TMetaboliteScheme& s, const TCliContext& context) {
    if (context.json) {
        PrintJson(QJsonObject{{u"parent"_s, parent},
                              {u"scheme"_s, s.scheme},
                              {u"metabolite1"_s, s.metabolite1},
                              {u"metabolite2"_s, s.metabolite2},
                              {u"przm1"_s, s.step1.przm},
                              {u"macro1"_s, s.step1.macro},
                              {u"przm2"_s, s.step2.przm},
                              {u"macro2"_s, s.step2.macro}});
        return;
    }
    QTextStream out(stdout);
    out << u"%1: scheme %2 (%3)"_s.arg(parent).arg(s.scheme).arg(SchemeCaptions[s.scheme - 1]) << Qt::endl;
    if (s.scheme >= 2)
        out << u"  metabolite 1: %1  PRZM %2  MACRO %3"_s.arg(s.metabolite1, s.step1.przm, s.step1.macro)
            << Qt::endl;
    if (s.scheme == 3)
        out << u"  metabolite 2: %1  PRZM %2  MACRO %3"_s.arg(s.metabolite2, s.step2.przm, s.step2.macro)
            << Qt::endl;
    if (s.scheme == 4)
        out << u"  metabolite 2: %1  PRZM %2 from metabolite 1"_s.arg(s.metabolite2, s.step2.przm)
            << Qt::endl;
}

} // namespace

int RunSubstanceMetabolites(QStringList arguments, TCliContext& context) {
    if (arguments.isEmpty()) throw TUsageError(u"PARENT is missing"_s);
    const QString parent = arguments.takeFirst();
    const std::optional<QString> schemeText = TakeOption(arguments, u"--scheme"_s);
    if (!schemeText) throw TUsageError(u"--scheme is missing"_s);
    bool ok = false;
    const int scheme = schemeText->toInt(&ok);
    if (!ok || scheme < 1 || scheme > 4) throw TRefusedValue(u"--scheme is 1, 2, 3 or 4"_s);
    TSchemeOptions options;
    for (int i = 0; i < 2; ++i) {
        const QString n = QString::number(i + 1);
        options.metabolite[i] = TakeOption(arguments, u"--m"_s + n);
        options.przm[i] = TakeOption(arguments, u"--przm"_s + n);
        options.macro[i] = TakeOption(arguments, u"--macro"_s + n);
    }
    RequireNoArguments(arguments);
    CheckUsed(options.metabolite[0], scheme >= 2, u"--m1"_s, scheme);
    CheckUsed(options.przm[0], scheme >= 2, u"--przm1"_s, scheme);
    CheckUsed(options.macro[0], scheme >= 2, u"--macro1"_s, scheme);
    CheckUsed(options.metabolite[1], scheme >= 3, u"--m2"_s, scheme);
    CheckUsed(options.przm[1], scheme >= 3, u"--przm2"_s, scheme);
    CheckUsed(options.macro[1], scheme == 3, u"--macro2"_s, scheme);

    TCliScenario scenario;
    TdmKelvoADO& dm = scenario.dm;
    TMetaboliteScheme s = ReadMetaboliteScheme(dm, parent, scheme);
    for (int i = 0; i < 2; ++i)
        if (options.metabolite[i]) ChooseMetabolite(dm, s, i + 1, *options.metabolite[i]);
    for (int i = 0; i < 2; ++i)
        EnterStep(dm, s, i + 1, options.przm[i], options.macro[i]);

    // The conversion factors are stored at once and the parent's rows on saving: both or neither.
    TConnection& db = dm.dbKelvoADO;
    db.BeginTrans();
    try {
        ApplyMetaboliteScheme(dm, parent, s);
        if (!dm.SaveSubstance()) {
            db.RollbackTrans();
            return 1;
        }
        dm.CloseSubstanceTables();
        db.CommitTrans();
    } catch (...) {
        db.RollbackTrans();
        throw;
    }
    Print(parent, ReadMetaboliteScheme(dm, parent), context);
    dm.CloseSubstanceTables();
    return 0;
}
