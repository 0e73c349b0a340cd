#pragma once

#include "support/QStringPrinter.h"
#include "support/ScriptedUserInterface.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// Base of every test: installs the scripted user-interface handler and checks at the end that
// every message was looked at and every scripted answer used.
class TKelvoTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    TScriptedUserInterface ui;
};

// A fresh installation directory in a temporary folder, built by the same code as the build uses.
class TInstallationTest : public TKelvoTest {
protected:
    void SetUp() override;
    void TearDown() override;

    QString InstallDir() const;
    QString DatabaseFile() const;
    // A folder for projects beside the installation (a project root may not lie inside it).
    QString ProjectsRoot() const;

    QTemporaryDir tempDir;
    QTemporaryDir projectsDir;
};
