// The real program, started twice: the second copy says that the first is running and
// writes nothing.
#include <gtest/gtest.h>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <filesystem>

namespace {
QString ProgramPath() {
    return QString::fromLocal8Bit(qgetenv("TUNELINK_BINARY_DIR")) + "/app/tunelink";
}

QProcessEnvironment IsolatedEnvironment(const QTemporaryDir& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.path() + "/config");
    env.insert("XDG_CACHE_HOME", home.path() + "/cache");
    env.insert("XDG_RUNTIME_DIR", home.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TUNELINK_AUDIO_SINK", "fakesink sync=true");
    env.insert("TUNELINK_CATALOGUE_URL", "http://127.0.0.1:9/none.xml");
    env.insert("TUNELINK_DIRECTORY_URL", "http://127.0.0.1:9");
    env.insert("QT_LOGGING_RULES", "tunelink.message=true");  // message boxes are logged
    return env;
}
}  // namespace

TEST(StartUp, SecondCopyIsRefusedWithTheProductTitle) {
    if (!std::filesystem::exists(ProgramPath().toStdString()))
        GTEST_SKIP() << "program not built";
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());

    QProcess first;
    first.setProcessEnvironment(IsolatedEnvironment(home));
    first.start(ProgramPath(), {});
    ASSERT_TRUE(first.waitForStarted(5000));
    // The lock file appears once the first copy has passed its check.
    for (int i = 0; i < 100 && !QFile::exists(home.path() + "/tunelinkPrevent.lock"); ++i) {
        QThread::msleep(50);
    }
    ASSERT_TRUE(QFile::exists(home.path() + "/tunelinkPrevent.lock"));
    QThread::msleep(500);

    const auto settingsBefore = QFile(home.path() + "/config/Torvane/tunelink.conf").size();
    QProcess second;
    second.setProcessEnvironment(IsolatedEnvironment(home));
    second.setProcessChannelMode(QProcess::MergedChannels);
    second.start(ProgramPath(), {});
    ASSERT_TRUE(second.waitForStarted(5000));
    QByteArray output;
    for (int i = 0; i < 100 && !output.contains("already running"); ++i) {
        second.waitForReadyRead(100);
        output += second.readAll();
    }
    EXPECT_TRUE(output.contains("Orbifon 1.0 already running on this machine."))
        << output.toStdString();
    second.kill();
    second.waitForFinished(5000);
    EXPECT_EQ(QFile(home.path() + "/config/Torvane/tunelink.conf").size(), settingsBefore);

    first.kill();
    first.waitForFinished(5000);
}

// A new user has no media registry yet, and building one takes the better part of a second:
// the window must be on the screen before the media library starts at all.
TEST(StartUp, TheFirstFrameComesBeforeTheMediaLibraryStarts) {
    if (!std::filesystem::exists(ProgramPath().toStdString()))
        GTEST_SKIP() << "program not built";
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcessEnvironment env = IsolatedEnvironment(home);
    env.insert("QT_LOGGING_RULES", "tunelink.startup=true");
    env.insert("GST_DEBUG", "GST_INIT:4");
    env.insert("GST_DEBUG_NO_COLOR", "1");
    env.insert("GST_REGISTRY", home.path() + "/new-registry.bin");
    QProcess radio;
    radio.setProcessEnvironment(env);
    radio.setProcessChannelMode(QProcess::MergedChannels);
    radio.start(ProgramPath(), {});
    ASSERT_TRUE(radio.waitForStarted(5000));
    const QByteArray frame = "tunelink.startup: first frame painted";
    const QByteArray media = "Initializing GStreamer Core Library";
    QByteArray output;
    for (int i = 0; i < 300 && !(output.contains(frame) && output.contains(media)); ++i) {
        radio.waitForReadyRead(100);
        output += radio.readAll();
    }
    radio.kill();
    radio.waitForFinished(5000);
    ASSERT_TRUE(output.contains(frame)) << output.toStdString();
    ASSERT_TRUE(output.contains(media)) << "the player never started\n" << output.toStdString();
    EXPECT_LT(output.indexOf(frame), output.indexOf(media)) << output.toStdString();
}

TEST(StartUp, WithoutAnyDisplayItSaysHowToRunIt) {
    if (!std::filesystem::exists(ProgramPath().toStdString()))
        GTEST_SKIP() << "program not built";
    QTemporaryDir home;
    QProcessEnvironment env = IsolatedEnvironment(home);
    env.remove("QT_QPA_PLATFORM");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    QProcess radio;
    radio.setProcessEnvironment(env);
    radio.setProcessChannelMode(QProcess::MergedChannels);
    radio.start(ProgramPath(), {});
    ASSERT_TRUE(radio.waitForFinished(10000));
    EXPECT_EQ(radio.exitCode(), 1);
    const QByteArray output = radio.readAll();
    EXPECT_TRUE(output.contains("no display was found")) << output.toStdString();
    EXPECT_TRUE(output.contains("Xvfb"));
    EXPECT_FALSE(output.contains("qt.qpa"));  // no toolkit error
}

// A display named in the environment that does not answer (a session that ended, a
// forwarded display that went away) is no display: the same message, no abort.
TEST(StartUp, AStaleDisplayGetsTheSameMessage) {
    if (!std::filesystem::exists(ProgramPath().toStdString()))
        GTEST_SKIP() << "program not built";
    int unused = 4700;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(unused))) ++unused;
    const QString deadX = ":" + QString::number(unused);
    struct Case {
        QString platform, display, wayland;
    };
    for (const Case& c : {Case{"", deadX, ""}, Case{"", "", "wayland-stale"},
                          Case{"", deadX, "wayland-stale"}, Case{"xcb", deadX, ""}}) {
        QTemporaryDir home;
        QProcessEnvironment env = IsolatedEnvironment(home);
        env.remove("QT_QPA_PLATFORM");
        if (!c.platform.isEmpty())
            env.insert("QT_QPA_PLATFORM", c.platform);
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        if (!c.display.isEmpty())
            env.insert("DISPLAY", c.display);
        if (!c.wayland.isEmpty())
            env.insert("WAYLAND_DISPLAY", c.wayland);
        QProcess radio;
        radio.setProcessEnvironment(env);
        radio.setProcessChannelMode(QProcess::MergedChannels);
        radio.start(ProgramPath(), {});
        ASSERT_TRUE(radio.waitForFinished(10000));
        const QByteArray output = radio.readAll();
        const std::string label = (c.platform + "|" + c.display + "|" + c.wayland).toStdString();
        EXPECT_EQ(radio.exitStatus(), QProcess::NormalExit) << label << output.toStdString();
        EXPECT_EQ(radio.exitCode(), 1) << label;
        EXPECT_TRUE(output.contains("no display was found")) << label << output.toStdString();
        EXPECT_FALSE(output.contains("Reinstalling")) << label;
    }
}
