#include "tests/support/FakeOpener.h"

#include <QFile>

#include <cstdlib>

namespace testsupport {

FakeOpener::FakeOpener(const std::string& body) {
    if (const char* path = std::getenv("PATH")) {
        hadPath_ = true;
        oldPath_ = path;
    }
    if (!dir_.isValid())
        return;
    if (!body.empty()) {
        QFile script(dir_.path() + "/xdg-open");
        if (!script.open(QIODevice::WriteOnly))
            return;
        const std::string text = "#!/bin/sh\nMARK='" + MarkFile() + "'\n" + body + "\n";
        script.write(text.data(), static_cast<qint64>(text.size()));
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // Only the fake's folder: a real opener elsewhere on PATH must not be found.
    setenv("PATH", dir_.path().toLocal8Bit().constData(), 1);
    ready_ = true;
}

FakeOpener::~FakeOpener() {
    if (hadPath_) {
        setenv("PATH", oldPath_.c_str(), 1);
    } else {
        unsetenv("PATH");
    }
}

std::string FakeOpener::MarkFile() const {
    return dir_.path().toStdString() + "/mark";
}

}  // namespace testsupport
