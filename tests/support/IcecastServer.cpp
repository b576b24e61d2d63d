#include "tests/support/IcecastServer.h"

#include "tests/support/StreamServer.h"

#include <httplib.h>

#include <unistd.h>
#include <QFile>
#include <QStandardPaths>
#include <chrono>
#include <filesystem>
#include <thread>

namespace testsupport {

namespace {

constexpr const char* kSourcePassword = "tunelink-source";
constexpr const char* kAdminUser = "admin";
constexpr const char* kAdminPassword = "tunelink-admin";

void Stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(2000);
    }
}

}  // namespace

IcecastServer::IcecastServer() {
    const QString icecast = QStandardPaths::findExecutable("icecast2");
    const QString launcher = QStandardPaths::findExecutable("gst-launch-1.0");
    if (icecast.isEmpty() || launcher.isEmpty()) {
        problem_ = "icecast2 or gst-launch-1.0 is not installed (scripts/install-deps)";
        return;
    }
    port_ = StreamServer::FreePort();
    if (!folder_.isValid() || !WriteConfiguration())
        return;
    server_.setProcessChannelMode(QProcess::MergedChannels);
    server_.start(icecast, {"-c", folder_.filePath("icecast.xml")});
    if (!server_.waitForStarted(5000)) {
        problem_ = "icecast2 did not start";
        return;
    }
    source_.setProcessChannelMode(QProcess::MergedChannels);
    source_.start(
        launcher,
        {"-q", "audiotestsrc", "is-live=true", "freq=440", "volume=0.5", "!", "audioconvert", "!",
         "lamemp3enc", "!", "shout2send", "ip=127.0.0.1", QString("port=%1").arg(port_),
         QString("password=%1").arg(kSourcePassword), QString("mount=%1").arg(kMount)});
    if (!source_.waitForStarted(5000)) {
        problem_ = "the source client (gst-launch-1.0 … shout2send) did not start";
        return;
    }
    WaitForMount();
}

IcecastServer::~IcecastServer() {
    Stop(source_);
    Stop(server_);
}

bool IcecastServer::WriteConfiguration() {
    // Run as root, Icecast gives up its rights to "nobody", who must still reach the log
    // folder inside this private (mode 0700) folder.
    const std::string base = folder_.path().toStdString();
    const std::string logs = base + "/log";
    std::filesystem::create_directory(logs);
    using std::filesystem::perms;
    std::filesystem::permissions(base, perms::others_exec, std::filesystem::perm_options::add);
    std::filesystem::permissions(logs, perms::all);
    const bool root = ::geteuid() == 0;
    const std::string configuration =
        "<icecast>\n"
        "  <location>test</location><admin>test@localhost</admin>\n"
        "  <limits><clients>20</clients><sources>2</sources><source-timeout>10</source-timeout>"
        "<burst-on-connect>1</burst-on-connect></limits>\n"
        "  <authentication><source-password>" +
        std::string(kSourcePassword) + "</source-password><admin-user>" + kAdminUser +
        "</admin-user><admin-password>" + kAdminPassword +
        "</admin-password></authentication>\n"
        "  <hostname>127.0.0.1</hostname>\n"
        "  <listen-socket><port>" +
        std::to_string(port_) +
        "</port><bind-address>127.0.0.1</bind-address></listen-socket>\n"
        "  <fileserve>1</fileserve>\n"
        "  <paths><basedir>/usr/share/icecast2</basedir><logdir>" +
        logs +
        "</logdir><webroot>/usr/share/icecast2/web</webroot>"
        "<adminroot>/usr/share/icecast2/admin</adminroot></paths>\n"
        "  <logging><accesslog>access.log</accesslog><errorlog>error.log</errorlog>"
        "<loglevel>2</loglevel></logging>\n"
        "  <security><chroot>0</chroot>" +
        std::string(root ? "<changeowner><user>nobody</user><group>nogroup</group></changeowner>"
                         : "") +
        "</security>\n"
        "</icecast>\n";
    QFile file(folder_.filePath("icecast.xml"));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(configuration.data(), static_cast<qint64>(configuration.size())) !=
            static_cast<qint64>(configuration.size())) {
        problem_ = "cannot write the Icecast configuration";
        return false;
    }
    return true;
}

// The mount exists once the source client has connected and sent its first audio.
bool IcecastServer::WaitForMount() {
    httplib::Client client("127.0.0.1", port_);
    client.set_basic_auth(kAdminUser, kAdminPassword);
    client.set_connection_timeout(std::chrono::seconds(1));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline) {
        if (server_.state() == QProcess::NotRunning) {
            problem_ = "icecast2 stopped: " + server_.readAll().toStdString();
            return false;
        }
        if (source_.state() == QProcess::NotRunning) {
            problem_ = "the source client stopped: " + source_.readAll().toStdString();
            return false;
        }
        auto answer = client.Get("/admin/listmounts");
        if (answer && answer->status == 200 && answer->body.find(kMount) != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    problem_ = "the mount " + std::string(kMount) + " did not appear on icecast2 within 15 s";
    return false;
}

std::string IcecastServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

bool IcecastServer::SetTitle(const std::string& title) {
    httplib::Client client("127.0.0.1", port_);
    client.set_basic_auth(kAdminUser, kAdminPassword);
    const std::string query = "/admin/metadata?mount=" + std::string(kMount) +
                              "&mode=updinfo&song=" + httplib::detail::encode_query_param(title);
    auto answer = client.Get(query);
    return answer && answer->status == 200 &&
           answer->body.find("<return>1</return>") != std::string::npos;
}

}  // namespace testsupport
