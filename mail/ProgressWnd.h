#pragma once
// A small window with a status text, a progress bar and, on request, a cancel button; the
// caption carries the percentage. It remembers where it stood (section "Settings", X/Y).

#include <QWidget>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

namespace mail {

class CProgressWnd : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kIdCancel = 10;
    static constexpr int kIdText = 11;
    static constexpr int kIdProgress = 12;
    static constexpr int kMaxStatusLength = 511;

    // Created and shown at once, at the remembered place when that lies on the primary
    // screen, else centred.
    CProgressWnd(QWidget* owner, const std::string& caption, bool smooth, bool cancelButton);
    ~CProgressWnd() override;  // remembers the position

    // Shows the text and moves the bar; the window is repainted at once.
    void SetStatus(const std::string& text, int position);
    // Moves the bar (showing a hidden window); returns the previous position.
    int SetPos(int position);
    void Show();
    void Hide();
    bool IsCancelled() const { return cancelled_; }

    // Centres the window over another window (the one it reports for).
    void CentreOver(const QWidget* window);
    int CaptionChanges() const { return captionChanges_; }
    QLabel* StatusLabel() const { return status_; }
    QProgressBar* Bar() const { return bar_; }
    QPushButton* CancelButton() const { return cancel_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void LayOut();
    void PlaceAtStart();

    QLabel* status_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QString caption_;
    int textLines_ = 4;
    int position_ = 0;
    int lastPercent_ = 0;
    int lower_ = 0;
    int upper_ = 100;
    bool cancelled_ = false;
    int captionChanges_ = 0;
};

}  // namespace mail
