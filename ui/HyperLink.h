#pragma once
// A text that is a link: link colours, a hand cursor, its address as tooltip, opened by a
// click or the space bar. Opening runs on a short worker thread that reports failures.

#include "util/MessageBox.h"

#include <QColor>
#include <QLabel>

#include <functional>
#include <string>

namespace ui {

class CHyperLink : public QLabel {
    Q_OBJECT
  public:
    enum Style {
        HLF_UNDERLINE = 0x01,
        HLF_HOVERCOLOUR = 0x02,
        HLF_AUTOSIZE = 0x04,
        HLF_FOLLOWONDOWN = 0x08,
        HLF_FOCUSONCLICK = 0x10,
        HLF_NOHANDCURSOR = 0x20,
        HLF_NOACTIVECOLOUR = 0x40,
    };

    explicit CHyperLink(QWidget* parent = nullptr, const QString& text = QString());

    // Shared by every link. An invalid hover colour means the desktop's highlight colour.
    static void SetColours(QColor link, QColor active, QColor visited, QColor hover = QColor());

    void SetURL(const std::string& url);
    const std::string& URL() const { return url_; }
    void SetLinkFont(const QFont& font);
    void SetStyle(int flags) { style_ = flags; }
    int GetStyle() const { return style_; }
    // Starts opening the address on a worker thread.
    void FollowLink();

    bool Over() const { return over_; }
    bool Active() const { return active_; }
    // The colour the text is drawn in now.
    QColor CurrentColour() const;

  protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void AutoSize();
    void SetOver(bool over);
    void EndGrab();

    std::string url_;
    int style_ = HLF_UNDERLINE | HLF_AUTOSIZE | HLF_FOCUSONCLICK;
    bool over_ = false;
    bool active_ = false;
    bool visited_ = false;
};

// Opens an address the way the desktop does, on its own thread. The opener returns a
// result above 32 on success, else a code whose text the failure message shows; the
// message goes to the reporter the application installs (on the opening thread).
class CHyperLinkThread {
  public:
    using Opener = std::function<int(const std::string& url, const std::string& program)>;

    // Starts a detached worker; the URL and program are copied first, so the caller may go.
    static void Start(const std::string& url, const std::string& program = {});
    // The same, synchronously (for tests and for the worker itself); returns the result.
    static int Run(const std::string& url, const std::string& program = {});
    static void SetOpener(Opener opener);  // empty: xdg-open
    using FailureReporter = std::function<void(const util::MessageRequest&)>;
    static void SetFailureReporter(FailureReporter reporter);  // empty: failures are quiet

    // "Can't open link:\n\n" and the text for a result code.
    static std::string FailureText(int code);
};

}  // namespace ui
