#pragma once
// A private X display for end-to-end tests and benchmarks: Xvfb on a free display number,
// optionally with a window manager (openbox) and a compositing manager (xcompmgr), all
// stopped by the destructor. Windows are found and clicked with xdotool.

#include <QImage>
#include <QProcess>

#include <memory>
#include <string>
#include <vector>

namespace testsupport {

struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
    bool Overlaps(const WindowGeometry& o) const {
        return x < o.x + o.width && o.x < x + width && y < o.y + o.height && o.y < y + height;
    }
};

class VirtualDisplay {
  public:
    // Width × height at 24 bits. Available() is false when Xvfb is missing or did not start,
    // or when a window manager was asked for and did not come up. A `background` colour
    // ("#rrggbb") paints the desktop; without one a compositor shows it grey.
    VirtualDisplay(int width, int height, bool compositor, bool windowManager = false,
                   const QString& background = {});
    ~VirtualDisplay();

    bool Available() const { return ready_; }
    bool Composites() const { return compositor_ != nullptr; }
    std::string Name() const { return ":" + std::to_string(number_); }
    // Runs a tool on this display and returns its standard output (empty on failure).
    std::string Run(const std::string& program, const QStringList& arguments,
                    int timeoutMs = 10000) const;
    // The first window whose name is `title`, waiting up to `timeoutMs`; empty if none.
    std::string FindWindow(const QString& title, int timeoutMs) const;
    // The visible windows of a process (by _NET_WM_PID), in decimal as xdotool names them.
    std::vector<std::string> WindowsOf(qint64 pid) const;
    // A visible window of the process other than those `known`, waiting up to `timeoutMs`;
    // empty if none came.
    std::string WaitForNewWindowOf(qint64 pid, const std::vector<std::string>& known,
                                   int timeoutMs = 10000) const;
    // Waits up to `timeoutMs` for a visible window of the process with the given size.
    std::string WaitForWindowOf(qint64 pid, int width, int height, int timeoutMs) const;
    // Waits up to `timeoutMs` until the process shows one window only, of the given size:
    // passing windows over it (a start-up picture) have gone. False if that never happened.
    bool WaitUntilOnlyWindowOf(qint64 pid, int width, int height, int timeoutMs) const;
    // The top-level windows, bottom to top: the window manager's client list, or without one
    // the root window's children.
    std::vector<std::string> ClientStacking() const;
    // Bits per pixel of a window's visual (0 when unknown).
    int Depth(const std::string& window) const;
    WindowGeometry Geometry(const std::string& window) const;
    // Moves the pointer to screen position x, y and, if `click`, presses the left button.
    void Pointer(int x, int y, bool click) const;
    // The window that takes the pointer at screen position x, y (moving the pointer there).
    std::string WindowAt(int x, int y) const;
    // A PNG of the whole screen.
    bool Screenshot(const std::string& path) const;
    // The whole screen as a person sees it (null on failure).
    QImage Capture() const;

    static bool ToolExists(const std::string& program);

  private:
    bool StartWindowManager();
    bool SetBackground(const QString& colour) const;
    std::unique_ptr<QProcess> StartTool(const QString& program, const QStringList& arguments) const;

    int number_ = 0;
    bool ready_ = false;
    std::unique_ptr<QProcess> server_;
    std::unique_ptr<QProcess> windowManager_;
    std::unique_ptr<QProcess> compositor_;
};

}  // namespace testsupport
