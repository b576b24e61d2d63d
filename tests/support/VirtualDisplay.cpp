#include "tests/support/VirtualDisplay.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <sstream>

namespace testsupport {

bool VirtualDisplay::ToolExists(const std::string& program) {
    return !QStandardPaths::findExecutable(QString::fromStdString(program)).isEmpty();
}

VirtualDisplay::VirtualDisplay(int width, int height, bool compositor, bool windowManager,
                               const QString& background) {
    if (!ToolExists("Xvfb"))
        return;
    // Xvfb picks a free display itself and writes its number to standard output, so tests
    // that run at the same time never race for one.
    server_ = std::make_unique<QProcess>();
    server_->setProcessChannelMode(QProcess::SeparateChannels);
    server_->start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0",
                                            QStringLiteral("%1x%2x24").arg(width).arg(height),
                                            "-noreset", "-nolisten", "tcp"});
    if (!server_->waitForStarted(5000))
        return;
    QByteArray line;
    for (int i = 0; i < 100 && !line.contains('\n'); ++i) {
        server_->waitForReadyRead(100);
        line += server_->readAllStandardOutput();
    }
    bool ok = false;
    number_ = line.trimmed().toInt(&ok);
    ready_ = ok;
    if (ready_ && !background.isEmpty())
        ready_ = SetBackground(background);
    if (ready_ && windowManager)
        ready_ = StartWindowManager();
    if (ready_ && compositor && ToolExists("xcompmgr")) {
        compositor_ = StartTool(QStringLiteral("xcompmgr"), {});
        // xcompmgr names the window that owns the compositing selection; until it exists a
        // starting program would take the display for one without a compositor.
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 5000 &&
               Run("xdotool", {"search", "--name", "^xcompmgr$"}).empty())
            QThread::msleep(100);
        QThread::msleep(200);
    }
}

std::unique_ptr<QProcess> VirtualDisplay::StartTool(const QString& program,
                                                    const QStringList& arguments) const {
    auto process = std::make_unique<QProcess>();
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromStdString(Name()));
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->start(program, arguments);
    process->waitForStarted(5000);
    return process;
}

// openbox announces itself on the root window once it manages windows.
bool VirtualDisplay::StartWindowManager() {
    if (!ToolExists("openbox") || !ToolExists("xprop"))
        return false;
    windowManager_ = StartTool(QStringLiteral("openbox"), {"--sm-disable"});
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 10000) {
        if (Run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).find("window id") !=
            std::string::npos)
            return true;
        QThread::msleep(100);
    }
    return false;
}

VirtualDisplay::~VirtualDisplay() {
    for (auto* process : {compositor_.get(), windowManager_.get(), server_.get()}) {
        if (!process)
            continue;
        process->terminate();
        if (!process->waitForFinished(3000)) {
            process->kill();
            process->waitForFinished(3000);
        }
    }
}

std::string VirtualDisplay::Run(const std::string& program, const QStringList& arguments,
                                int timeoutMs) const {
    QProcess tool;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromStdString(Name()));
    tool.setProcessEnvironment(env);
    tool.start(QString::fromStdString(program), arguments);
    if (!tool.waitForFinished(timeoutMs)) {
        tool.kill();
        tool.waitForFinished(1000);
        return {};
    }
    return tool.readAllStandardOutput().toStdString();
}

std::string VirtualDisplay::FindWindow(const QString& title, int timeoutMs) const {
    const std::string found = Run("xdotool", {"search", "--sync", "--name", title}, timeoutMs);
    return found.substr(0, found.find('\n'));
}

WindowGeometry VirtualDisplay::Geometry(const std::string& window) const {
    std::istringstream out(
        Run("xdotool", {"getwindowgeometry", "--shell", QString::fromStdString(window)}));
    WindowGeometry g;
    for (std::string line; std::getline(out, line);) {
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq);
        const int value = std::atoi(line.c_str() + eq + 1);
        if (key == "X")
            g.x = value;
        if (key == "Y")
            g.y = value;
        if (key == "WIDTH")
            g.width = value;
        if (key == "HEIGHT")
            g.height = value;
    }
    return g;
}

void VirtualDisplay::Pointer(int x, int y, bool click) const {
    QStringList arguments{"mousemove", QString::number(x), QString::number(y)};
    if (click)
        arguments += QStringList{"click", "1"};
    Run("xdotool", arguments);
}

std::string VirtualDisplay::WindowAt(int x, int y) const {
    std::istringstream out(Run("xdotool", {"mousemove", QString::number(x), QString::number(y),
                                           "getmouselocation", "--shell"}));
    for (std::string line; std::getline(out, line);) {
        if (line.rfind("WINDOW=", 0) == 0)
            return line.substr(7);
    }
    return {};
}

bool VirtualDisplay::Screenshot(const std::string& path) const {
    Run("import", {"-window", "root", QString::fromStdString(path)});
    return QFile::exists(QString::fromStdString(path));
}

QImage VirtualDisplay::Capture() const {
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/screen.png").toStdString();
    if (!dir.isValid() || !Screenshot(path))
        return {};
    return QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
}

std::vector<std::string> VirtualDisplay::WindowsOf(qint64 pid) const {
    std::istringstream out(
        Run("xdotool", {"search", "--onlyvisible", "--pid", QString::number(pid)}));
    std::vector<std::string> windows;
    for (std::string line; std::getline(out, line);) {
        if (!line.empty())
            windows.push_back(line);
    }
    return windows;
}

std::string VirtualDisplay::WaitForNewWindowOf(qint64 pid, const std::vector<std::string>& known,
                                               int timeoutMs) const {
    QElapsedTimer waited;
    waited.start();
    do {
        for (const std::string& window : WindowsOf(pid)) {
            if (std::find(known.begin(), known.end(), window) == known.end())
                return window;
        }
        QThread::msleep(100);
    } while (waited.elapsed() < timeoutMs);
    return {};
}

std::string VirtualDisplay::WaitForWindowOf(qint64 pid, int width, int height,
                                            int timeoutMs) const {
    QElapsedTimer waited;
    waited.start();
    do {
        for (const std::string& window : WindowsOf(pid)) {
            const WindowGeometry g = Geometry(window);
            if (g.width == width && g.height == height)
                return window;
        }
        QThread::msleep(100);
    } while (waited.elapsed() < timeoutMs);
    return {};
}

bool VirtualDisplay::WaitUntilOnlyWindowOf(qint64 pid, int width, int height, int timeoutMs) const {
    QElapsedTimer waited;
    waited.start();
    do {
        const std::vector<std::string> windows = WindowsOf(pid);
        if (windows.size() == 1) {
            const WindowGeometry g = Geometry(windows.front());
            if (g.width == width && g.height == height)
                return true;
        }
        QThread::msleep(100);
    } while (waited.elapsed() < timeoutMs);
    return false;
}

std::vector<std::string> VirtualDisplay::ClientStacking() const {
    static const QRegularExpression hex(QStringLiteral("0x[0-9a-fA-F]+"));
    std::vector<std::string> windows;
    if (windowManager_) {
        // "_NET_CLIENT_LIST_STACKING(WINDOW): window id # 0x400007, 0x600003"
        const QString out =
            QString::fromStdString(Run("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"}));
        for (auto it = hex.globalMatch(out); it.hasNext();)
            windows.push_back(std::to_string(it.next().captured().toULong(nullptr, 16)));
        return windows;
    }
    // Without a window manager the clients are the root's own children, which xwininfo lists
    // top first: "     0x200009 "Orbifon 1.0": ("tunelink" "tunelink")  220x218+530+403 ..."
    const QString out = QString::fromStdString(Run("xwininfo", {"-root", "-children"}));
    static const QRegularExpression child(QStringLiteral("^\\s+(0x[0-9a-fA-F]+) "),
                                          QRegularExpression::MultilineOption);
    for (auto it = child.globalMatch(out); it.hasNext();)
        windows.insert(windows.begin(), std::to_string(it.next().captured(1).toULong(nullptr, 16)));
    return windows;
}

int VirtualDisplay::Depth(const std::string& window) const {
    const QString out =
        QString::fromStdString(Run("xwininfo", {"-id", QString::fromStdString(window)}));
    static const QRegularExpression depth(QStringLiteral("Depth:\\s*(\\d+)"));
    const auto match = depth.match(out);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

bool VirtualDisplay::SetBackground(const QString& colour) const {
    // hsetroot publishes the picture (_XROOTPMAP_ID) a compositor paints the desktop with;
    // xsetroot only sets the root window's own background, which a compositor hides. Set it
    // before the compositor starts: xcompmgr does not always follow a later change.
    const bool viaPixmap = ToolExists("hsetroot");
    QProcess tool;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromStdString(Name()));
    tool.setProcessEnvironment(env);
    tool.start(viaPixmap ? QStringLiteral("hsetroot") : QStringLiteral("xsetroot"),
               {"-solid", colour});
    return tool.waitForFinished(10000) && tool.exitStatus() == QProcess::NormalExit &&
           tool.exitCode() == 0;
}

}  // namespace testsupport
