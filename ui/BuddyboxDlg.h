#pragma once
// A screenmate: a frameless window that sits on the desktop, can stay above other windows,
// remembers where it was left, and is dragged by any point that is not a control.

#include <QDialog>
#include <QPoint>

namespace ui {

class CBuddyboxDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kSection = "CBuddyboxDlg";

    explicit CBuddyboxDlg(QWidget* parent = nullptr);
    ~CBuddyboxDlg() override;

    // Sizes the window, applies "TopMost" and moves it to its remembered place (bottom
    // right of the screen at first, centred when the remembered place is off the desktop).
    void InitBase(QSize size);
    void SetTopMost(bool on);
    bool TopMost() const { return topMost_; }
    // Writes the window's top-left corner as WndX/WndY.
    void SavePosition();
    // Moves the window with the mouse as if its caption had been grabbed.
    void BeginDrag(const QPoint& globalPos);

  protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool ManualDragActive() const { return manualDrag_; }

  private:
    bool topMost_ = false;
    bool manualDrag_ = false;
    QPoint dragOffset_;
};

}  // namespace ui
