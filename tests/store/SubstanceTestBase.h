#pragma once

#include "store/DataModuleKelvoADO.h"
#include "support/DataModuleTest.h"

#include <memory>

// A fresh installation with the scenario data module open on it, and a few unlocked substances made
// from the example ones: the parent PAR with the metabolites MET1 and MET2, and LONE, a metabolite of
// nobody. The example substances EXAMPLE_P (parent of EXAMPLE_M1) and EXAMPLE_M1 are locked.
class TSubstanceTest : public TDataModuleTest {
protected:
    using TKind = TScriptedUserInterface::TKind;
    using TEntries = QVector<TScriptedUserInterface::TEntry>;

    void SetUp() override;
    void TearDown() override;

    // Copies the three rows (and the default patterns) of a substance under a new code, unlocked.
    void Clone(const QString& source, const QString& code, bool parent, const QString& metabolite1 = {},
               const QString& metabolite2 = {});
    // A column of a stored row, read past every record set.
    QVariant Stored(const QString& table, const QString& code, const QString& column);
    void Store(const QString& table, const QString& code, const QString& column, const QVariant& value);
    int Count(const QString& table, const QString& code);
};
