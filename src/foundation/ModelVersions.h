#pragma once

#include <QString>

// The three model installations below the installation directory.
enum class TModel { Toxswa, Macro, Przm };

// The directory name of a model below the installation directory: "TOXSWA", "MACRO" or "PRZM".
QString ModelDirName(TModel model);

// What a model's version file (versionnum.dat) reports: line 2 the model version, line 3 the shell
// version, line 4 the MACRO database or PRZM data files version. For TOXSWA, whose file has no line 4,
// data is the database version of this system. Every value reads "to install by user" when the file
// does not exist.
struct TModelVersions {
    bool installed = false;
    QString model;
    QString shell;
    QString data;
};

// The text shown for every value of a model without a version file.
inline constexpr char16_t NotInstalledText[] = u"to install by user";
// The version of this system's database, shown as TOXSWA's database version.
inline constexpr char16_t KelvoDatabaseVersion[] = u"v. 1 (= 2.2, 9 Apr 2003)";

// Reads a version file. The value of a line is the text after its first "=" without leading and
// trailing blanks; a line without "=" is taken whole (for MACRO without its outer blanks); a missing
// line gives an empty value. Raises EKelvoError when the file exists but cannot be read.
TModelVersions ReadVersionFile(TModel model, const QString& fileName);
// Reads the version file of a model of the installation directory.
TModelVersions ReadModelVersions(TModel model);
