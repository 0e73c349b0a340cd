#pragma once

#include "store/DataModuleKelvoADO.h"
#include "support/KelvoTest.h"

#include <memory>

// A fresh installation with the scenario data module open on its database.
class TDataModuleTest : public TInstallationTest {
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<TdmKelvoADO> dm;
};
