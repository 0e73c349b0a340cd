#pragma once

#include <QString>

// The templates of a working installation in the program directory: data/kelvo_db.sqlite and the
// stand-in MACRO, PRZM and TOXSWA installations, as the build lays them out.
QString TemplatesDir();

// Makes the working installation (InstallationDir) from the templates when it has no scenario database
// yet: the database, and each model directory that does not exist yet (a model directory already there
// is left as it is, so the real models can be put in place). Says once where it made it. In an existing
// installation a model directory that is missing (deleted by the user) is restored from the templates,
// saying so. Two processes
// doing this at the same moment end with one complete installation. Answers whether it made one;
// raises EKelvoError when it cannot, leaving whatever the user had untouched.
bool MakeWorkingInstallation();
