#pragma once

#include "domain/SubstanceExchangeFormat.h"

#include <QHash>
#include <QString>
#include <QStringList>

class TdmKelvoADO;

// What becomes of a substance in the file whose code the library already has.
enum class TExistingSubstance {
    Refuse,  // the import is refused
    Replace, // its values are overwritten (never those of a locked substance)
    Skip,    // the library's substance stays, the file's is passed over
    Rename,  // the file's substance comes in under a free code "c2_CODE" ("c3_CODE", ...)
};

struct TSubstanceImportOptions {
    TExistingSubstance existing = TExistingSubstance::Refuse;
    // An existing substance equal in every value the file gives is taken as it is (restoring a project).
    bool reuseIdentical = false;
};

struct TSubstanceImportResult {
    QStringList added;
    QStringList replaced;
    QStringList skipped;
    QStringList reused;
    // The file's code and the code it came in under.
    QHash<QString, QString> renamed;
    // The code a file's code has in the library afterwards (itself unless renamed).
    QString codeOf(const QString& fileCode) const { return renamed.value(fileCode, fileCode); }
};

// Takes the file's substances into the library through the substance record sets and their rules, as
// the substance editor enters values: each value is checked against its column, the values coupled to
// it follow (Kom and Koc, the general sorption values into empty detailed ones, the two wash-off
// factors, the Q10 switch) where the file leaves them out, and where the file gives both they must
// agree. The metabolites a parent names must be in the file or the library. Every row is checked
// before anything stays: the whole file is one transaction, and the first refusal raises EKelvoError
// naming the file, the line or JSON path, the field and the value, with nothing written.
TSubstanceImportResult ImportSubstances(TdmKelvoADO& dm, const TSubstanceFile& file,
                                        const TSubstanceImportOptions& options);

// The file's codes that the library has already, as the import matches them: in any case. A code the
// library spells differently is followed by its spelling there: "ma (MA in the library)".
QStringList ExistingSubstanceCodes(TdmKelvoADO& dm, const TSubstanceFile& file);
