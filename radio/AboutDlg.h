#pragma once
// The about box: a frameless picture with the product's emblem, two links (the maker's
// contact address and web site) and a close button. The emblem opens the web site; the rest
// of the picture drags the box. It grows from its centre when it opens and fades out when it
// closes.

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <string>

#include "ui/Translator.h"

namespace ui {
class CHoverBitmapButton;
}
namespace ui {
class CHyperLink;
}
class QLabel;
class QVariantAnimation;
class QPropertyAnimation;

namespace radio {

class CAboutDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kTemplateId = 106;
    static constexpr int kWebLinkId = 1001;
    static constexpr int kMailLinkId = 1002;
    static constexpr int kCloseButtonId = 1007;
    static constexpr int kPictureId = 118;
    static constexpr int kCloseNormalBitmap = 136;
    static constexpr int kCloseOtherBitmap = 135;
    static constexpr int kEffectMilliseconds = 200;
    static constexpr const char* kContactAddress = "mailto:radio@torvane.com";
    // The credits label's English text, the translator's key. Its German has "&&", which the
    // label, having a buddy, shows as one "&".
    static constexpr const char* kProgrammingText = "Programming and concept:";

    explicit CAboutDlg(QWidget* parent = nullptr);
    ~CAboutDlg() override;

    // The about command: runs the box modally over `owner`, then brings the owner back to
    // the top. Returns how the box ended.
    static int Run(QWidget* owner);

    // The emblem that opens the web site.
    static QRect HotArea() { return QRect(QPoint(84, 6), QPoint(213, 143)); }

    // Effects are on by default; tests switch them off to see the box open and close at once.
    void SetEffectsEnabled(bool enabled) { effects_ = enabled; }
    bool HasBackground() const { return !background_.isNull(); }

    ui::CHoverBitmapButton* CloseButton() const { return closeButton_; }
    ui::CHyperLink* WebLink() const { return webLink_; }
    ui::CHyperLink* MailLink() const { return mailLink_; }

    void done(int result) override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void LoadBackground();
    void BuildControls();
    void LayOutCredits();
    void StartOpenEffect();
    void OpenWebSite();

    ui::CTranslator translator_;
    QImage background_;
    ui::CHoverBitmapButton* closeButton_ = nullptr;
    QLabel* programmingLabel_ = nullptr;
    QLabel* artworkLabel_ = nullptr;
    QLabel* studioLabel_ = nullptr;
    ui::CHyperLink* mailLink_ = nullptr;
    ui::CHyperLink* webLink_ = nullptr;
    bool effects_ = true;
    bool closing_ = false;
    QVariantAnimation* openEffect_ = nullptr;
    QPropertyAnimation* closeEffect_ = nullptr;
    bool dragging_ = false;
    QPoint dragOffset_;
};

}  // namespace radio
