// Without a session bus the radio must not start one: a bus daemon launched for it would
// outlive it, one more for every start.
#include "platform/dbus/SessionBus.h"
#include "tests/support/RadioProcess.h"
#include "tests/support/VirtualDisplay.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QThread>

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <set>
#include <string>

using platform::dbus::SessionBusAddress;

TEST(SessionBus, AddressIsTheSessionsOwnOrNone) {
    EXPECT_EQ(SessionBusAddress("unix:path=/run/user/1000/bus", "/run/user/1000", true),
              "unix:path=/run/user/1000/bus");
    EXPECT_EQ(SessionBusAddress("", "/run/user/1000", true), "unix:path=/run/user/1000/bus");
    EXPECT_EQ(SessionBusAddress("", "/run/user/1000", false), "");
    EXPECT_EQ(SessionBusAddress("", "", true), "");
    EXPECT_EQ(SessionBusAddress("autolaunch:", "/run/user/1000", false), "");
}

namespace {
// Processes whose parent is this test; with this test as the subreaper, a daemon that
// detached from the radio lands here too.
std::set<pid_t> OwnChildren() {
    std::set<pid_t> children;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        if (!number)
            continue;
        QFile stat("/proc/" + entry + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        // "pid (name) state ppid ...": the name may hold blanks, so read after its ')'.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toInt() == getpid())
            children.insert(pid);
    }
    return children;
}
}  // namespace

TEST(SessionBus, WithoutABusNothingTheRadioStartedOutlivesIt) {
    if (!testsupport::VirtualDisplay::ToolExists("Xvfb"))
        GTEST_SKIP() << "Xvfb is needed";
    ASSERT_TRUE(QFile::exists(testsupport::RadioProcess::BuiltProgram()));
    testsupport::VirtualDisplay display(1024, 768, false);
    ASSERT_TRUE(display.Available());
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    const std::set<pid_t> before = OwnChildren();

    testsupport::RadioProcess radio;
    ASSERT_TRUE(radio.Ready());
    QProcessEnvironment env = radio.Environment(display.Name(), "fakesink sync=true");
    env.remove("DBUS_SESSION_BUS_ADDRESS");  // and the private runtime folder has no bus
    ASSERT_TRUE(radio.Start(testsupport::RadioProcess::BuiltProgram(), env));
    ASSERT_GE(radio.WaitForLog("tunelink.startup: first frame painted", 30000), 0)
        << radio.Log().toStdString();
    radio.ReadLogFor(1500);  // what starts a bus does it while the window comes up
    radio.Stop();
    ASSERT_FALSE(radio.Running());
    QThread::msleep(300);

    std::set<pid_t> left = OwnChildren();
    for (pid_t pid : before) left.erase(pid);
    EXPECT_TRUE(left.empty()) << left.size() << " processes left, the first "
                              << (left.empty() ? 0 : *left.begin());
    for (pid_t pid : left) kill(pid, SIGKILL);  // never leave them to the next test
    const QByteArray log = radio.Log();
    EXPECT_EQ(log.count("no session bus"), 1) << log.toStdString();
}
