#pragma once
// The program's own popup menu: a frameless window of owner-drawn rows, each with an optional
// 16x15 picture from a strip, a hover bar and an underlined mnemonic. The caller fills the
// rows, opens the menu at a screen point and receives the chosen command later through
// `commandChosen` (a queued call, so the menu is already gone when the handler runs).

#include <QColor>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <string>
#include <vector>

class QPainter;
class QEventLoop;

namespace ui {

enum MenuItemFlags {
    MIF_SEPARATOR = 1,
    MIF_INERT = 2,   // never hovered, never chosen
    MIF_BOLD = 4,    // drawn and measured with the bold font
    MIF_GRAYED = 8,  // grey text, no keyboard mnemonic
};

struct MenuItem {
    int top = 0;     // y in menu client coordinates, set when the menu opens
    int height = 0;  // 5 for a separator, 17 otherwise, set when the menu opens
    int flags = 0;
    std::string text;      // "&" marks the mnemonic; "&&" shows one "&"
    int command = 0;       // 0: choosing the row does nothing
    int image = -1;        // cell of the picture strip, -1 for none
    QRgb hoverColour = 0;  // 0: the desktop's highlight colour
};

class CSkinMenu : public QObject {
    Q_OBJECT

  public:
    static constexpr int kTopMargin = 3;
    static constexpr int kRowHeight = 17;
    static constexpr int kSeparatorHeight = 5;
    static constexpr int kExtraWidth = 42;
    static constexpr int kCellWidth = 16;
    static constexpr int kCellHeight = 15;

    enum TrackingMode { kClosed = 0, kOpenFree = 1, kOpenCaptured = 2 };

    explicit CSkinMenu(QObject* parent = nullptr);
    ~CSkinMenu() override;

    // Closes an open menu without a command, empties the rows and loads the picture strip
    // (bitmap resource `stripId`; -1 or a missing picture: rows show no pictures).
    bool Init(int stripId);
    bool AddItem(int flags, const std::string& text, int command, int image, QRgb hoverColour = 0);
    bool AddSeparator();

    // Fonts: by default both the normal and the bold font are the application font, so bold
    // rows look like the others. A caller font becomes the normal font and, made bold, the
    // bold one. Takes effect at the next Init.
    void SetFont(const QFont& font);

    // Lays the rows out and opens the menu with its top-left corner at the screen point,
    // pushed back onto the screen. Non-nested: returns 0 at once and the choice arrives
    // through `commandChosen`. Nested: runs an event loop until the menu is gone and returns
    // the chosen command (0 for none). `withoutCapture` opens it as a plain tool window that
    // does not take the mouse.
    int TrackPopup(QPoint screenPoint, QWidget* owner, bool nested = false,
                   bool withoutCapture = false);

    // Closes an open menu without choosing anything.
    void Close();

    // The row at a point in menu client coordinates, or -1. The 2-pixel border on the left
    // and top belongs to no row, nor does the first pixel row of each row.
    int HitTest(QPoint client) const;

    bool IsOpen() const { return mode_ != kClosed; }
    int Mode() const { return mode_; }
    int HoveredRow() const { return hovered_; }
    int MenuWidth() const { return width_; }
    int MenuHeight() const { return height_; }
    QWidget* Window() const { return window_; }
    const std::vector<MenuItem>& Items() const { return items_; }
    bool HasStrip() const { return !strip_.isNull(); }

    // Where a menu rectangle opened at its top-left corner goes. On a secondary monitor it is
    // pushed into that monitor; elsewhere it is pushed left and up into the work area, never
    // to negative coordinates. `monitors[primary]` is the primary monitor.
    static QRect PlaceRect(const QRect& wanted, const std::vector<QRect>& monitors, int primary,
                           const QRect& workArea);

  signals:
    void commandChosen(int command);

  private:
    friend class SkinMenuWindow;

    void Layout();
    QRect PlaceOnScreens(const QRect& wanted) const;
    void LoadStrip(int stripId);

    // Window events, forwarded by the menu window.
    void Paint(QPainter& painter) const;
    void PaintFrame(QPainter& painter) const;
    void PaintRow(QPainter& painter, int index) const;
    void OnMouseMove(QPoint client);
    void OnButtonPress(QPoint client);
    void OnButtonRelease(QPoint client, Qt::MouseButton button);
    void OnCharacter(const QString& text);
    void OnWindowGone();

    void Choose(int command);
    void DestroyWindow();
    bool IsInside(QPoint client) const;

    std::vector<MenuItem> items_;
    QImage strip_;
    QFont callerFont_;
    bool hasCallerFont_ = false;
    QFont normalFont_;
    QFont boldFont_;
    int normalHeight_ = 0;
    int boldHeight_ = 0;

    QColor frameColour_, backgroundColour_, textColour_, greyColour_, hoverTextColour_,
        hoverBarColour_, lightEdge_, darkEdge_;

    QPointer<QWidget> window_;
    int mode_ = kClosed;
    int width_ = 0;
    int height_ = 0;
    int hovered_ = -1;
    int chosen_ = 0;
    bool nested_ = false;
    QEventLoop* loop_ = nullptr;  // the nested loop while one runs
    bool leftHeld_ = false;
    bool rightHeld_ = false;
};

}  // namespace ui
