#pragma once
// A push button drawn from bitmaps: one for the normal look, one while the mouse is over it,
// one after it was clicked (kept until the mouse leaves) and one dimmed. Its caption is drawn
// on top, centred.

#include <QAbstractButton>
#include <QImage>
#include <array>

namespace ui {

class CHoverBitmapButton : public QAbstractButton {
    Q_OBJECT

  public:
    enum State { kNormal = 0, kClicked = 1, kOver = 2, kDimmed = 3 };
    static constexpr int kNone = -1;

    explicit CHoverBitmapButton(QWidget* parent = nullptr);

    // Bitmap resources for the normal (required), clicked, over and dimmed looks; kNone leaves
    // a look unset. Any bitmap that cannot be loaded fails the call and the button keeps its
    // size; on success it takes the normal bitmap's size.
    bool LoadStateBitmaps(int normal, int clicked = kNone, int over = kNone, int dimmed = kNone);

    int ButtonState() const { return state_; }
    void SetButtonState(int state);
    bool IsTracking() const { return tracking_; }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    const QImage& BitmapForState() const;

    std::array<QImage, 4> bitmaps_;
    int state_ = kNormal;
    bool tracking_ = false;
};

}  // namespace ui
