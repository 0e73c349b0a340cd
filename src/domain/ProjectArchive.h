#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

class TdmKelvoADO;

// A project archive NAME.kelvo.zip: everything another working installation needs to recreate the
// project exactly.
//   manifest.json    Kelvo's version, the schema version, the model versions, the creation time, the
//                    user name, and the SHA-256 of every other file
//   project.json     the project's rows of every table that holds them, every column as stored
//   substances.json  the project's parent and its metabolites in the substance exchange format
//   files/...        the project directory (the exported model files and the report), when it exists

inline constexpr char ArchiveSuffix[] = ".kelvo.zip";

// Writes the archive of the named project to fileName (complete or not at all); answers the file's name.
// Without a file name the archive is NAME.kelvo.zip in the current directory.
QString WriteProjectArchive(TdmKelvoADO& dm, const QString& projectName, const QString& fileName = {});

// An archive read and checked: the manifest, and every file with its contents.
struct TProjectArchive {
    QString fileName;
    QByteArray manifest;
    QMap<QString, QByteArray> files;
    QString projectName() const;
};

// Reads an archive and checks it: a readable zip, only plain files and folders whose paths stay inside
// the archive (no "..", no absolute paths, no links), a manifest of a schema this Kelvo knows, every file
// the manifest lists present with its checksum and nothing else. Raises EKelvoError with one message
// naming the archive and what is wrong.
TProjectArchive ReadProjectArchive(const QString& fileName);

struct TRestoreOptions {
    // The name of the restored project (the archived one when empty).
    QString name;
    // The project root the project directory is made in (the default one when empty).
    QString root;
    // A substance of the archive that differs from the library's one of the same code comes in under a
    // free code instead of being refused.
    bool renameSubstances = false;
};

// Recreates the archived project in the working installation: its substances imported with the import's
// rules (an identical one reused), its rows in one transaction under free keys, its directory under the
// root. Raises EKelvoError with nothing written. Answers the restored project's name.
QString RestoreProjectArchive(TdmKelvoADO& dm, const TProjectArchive& archive, const TRestoreOptions& options);
