#pragma once
// A private X display for end-to-end tests and benchmarks: Xvfb on a free display number,
// optionally with a compositing manager, stopped by the destructor. Windows are found and
// clicked with xdotool.

#include <QProcess>

#include <memory>
#include <string>

namespace testsupport {

struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
};

class VirtualDisplay {
  public:
    // Width × height at 24 bits. Available() is false when Xvfb is missing or did not start.
    VirtualDisplay(int width, int height, bool compositor);
    ~VirtualDisplay();

    bool Available() const { return ready_; }
    std::string Name() const { return ":" + std::to_string(number_); }
    // Runs a tool on this display and returns its standard output (empty on failure).
    std::string Run(const std::string& program, const QStringList& arguments,
                    int timeoutMs = 10000) const;
    // The first window whose name is `title`, waiting up to `timeoutMs`; empty if none.
    std::string FindWindow(const QString& title, int timeoutMs) const;
    WindowGeometry Geometry(const std::string& window) const;
    // Moves the pointer to screen position x, y and, if `click`, presses the left button.
    void Pointer(int x, int y, bool click) const;
    // The window that takes the pointer at screen position x, y (moving the pointer there).
    std::string WindowAt(int x, int y) const;
    // A PNG of the whole screen.
    bool Screenshot(const std::string& path) const;

    static bool ToolExists(const std::string& program);

  private:
    int number_ = 0;
    bool ready_ = false;
    std::unique_ptr<QProcess> server_;
    std::unique_ptr<QProcess> compositor_;
};

}  // namespace testsupport
