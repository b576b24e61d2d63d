// A long run: the real program plays an ICY stream whose title changes every second and
// which ends every 60 s (so the player reconnects again and again). Resident memory may
// grow by less than 5 MiB after the first minute; threads and descriptors must not leak.
// Disabled in the normal suite; `make soak` runs it (SOAK_MINUTES, default 20).
#include "tests/support/StreamServer.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {
struct Usage {
    long rssKiB = 0;
    int threads = 0;
    int descriptors = 0;
};

Usage Measure(qint64 pid) {
    Usage u;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            u.rssKiB = std::stol(line.substr(6));
        if (line.rfind("Threads:", 0) == 0)
            u.threads = std::stoi(line.substr(8));
    }
    for (const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd")) {
        (void)entry;
        ++u.descriptors;
    }
    return u;
}
}  // namespace

TEST(Soak, DISABLED_PlaysForMinutesWithoutGrowing) {
    const int minutes = qEnvironmentVariableIntValue("SOAK_MINUTES") > 0
                            ? qEnvironmentVariableIntValue("SOAK_MINUTES")
                            : 20;
    testsupport::StreamServer server;
    QTemporaryDir home;
    QDir(home.path()).mkpath("config/Torvane");
    QDir(home.path()).mkpath("runtime");
    QFile::setPermissions(home.path() + "/runtime",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    {
        QSettings settings(home.path() + "/config/Torvane/tunelink.conf", QSettings::IniFormat);
        settings.setValue("CStationData/1", QString::fromStdString(server.Url("/icy.mp3")));
        settings.setValue("CTunelinkDlg/LastStation", 29);
        settings.setValue("CTunelinkDlg/iKnowsRightClick", 0);
    }
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.path() + "/config");
    env.insert("XDG_CACHE_HOME", home.path() + "/cache");
    env.insert("XDG_RUNTIME_DIR", home.path() + "/runtime");
    env.insert("TUNELINK_AUDIO_SINK", "fakesink sync=true");
    env.insert("TUNELINK_CATALOGUE_URL",
               QString::fromStdString(testsupport::StreamServer::DeadAddress()));
    env.insert("QT_LOGGING_RULES", "tunelink.*=false");
    // A private session bus: the test presses Play the way a media key would.
    QProcess bus;
    bus.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
    ASSERT_TRUE(bus.waitForStarted(5000) && bus.waitForReadyRead(5000));
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();
    env.insert("DBUS_SESSION_BUS_ADDRESS", address);
    QProcess radio;
    radio.setProcessEnvironment(env);
    radio.setProcessChannelMode(QProcess::ForwardedChannels);
    radio.start(QString::fromLocal8Bit(qgetenv("TUNELINK_BINARY_DIR")) + "/app/tunelink", {});
    ASSERT_TRUE(radio.waitForStarted(5000));
    const qint64 pid = radio.processId();
    // Press Play until the bus answers that the radio plays (start-up may be slow).
    const auto gdbus = [&](const QStringList& method) {
        QProcess call;
        call.setProcessEnvironment(env);
        call.start("gdbus",
                   QStringList{"call", "--session", "--dest", "org.mpris.MediaPlayer2.tunelink",
                               "--object-path", "/org/mpris/MediaPlayer2", "--method"} +
                       method);
        call.waitForFinished(10000);
        return call.readAllStandardOutput().toStdString();
    };
    bool playing = false;
    for (int i = 0; i < 60 && !playing; ++i) {
        gdbus({"org.mpris.MediaPlayer2.Player.Play"});
        QThread::sleep(1);
        playing = gdbus({"org.freedesktop.DBus.Properties.Get", "org.mpris.MediaPlayer2.Player",
                         "PlaybackStatus"})
                      .find("Playing") != std::string::npos;
    }
    ASSERT_TRUE(playing);
    ASSERT_EQ(radio.state(), QProcess::Running);
    const int requestsBefore = server.RequestCount("/icy.mp3");

    QThread::sleep(60);
    const Usage first = Measure(pid);
    std::printf("after 1 min: rss %ld KiB, threads %d, fds %d\n", first.rssKiB, first.threads,
                first.descriptors);
    for (int m = 2; m <= minutes; ++m) {
        QThread::sleep(60);
        const Usage now = Measure(pid);
        std::printf("after %d min: rss %ld KiB, threads %d, fds %d\n", m, now.rssKiB, now.threads,
                    now.descriptors);
        std::fflush(stdout);
    }
    const Usage last = Measure(pid);
    std::printf("stream requests: %d\n", server.RequestCount("/icy.mp3") - requestsBefore);
    EXPECT_LT(last.rssKiB - first.rssKiB, 5 * 1024);
    EXPECT_LE(last.threads,
              first.threads + 2);  // streaming threads come and go with each connection
    EXPECT_LE(last.descriptors, first.descriptors + 2);
    radio.terminate();
    radio.waitForFinished(10000);
    bus.kill();
    bus.waitForFinished(3000);
}
