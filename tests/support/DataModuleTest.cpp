#include "support/DataModuleTest.h"

void TDataModuleTest::SetUp() {
    TInstallationTest::SetUp();
    if (HasFatalFailure()) return;
    dm = std::make_unique<TdmKelvoADO>();
    ASSERT_TRUE(dm->OpenDatabase());
}

void TDataModuleTest::TearDown() {
    dm.reset();
    TInstallationTest::TearDown();
}
