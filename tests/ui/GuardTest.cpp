#include "ui/Guard.h"
#include "foundation/Errors.h"
#include "support/KelvoTest.h"

#include <stdexcept>

using namespace Qt::Literals::StringLiterals;

namespace {

class GuardTest : public TKelvoTest {};

TEST_F(GuardTest, ShowsWhatAHandlerRaisesAndNothingForASilentCancel) {
    EXPECT_TRUE(Guarded([] {}));
    EXPECT_FALSE(Guarded([] { throw EKelvoError(u"Enter project name"_s); }));
    EXPECT_FALSE(Guarded([] { throw EAbort(); }));
    EXPECT_FALSE(Guarded([] { throw std::runtime_error("bad"); }));
    EXPECT_FALSE(Guarded([] { throw 42; }));
    using K = TScriptedUserInterface::TKind;
    const QVector<TScriptedUserInterface::TEntry> expected = {
        {K::Error, u"Enter project name"_s}, {K::Error, u"bad"_s}, {K::Error, u"Unexpected error"_s}};
    EXPECT_EQ(ui.Take(), expected);
}

} // namespace
