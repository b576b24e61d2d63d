#pragma once
// The start-up picture: shown for four seconds in a thin-bordered window, centred over the
// radio's place (or the screen while the radio has none yet).

#include <QImage>
#include <QTimer>
#include <QWidget>

namespace ui {

class CSplashWnd : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kShowMs = 4000;

    static void EnableSplashScreen(bool on);
    // Shows the picture resource unless splashes are off or one is showing already; over a
    // radio that is not on the screen yet, from the radio's first paint on. Returns the splash
    // (owned by itself: it deletes itself four seconds after this call), or null.
    static CSplashWnd* ShowSplashScreen(int resourceId, QWidget* parent);
    static CSplashWnd* Current();

    ~CSplashWnd() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    CSplashWnd(QImage picture, QWidget* parent);
    void CentreOver(QWidget* owner);
    void ShowNow();

    QImage picture_;
    QTimer timer_;
};

}  // namespace ui
