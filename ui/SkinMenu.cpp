#include "ui/SkinMenu.h"

#include "ui/BuiltInImage.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <climits>

#include "util/Resources.h"

namespace ui {

namespace {
constexpr QRgb kStripKey = 0xFFFF00FF;  // magenta: transparent in the picture strip
constexpr int kTextLeft = 23;
constexpr int kIconBarLeft = 21;
constexpr int kPlainBarLeft = 3;

QString ToQ(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::int64_t DistanceSquared(QPoint p, const QRect& r) {
    const std::int64_t dx =
        p.x() < r.left() ? r.left() - p.x() : (p.x() > r.right() ? p.x() - r.right() : 0);
    const std::int64_t dy =
        p.y() < r.top() ? r.top() - p.y() : (p.y() > r.bottom() ? p.y() - r.bottom() : 0);
    return dx * dx + dy * dy;
}

int NearestMonitor(QPoint p, const std::vector<QRect>& monitors) {
    int best = 0;
    std::int64_t bestDistance = INT64_MAX;
    for (int i = 0; i < static_cast<int>(monitors.size()); ++i) {
        const std::int64_t d = DistanceSquared(p, monitors[static_cast<std::size_t>(i)]);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}
}  // namespace

// The menu's window: it only paints and forwards input to its CSkinMenu, which owns the rows
// and the tracking state. Opened with capture it is a Qt popup, which receives every mouse
// event of the application (outside presses included) until it closes.
class SkinMenuWindow : public QWidget {
  public:
    SkinMenuWindow(CSkinMenu* menu, QWidget* owner, bool capture)
        : QWidget(owner, capture ? Qt::Popup | Qt::FramelessWindowHint
                                 : Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
          menu_(menu) {
        setMouseTracking(true);
        setCursor(Qt::ArrowCursor);
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    ~SkinMenuWindow() override { Gone(); }

    // Cuts the link before the menu hides and deletes this window itself.
    void Detach() { menu_ = nullptr; }

  protected:
    void paintEvent(QPaintEvent*) override {
        if (!menu_)
            return;
        QPainter painter(this);
        menu_->Paint(painter);
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (menu_)
            menu_->OnMouseMove(event->position().toPoint());
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (menu_ && (event->button() == Qt::LeftButton || event->button() == Qt::RightButton))
            menu_->OnButtonPress(event->position().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (menu_)
            menu_->OnButtonRelease(event->position().toPoint(), event->button());
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (!menu_)
            return;
        // Escape closes the menu as it does every other desktop menu.
        if (event->key() == Qt::Key_Escape)
            menu_->Close();
        else if (!event->text().isEmpty())
            menu_->OnCharacter(event->text());
    }
    // The desktop may close a popup by itself (another window activated, the owner hidden).
    void hideEvent(QHideEvent*) override {
        if (menu_) {
            Gone();
            deleteLater();
        }
    }

  private:
    void Gone() {
        if (CSkinMenu* menu = menu_) {
            menu_ = nullptr;
            menu->OnWindowGone();
        }
    }

    CSkinMenu* menu_;
};

CSkinMenu::CSkinMenu(QObject* parent) : QObject(parent) {
    const QPalette palette = QApplication::palette();
    frameColour_ = palette.color(QPalette::Active, QPalette::WindowText);
    backgroundColour_ = palette.color(QPalette::Active, QPalette::Window);
    textColour_ = palette.color(QPalette::Active, QPalette::WindowText);
    greyColour_ = palette.color(QPalette::Disabled, QPalette::WindowText);
    hoverTextColour_ = palette.color(QPalette::Active, QPalette::HighlightedText);
    hoverBarColour_ = palette.color(QPalette::Active, QPalette::Highlight);
    lightEdge_ = palette.color(QPalette::Active, QPalette::Light);
    darkEdge_ = palette.color(QPalette::Active, QPalette::Dark);
    Init(-1);
}

CSkinMenu::~CSkinMenu() {
    if (QWidget* window = window_) {
        static_cast<SkinMenuWindow*>(window)->Detach();
        delete window;
    }
}

bool CSkinMenu::Init(int stripId) {
    if (IsOpen())
        Close();
    items_.clear();
    normalFont_ = hasCallerFont_ ? callerFont_ : QApplication::font();
    boldFont_ = normalFont_;
    if (hasCallerFont_)
        boldFont_.setWeight(QFont::Bold);
    normalHeight_ = QFontMetrics(normalFont_).height();
    boldHeight_ = QFontMetrics(boldFont_).height();
    LoadStrip(stripId);
    return true;
}

void CSkinMenu::SetFont(const QFont& font) {
    callerFont_ = font;
    hasCallerFont_ = true;
}

void CSkinMenu::LoadStrip(int stripId) {
    strip_ = QImage();
    if (stripId < 0)
        return;
    // The screen of the highest density decides: a finer strip drawn on a coarser screen
    // only loses detail, a coarser one on a finer screen blurs.
    QImage image = ui::ReadBitmapResource(stripId, qApp->devicePixelRatio());
    if (image.isNull())
        return;
    const qreal ratio = image.devicePixelRatio();
    image = image.convertToFormat(QImage::Format_ARGB32);
    image.setDevicePixelRatio(ratio);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((row[x] | 0xFF000000) == kStripKey)
                row[x] = 0;
        }
    }
    strip_ = image;
}

bool CSkinMenu::AddItem(int flags, const std::string& text, int command, int image,
                        QRgb hoverColour) {
    MenuItem item;
    item.flags = flags;
    item.text = text;
    item.command = command;
    item.image = image;
    item.hoverColour = hoverColour;
    items_.push_back(std::move(item));
    return true;
}

bool CSkinMenu::AddSeparator() {
    return AddItem(MIF_SEPARATOR, std::string(), 0, -1, 0);
}

void CSkinMenu::Layout() {
    const QFontMetrics normal(normalFont_);
    const QFontMetrics bold(boldFont_);
    int h = kTopMargin;
    int widest = 0;
    for (MenuItem& item : items_) {
        item.top = h;
        if (item.flags & MIF_SEPARATOR) {
            item.height = kSeparatorHeight;
        } else {
            item.height = kRowHeight;
            const QFontMetrics& metrics = (item.flags & MIF_BOLD) ? bold : normal;
            widest = std::max(widest, metrics.size(Qt::TextShowMnemonic, ToQ(item.text)).width());
        }
        h += item.height;
    }
    width_ = widest + kExtraWidth;
    height_ = h + 2;
}

QRect CSkinMenu::PlaceRect(const QRect& wanted, const std::vector<QRect>& monitors, int primary,
                           const QRect& workArea) {
    const int w = wanted.width();
    const int h = wanted.height();
    if (monitors.size() >= 2) {
        const int nearest = NearestMonitor(wanted.topLeft(), monitors);
        if (nearest != primary) {
            const QRect& m = monitors[static_cast<std::size_t>(nearest)];
            const int left = std::max(m.left(), std::min(wanted.left(), m.x() + m.width() - w));
            const int top = std::max(m.top(), std::min(wanted.top(), m.y() + m.height() - h));
            return QRect(left, top, w, h);
        }
    }
    QRect placed = wanted;
    const int workRight = workArea.x() + workArea.width();
    const int workBottom = workArea.y() + workArea.height();
    if (placed.x() + w > workRight)
        placed.moveLeft(std::max(0, workRight - w));
    if (placed.y() + h > workBottom)
        placed.moveTop(std::max(0, workBottom - h));
    return placed;
}

QRect CSkinMenu::PlaceOnScreens(const QRect& wanted) const {
    std::vector<QRect> monitors;
    int primary = 0;
    const QScreen* primaryScreen = QGuiApplication::primaryScreen();
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen == primaryScreen)
            primary = static_cast<int>(monitors.size());
        monitors.push_back(screen->geometry());
    }
    const QRect work = primaryScreen ? primaryScreen->availableGeometry() : wanted;
    return PlaceRect(wanted, monitors, primary, work);
}

int CSkinMenu::TrackPopup(QPoint screenPoint, QWidget* owner, bool nested, bool withoutCapture) {
    if (IsOpen())
        Close();
    Layout();
    hovered_ = -1;
    chosen_ = 0;
    nested_ = nested;
    const QRect rect = PlaceOnScreens(QRect(screenPoint, QSize(width_, height_)));

    auto* window = new SkinMenuWindow(this, owner, !withoutCapture);
    window->setFixedSize(rect.size());
    window->move(rect.topLeft());
    window_ = window;
    if (withoutCapture) {
        mode_ = kOpenFree;
        leftHeld_ = rightHeld_ = false;
    } else {
        mode_ = kOpenCaptured;
        // The button that opened the menu is usually still down: its release must not choose.
        const Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
        leftHeld_ = buttons.testFlag(Qt::LeftButton);
        rightHeld_ = buttons.testFlag(Qt::RightButton);
    }
    window->show();
    window->setFocus(Qt::PopupFocusReason);
    if (!window_)  // the desktop refused or closed it at once
        return 0;

    if (!nested)
        return 0;
    QEventLoop loop;
    loop_ = &loop;
    loop.exec();
    loop_ = nullptr;
    return chosen_;
}

void CSkinMenu::Close() {
    hovered_ = -1;
    chosen_ = 0;
    DestroyWindow();
}

void CSkinMenu::Choose(int command) {
    chosen_ = command;
    DestroyWindow();
}

void CSkinMenu::DestroyWindow() {
    QWidget* window = window_;
    window_ = nullptr;
    mode_ = kClosed;
    if (window) {
        static_cast<SkinMenuWindow*>(window)->Detach();
        window->hide();
        window->deleteLater();
    }
    if (loop_)
        loop_->quit();
    if (!nested_ && chosen_ != 0) {
        const int command = chosen_;
        QMetaObject::invokeMethod(
            this, [this, command] { emit commandChosen(command); }, Qt::QueuedConnection);
    }
}

void CSkinMenu::OnWindowGone() {
    // The window is hiding or being destroyed by someone else: forget it without touching it.
    window_ = nullptr;
    hovered_ = -1;
    DestroyWindow();
}

bool CSkinMenu::IsInside(QPoint client) const {
    return !(client.x() <= 2 || client.y() <= 2 || client.x() > width_ || client.y() > height_);
}

int CSkinMenu::HitTest(QPoint client) const {
    if (!IsInside(client))
        return -1;
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
        const MenuItem& item = items_[static_cast<std::size_t>(i)];
        if (item.top < client.y() && client.y() < item.top + item.height)
            return (item.flags & MIF_INERT) ? -1 : i;
    }
    return -1;
}

void CSkinMenu::OnMouseMove(QPoint client) {
    const int row = HitTest(client);
    if (row == hovered_)
        return;
    hovered_ = row;
    if (window_)
        window_->update();
}

void CSkinMenu::OnButtonPress(QPoint client) {
    if (!IsInside(client))
        Close();
}

void CSkinMenu::OnButtonRelease(QPoint client, Qt::MouseButton button) {
    bool* latch = button == Qt::LeftButton    ? &leftHeld_
                  : button == Qt::RightButton ? &rightHeld_
                                              : nullptr;
    if (!latch)
        return;
    if (*latch) {
        *latch = false;
        return;
    }
    if (!IsInside(client)) {
        Close();
        return;
    }
    OnMouseMove(client);
    if (hovered_ >= 0 && items_[static_cast<std::size_t>(hovered_)].command != 0)
        Choose(items_[static_cast<std::size_t>(hovered_)].command);
}

void CSkinMenu::OnCharacter(const QString& text) {
    const QString typed = text.toLower();
    for (const MenuItem& item : items_) {
        if (item.flags & (MIF_SEPARATOR | MIF_INERT | MIF_GRAYED))
            continue;
        const QString label = ToQ(item.text);
        const qsizetype amp = label.indexOf(QLatin1Char('&'));
        if (amp < 0 || amp + 1 >= label.size())
            continue;
        if (label.mid(amp + 1, 1).toLower() == typed.left(1)) {
            Choose(item.command);
            return;
        }
    }
}

void CSkinMenu::Paint(QPainter& painter) const {
    PaintFrame(painter);
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) PaintRow(painter, i);
}

void CSkinMenu::PaintFrame(QPainter& painter) const {
    // A 1-pixel frame in the text colour with a light edge on the left and top.
    painter.setPen(frameColour_);
    painter.setBrush(backgroundColour_);
    painter.drawRect(0, 0, width_ - 1, height_ - 1);
    painter.setPen(lightEdge_);
    painter.drawLine(0, height_ - 1, 0, 0);
    painter.drawLine(0, 0, width_ - 1, 0);
}

void CSkinMenu::PaintRow(QPainter& painter, int index) const {
    const MenuItem& item = items_[static_cast<std::size_t>(index)];
    const int t = item.top;
    const int w = width_;
    if (item.flags & MIF_SEPARATOR) {
        // Etched line: dark above, light below.
        painter.setPen(lightEdge_);
        painter.drawPoint(3, t + 1);
        painter.drawLine(3, t + 2, w - 4, t + 2);
        painter.setPen(darkEdge_);
        painter.drawPoint(w - 3, t + 2);
        painter.drawLine(w - 3, t + 1, 4, t + 1);
        return;
    }
    const bool hovered = index == hovered_;
    int barLeft = kPlainBarLeft;
    if (item.image >= 0) {
        barLeft = kIconBarLeft;
        // A raised frame round the picture while hovered; erased otherwise.
        painter.setPen(hovered ? lightEdge_ : backgroundColour_);
        painter.drawLine(3, t + 16, 3, t + 1);
        painter.drawLine(3, t, 19, t);
        painter.setPen(hovered ? darkEdge_ : backgroundColour_);
        painter.drawLine(20, t, 20, t + 15);
        painter.drawLine(20, t + 16, 4, t + 16);
        const int scale = qRound(strip_.devicePixelRatio());
        const int cells = strip_.width() / scale / kCellWidth;
        if (item.image < cells && strip_.height() / scale >= kCellHeight)
            painter.drawImage(
                QPoint(4, t + 1), strip_,
                QRect(item.image * kCellWidth * scale, 0, kCellWidth * scale, kCellHeight * scale));
    }
    QColor bar = backgroundColour_;
    if (hovered)
        bar = item.hoverColour ? QColor::fromRgb(item.hoverColour) : hoverBarColour_;
    painter.fillRect(QRect(barLeft, t, w - 3 - barLeft, kRowHeight), bar);

    const bool bold = item.flags & MIF_BOLD;
    painter.setFont(bold ? boldFont_ : normalFont_);
    painter.setPen(hovered                     ? hoverTextColour_
                   : (item.flags & MIF_GRAYED) ? greyColour_
                                               : textColour_);
    const int textTop = t + (kRowHeight - (bold ? boldHeight_ : normalHeight_)) / 2;
    painter.drawText(QRect(kTextLeft, textTop, 1000, 1000),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, ToQ(item.text));
}

}  // namespace ui
