#include "ui/HyperLink.h"

#include "ui/Translator.h"

#include "platform/shell/OpenUrl.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

#include <cstdio>
#include <mutex>
#include <thread>

namespace ui {

namespace {
struct Colours {
    QColor link{0, 0, 255};
    QColor active{0, 128, 128};
    QColor visited{128, 0, 128};
    QColor hover{255, 0, 0};
};
Colours& SharedColours() {
    static Colours colours;
    return colours;
}

std::mutex g_openerMutex;
CHyperLinkThread::Opener g_opener;
CHyperLinkThread::FailureReporter g_failureReporter;

// ShellExecute-style results: above 32 is success, else the code of the failure text.
int ResultCode(platform::shell::OpenResult result) {
    using platform::shell::OpenResult;
    switch (result) {
        case OpenResult::Opened:
            return 33;
        case OpenResult::NotFound:
        case OpenResult::Refused:
            return 2;
        case OpenResult::AccessDenied:
            return 5;
        case OpenResult::OutOfResources:
            return 0;
        case OpenResult::NoHandler:
            break;
    }
    return 31;
}

int OpenWithDesktop(const std::string& url, const std::string& program) {
    return ResultCode(platform::shell::OpenUrlAndWait(url, program));
}
}  // namespace

CHyperLink::CHyperLink(QWidget* parent, const QString& text) : QLabel(text, parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    if (!(style_ & HLF_NOHANDCURSOR))
        setCursor(Qt::PointingHandCursor);
    SetLinkFont(font());
}

void CHyperLink::SetColours(QColor link, QColor active, QColor visited, QColor hover) {
    Colours& c = SharedColours();
    c.link = link;
    c.active = active;
    c.visited = visited;
    c.hover = hover.isValid() ? hover : QApplication::palette().color(QPalette::Highlight);
}

void CHyperLink::SetURL(const std::string& url) {
    url_ = url;
    if (text().isEmpty())
        setText(QString::fromStdString(url));
    setToolTip(QString::fromStdString(url_));
    AutoSize();
}

void CHyperLink::SetLinkFont(const QFont& source) {
    QFont f = source;
    f.setUnderline(style_ & HLF_UNDERLINE);
    setFont(f);
    AutoSize();
}

QColor CHyperLink::CurrentColour() const {
    const Colours& c = SharedColours();
    if (over_ && (style_ & HLF_HOVERCOLOUR))
        return c.hover;
    if ((style_ & HLF_NOACTIVECOLOUR) || !active_)
        return visited_ ? c.visited : c.link;
    return c.active;
}

void CHyperLink::AutoSize() {
    if (!(style_ & HLF_AUTOSIZE))
        return;
    const QFontMetrics metrics(font());
    const QSize textSize(metrics.horizontalAdvance(text()), metrics.height());
    QRect r = geometry();
    const Qt::Alignment align = alignment();
    if (align & Qt::AlignVCenter) {
        r.setTop(r.center().y() - textSize.height() / 2);
    }
    r.setHeight(textSize.height());
    if (align & Qt::AlignHCenter) {
        r.setLeft(r.center().x() - textSize.width() / 2);
        r.setWidth(textSize.width());
    } else if (align & Qt::AlignRight) {
        r.setLeft(r.right() + 1 - textSize.width());
    } else {
        r.setWidth(textSize.width());
    }
    setGeometry(r);
}

void CHyperLink::FollowLink() {
    const std::string target = url_.empty() ? text().toStdString() : url_;
    CHyperLinkThread::Start(target);
}

// While the mouse is over the link the link keeps the mouse, so leaving is noticed even
// when the move lands outside every widget.
void CHyperLink::SetOver(bool over) {
    if (over_ == over)
        return;
    over_ = over;
    if (over) {
        grabMouse();
    } else {
        EndGrab();
    }
    update();
}

// A grab left behind would hold the whole desktop's pointer: the browser that a click
// opens could not be clicked. Whenever the link stops being what the user points at
// (focus gone, hidden, button released) the grab ends; the next move over it grabs again.
void CHyperLink::EndGrab() {
    if (QWidget::mouseGrabber() == this)
        releaseMouse();
}

void CHyperLink::mouseMoveEvent(QMouseEvent* event) {
    SetOver(rect().contains(event->position().toPoint()));
    QLabel::mouseMoveEvent(event);
}

void CHyperLink::leaveEvent(QEvent* event) {
    SetOver(false);
    QLabel::leaveEvent(event);
}

void CHyperLink::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    if (style_ & HLF_FOCUSONCLICK)
        setFocus(Qt::MouseFocusReason);
    if (style_ & HLF_FOLLOWONDOWN)
        FollowLink();
    active_ = true;
    update();
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    // Released before the link opens: the opener's window must find the pointer free. The
    // next move over the link makes it the pointed-at link again.
    SetOver(false);
    if (active_ && !(style_ & HLF_FOLLOWONDOWN) && rect().contains(event->position().toPoint()))
        FollowLink();
}

void CHyperLink::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        FollowLink();
        return;
    }
    QLabel::keyPressEvent(event);
}

void CHyperLink::focusInEvent(QFocusEvent* event) {
    active_ = true;
    update();
    QLabel::focusInEvent(event);
}

void CHyperLink::focusOutEvent(QFocusEvent* event) {
    over_ = false;
    active_ = false;
    EndGrab();
    update();
    QLabel::focusOutEvent(event);
}

void CHyperLink::hideEvent(QHideEvent* event) {
    over_ = false;
    EndGrab();
    QLabel::hideEvent(event);
}

void CHyperLink::paintEvent(QPaintEvent*) {
    QPainter p(this);  // no background: the dialog shows through
    p.setFont(font());
    p.setPen(CurrentColour());
    p.drawText(rect(), static_cast<int>(alignment()) | Qt::TextSingleLine, text());
}

void CHyperLinkThread::SetOpener(Opener opener) {
    std::lock_guard lock(g_openerMutex);
    g_opener = std::move(opener);
}

void CHyperLinkThread::SetFailureReporter(FailureReporter reporter) {
    std::lock_guard lock(g_openerMutex);
    g_failureReporter = std::move(reporter);
}

int CHyperLinkThread::Run(const std::string& url, const std::string& program) {
    Opener opener;
    FailureReporter reporter;
    {
        std::lock_guard lock(g_openerMutex);
        opener = g_opener;
        reporter = g_failureReporter;
    }
    const int result = opener ? opener(url, program) : OpenWithDesktop(url, program);
    if (result <= 32) {
        QApplication::beep();
        if (reporter)
            reporter(
                {FailureText(result), "", util::MessageIcon::Warning, util::MessageButtons::Ok});
    }
    return result;
}

void CHyperLinkThread::Start(const std::string& url, const std::string& program) {
    std::thread([url, program] { Run(url, program); }).detach();
}

std::string CHyperLinkThread::FailureText(int code) {
    const char* text = nullptr;
    switch (code) {
        case 0:
            text = "The operating system is out\nof memory or resources.";
            break;
        case 2:
            text = "The specified file was not found.";
            break;
        case 3:
            text = "The specified path was not found.";
            break;
        case 5:
            text = "The operating system denied\naccess to the specified file.";
            break;
        case 8:
            text = "There was not enough memory to complete the operation.";
            break;
        case 11:
            text = "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
            break;
        case 26:
            text = "A sharing violation occurred. ";
            break;
        case 27:
            text = "The filename association is\nincomplete or invalid.";
            break;
        case 28:
            text = "The DDE transaction could not\nbe completed because the request timed out.";
            break;
        case 29:
            text = "The DDE transaction failed.";
            break;
        case 30:
            text =
                "The DDE transaction could not\nbe completed because other DDE transactions\nwere "
                "being processed.";
            break;
        case 31:
            text = "There is no application associated\nwith the given filename extension.";
            break;
        case 32:
            text = "The specified dynamic-link library was not found.";
            break;
        default:
            break;
    }
    std::string body;
    if (text) {
        body = CTranslator::InUiLanguage(text);
    } else {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "Unknown Error (%d) occurred.", code);
        body = buffer;
    }
    return CTranslator::InUiLanguage("Can't open link:") + "\n\n" + body;
}

}  // namespace ui
