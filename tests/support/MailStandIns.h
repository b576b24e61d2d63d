#pragma once
// Stand-ins for the desktop's helpers (xdg-email, xdg-open, xdg-mime): small shell scripts in
// a folder that becomes the whole PATH, each writing every argument it got to a file of its
// own, so a test sees exactly the argument vector a helper was started with.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <string>
#include <vector>

namespace testing_mail {

class StandInTools {
  public:
    StandInTools() : savedPath_(qgetenv("PATH")) {
        QDir(dir_.path()).mkpath(QStringLiteral("bin"));
        qputenv("PATH", Path("bin").c_str());
    }
    ~StandInTools() { qputenv("PATH", savedPath_); }
    StandInTools(const StandInTools&) = delete;
    StandInTools& operator=(const StandInTools&) = delete;

    std::string Path(const std::string& relative) const {
        return dir_.filePath(QString::fromStdString(relative)).toStdString();
    }

    // A script running `body` under /bin/sh.
    void Add(const std::string& name, const std::string& body) {
        QFile file(QString::fromStdString(Path("bin/" + name)));
        file.open(QIODevice::WriteOnly);
        file.write(("#!/bin/sh\n" + body + "\n").c_str());
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // A script that records its arguments, then runs `then` (by default: exit 0). Only shell
    // built-ins are used, so it works with nothing else on PATH.
    void AddRecorder(const std::string& name, const std::string& then = "exit 0") {
        const std::string record = Path("calls/" + name);
        QDir().mkpath(QString::fromStdString(record));
        Add(name, "d='" + record +
                      "'\n"
                      "i=0\n"
                      "for a in \"$@\"; do i=$((i+1)); printf '%s' \"$a\" > \"$d/arg$i\"; done\n"
                      "printf '%s' \"$i\" > \"$d/count\"\n" +
                      then);
    }

    bool WasCalled(const std::string& name) const {
        return QFile::exists(QString::fromStdString(Path("calls/" + name + "/count")));
    }

    std::vector<std::string> Arguments(const std::string& name) const {
        std::vector<std::string> args;
        const int count = std::atoi(Read("calls/" + name + "/count").c_str());
        for (int i = 1; i <= count; ++i)
            args.push_back(Read("calls/" + name + "/arg" + std::to_string(i)));
        return args;
    }

  private:
    std::string Read(const std::string& relative) const {
        QFile file(QString::fromStdString(Path(relative)));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return file.readAll().toStdString();
    }

    QTemporaryDir dir_;
    QByteArray savedPath_;
};

}  // namespace testing_mail
