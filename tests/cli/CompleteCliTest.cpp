#include "support/KelvoTest.h"

#include <QFile>
#include <QProcess>

using namespace Qt::Literals::StringLiterals;

namespace {

// The completion of kelvo-cli's command lines, asked of kelvo-cli itself and through the bash script.
class CompleteCliTest : public TInstallationTest {
protected:
    // The candidates kelvo-cli gives for the last of the words.
    QStringList Complete(const QStringList& words) const {
        QProcess process;
        process.start(QString::fromUtf8(KELVO_CLI), QStringList{u"--install-dir"_s, InstallDir(), u"complete"_s,
                                                                u"--"_s} +
                                                        words);
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    }
};

TEST_F(CompleteCliTest, CommandsActionsOptionsAndTheInstallationsNames) {
    const struct {
        QStringList words;
        QStringList candidates;
    } cases[] = {
        {{u"p"_s}, {u"project"_s, u"przm"_s}},
        {{u"--json"_s, u"sub"_s}, {u"substance"_s, u"substances"_s}},
        {{u"project"_s, u"c"_s}, {u"create"_s, u"copy"_s}},
        {{u"substance"_s, u"show"_s, u"EXAMPLE_"_s}, {u"EXAMPLE_M1"_s, u"EXAMPLE_P"_s}},
        {{u"project"_s, u"create"_s, u"--substance"_s, u""_s}, {u"EXAMPLE_P"_s}},
        {{u"project"_s, u"create"_s, u"--crop"_s, u"Cereals, w"_s}, {u"Cereals, winter"_s}},
        {{u"drift"_s, u"--crop"_s, u"Maize"_s, u"--water"_s, u"focus_p"_s}, {u"focus_pond"_s}},
        {{u"project"_s, u"export"_s, u"--no-"_s}, {u"--no-report"_s, u"--no-przm"_s, u"--no-macro"_s}},
        {{u"project"_s, u"show"_s, u""_s}, {}}, // no project yet
        {{u"nosuch"_s, u""_s}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words.join(u' ').toStdString());
        EXPECT_EQ(Complete(c.words), c.candidates);
    }
    EXPECT_FALSE(Complete({u""_s}).contains(u"complete"_s)) << "the completion's own command is hidden";
    EXPECT_FALSE(QFile::exists(InstallDir() + u"kelvo-setup.lck"_s));
}

// The bash script asks kelvo-cli for the words typed so far.
TEST_F(CompleteCliTest, TheBashScriptOffersWhatKelvoCliGives) {
    QProcess bash;
    bash.start(u"bash"_s,
               {u"-c"_s,
                u"source \"$1\"; COMP_WORDS=(\"$2\" --install-dir \"$3\" substance show EX); COMP_CWORD=5; "
                u"_kelvo_cli; printf '%s\\n' \"${COMPREPLY[@]}\""_s,
                u"bash"_s, QString::fromUtf8(KELVO_DATA_SOURCE_DIR) + u"/completion/kelvo-cli.bash"_s,
                QString::fromUtf8(KELVO_CLI), InstallDir()});
    ASSERT_TRUE(bash.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(bash.readAllStandardOutput()), u"EXAMPLE_M1\nEXAMPLE_P\n"_s)
        << bash.readAllStandardError().toStdString();
}

} // namespace
