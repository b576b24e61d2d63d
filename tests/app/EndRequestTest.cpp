// The real program asked to end from outside: a logout's SIGTERM, Ctrl+C, a closed terminal.
#include "tests/support/RadioProcess.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QSettings>

#include <signal.h>

#include <filesystem>

using testsupport::RadioProcess;

namespace {
bool StartOffscreen(RadioProcess& radio) {
    if (!radio.Ready() ||
        !radio.Start(RadioProcess::BuiltProgram(), radio.Environment("", "fakesink sync=true")))
        return false;
    return radio.WaitForLog("tunelink.startup: first frame painted", 30000) >= 0;
}
}  // namespace

TEST(EndRequest, EachSignalClosesTheRadioLikeExitAndKeepsItsSettings) {
    if (!std::filesystem::exists(RadioProcess::BuiltProgram().toStdString()))
        GTEST_SKIP() << "program not built";
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        RadioProcess radio;
        radio.SetSetting("CTunelinkDlg/LastStation", 6);
        ASSERT_TRUE(StartOffscreen(radio)) << radio.Log().toStdString();
        QElapsedTimer timer;
        timer.start();
        ASSERT_EQ(kill(static_cast<pid_t>(radio.Pid()), signal), 0);
        ASSERT_TRUE(radio.WaitForEnd(5000)) << signal;
        EXPECT_LT(timer.elapsed(), 2000) << signal;
        EXPECT_EQ(radio.ExitStatus(), QProcess::NormalExit) << signal;

        QSettings settings(radio.SettingsFile(), QSettings::IniFormat);
        EXPECT_EQ(settings.value("CTunelinkDlg/LastStation").toInt(), 6) << signal;
        EXPECT_TRUE(settings.contains("CBuddyboxDlg/WndX")) << signal;
        EXPECT_TRUE(settings.contains("CBuddyboxDlg/WndY")) << signal;
        EXPECT_TRUE(settings.contains("CTunelinkDlg/iKnowsRightClick")) << signal;
    }
}

TEST(EndRequest, ASecondSignalEndsTheProgramAtOnce) {
    if (!std::filesystem::exists(RadioProcess::BuiltProgram().toStdString()))
        GTEST_SKIP() << "program not built";
    RadioProcess radio;
    ASSERT_TRUE(StartOffscreen(radio)) << radio.Log().toStdString();
    const auto pid = static_cast<pid_t>(radio.Pid());
    // Two different signals: a second SIGTERM sent before the first was taken would merge
    // with it.
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    ASSERT_EQ(kill(pid, SIGINT), 0);  // before the orderly close can have finished
    ASSERT_TRUE(radio.WaitForEnd(2000));
    EXPECT_EQ(radio.ExitStatus(), QProcess::CrashExit);  // ended by the signal itself
}
