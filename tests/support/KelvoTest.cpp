#include "support/KelvoTest.h"

void TKelvoTest::SetUp() { InstallUserInterface(&ui); }

void TKelvoTest::TearDown() {
    ui.VerifyAllChecked();
    InstallUserInterface(nullptr);
}
