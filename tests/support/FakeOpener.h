#pragma once
// A stand-in `xdg-open` on PATH: a small shell script with a body of the test's choosing,
// so tests see how the program handles an opener that fails, succeeds or keeps running.
// The old PATH comes back with the destructor.

#include <QTemporaryDir>

#include <string>

namespace testsupport {

class FakeOpener {
  public:
    // `body` is the script's text after "#!/bin/sh"; with an empty body no opener exists at
    // all on PATH (only the system's shell tools remain reachable by full path).
    explicit FakeOpener(const std::string& body);
    ~FakeOpener();
    FakeOpener(const FakeOpener&) = delete;
    FakeOpener& operator=(const FakeOpener&) = delete;

    bool Ready() const { return ready_; }
    // A file the script may write to (for example its arguments), "$MARK" in the body.
    std::string MarkFile() const;

  private:
    QTemporaryDir dir_;
    std::string oldPath_;
    bool hadPath_ = false;
    bool ready_ = false;
};

}  // namespace testsupport
