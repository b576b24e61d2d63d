#include "tests/support/VirtualDisplay.h"

#include <QFile>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>

#include <sstream>

namespace testsupport {

bool VirtualDisplay::ToolExists(const std::string& program) {
    return !QStandardPaths::findExecutable(QString::fromStdString(program)).isEmpty();
}

VirtualDisplay::VirtualDisplay(int width, int height, bool compositor) {
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
    if (ready_ && compositor && ToolExists("xcompmgr")) {
        compositor_ = std::make_unique<QProcess>();
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", QString::fromStdString(Name()));
        compositor_->setProcessEnvironment(env);
        compositor_->start(QStringLiteral("xcompmgr"), {});
        compositor_->waitForStarted(5000);
        QThread::msleep(300);  // let it take the compositing selection
    }
}

VirtualDisplay::~VirtualDisplay() {
    for (auto* process : {compositor_.get(), server_.get()}) {
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

}  // namespace testsupport
