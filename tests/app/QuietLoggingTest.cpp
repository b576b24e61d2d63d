// What the program writes to the session's journal: warnings and errors, not what the user
// listens to.
#include "app/QuietLogging.h"
#include "tests/support/RadioProcess.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QLoggingCategory>

TEST(QuietLogging, OnlyWarningsAndErrorsByDefault) {
    if (qEnvironmentVariableIsSet("QT_LOGGING_RULES") ||
        qEnvironmentVariableIsSet("QT_LOGGING_CONF"))
        GTEST_SKIP() << "logging rules come from the environment";
    app::QuietLoggingByDefault();
    for (const char* name : {"tunelink.status", "tunelink.player", "tunelink.command", "default"}) {
        const QLoggingCategory category(name);
        EXPECT_FALSE(category.isDebugEnabled()) << name;
        EXPECT_FALSE(category.isInfoEnabled()) << name;
        EXPECT_TRUE(category.isWarningEnabled()) << name;
        EXPECT_TRUE(category.isCriticalEnabled()) << name;
    }
    QLoggingCategory::setFilterRules(QString());
}

// The real program, once left to its defaults and once with the categories asked for.
TEST(QuietLogging, TheProgramTellsItsStoryOnlyWhenAsked) {
    if (!QFile::exists(testsupport::RadioProcess::BuiltProgram()))
        GTEST_SKIP() << "program not built";
    testsupport::RadioProcess quiet;
    ASSERT_TRUE(quiet.Ready());
    QProcessEnvironment env = quiet.Environment("", "fakesink sync=true");
    env.remove("QT_LOGGING_RULES");
    ASSERT_TRUE(quiet.Start(testsupport::RadioProcess::BuiltProgram(), env));
    for (int i = 0; i < 200 && !QFile::exists(quiet.Home() + "/runtime/tunelinkPrevent.lock"); ++i)
        quiet.ReadLogFor(50);
    quiet.ReadLogFor(2500);  // the window is up and has painted by now
    ASSERT_TRUE(quiet.Running()) << quiet.Log().toStdString();
    quiet.Stop();
    // Warnings (such as a missing session bus) may show; the story of the run may not.
    for (const char* category : {"tunelink.startup", "tunelink.status", "tunelink.command",
                                 "tunelink.player", "tunelink.catalogue"})
        EXPECT_FALSE(quiet.Log().contains(category)) << category << quiet.Log().toStdString();

    testsupport::RadioProcess chatty;
    ASSERT_TRUE(chatty.Start(testsupport::RadioProcess::BuiltProgram(),
                             chatty.Environment("", "fakesink sync=true")));
    EXPECT_GE(chatty.WaitForLog("tunelink.startup: first frame painted", 30000), 0)
        << chatty.Log().toStdString();
}
