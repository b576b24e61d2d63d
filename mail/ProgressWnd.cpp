#include "mail/ProgressWnd.h"

#include "ui/Translator.h"
#include "util/Profile.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

namespace mail {

namespace {

constexpr const char* kSection = "Settings";
constexpr int kTextWidth = 290;
constexpr int kMargin = 10;
constexpr int kEdge = 2;  // width of a sunken control edge
// The cancel button's text in the user's language; the blanks pad the button.
QString CancelText() {
    return QString::fromStdString(ui::CTranslator::InUiLanguage(" Cancel "));
}

}  // namespace

CProgressWnd::CProgressWnd(QWidget* owner, const std::string& caption, bool smooth,
                           bool cancelButton)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      caption_(QString::fromStdString(caption)),
      textLines_(cancelButton ? 4 : 2) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(caption_);
    setCursor(Qt::BusyCursor);
    setAutoFillBackground(true);
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    resize(390, 130);

    status_ = new QLabel(this);
    status_->setObjectName(QString::number(kIdText));
    status_->setTextFormat(Qt::PlainText);
    status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    status_->setWordWrap(false);
    status_->setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));

    bar_ = new QProgressBar(this);
    bar_->setObjectName(QString::number(kIdProgress));
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    // Blocks or a smooth fill is the desktop style's choice for a Qt bar.
    Q_UNUSED(smooth);

    if (cancelButton) {
        cancel_ = new QPushButton(CancelText(), this);
        cancel_->setObjectName(QString::number(kIdCancel));
        cancel_->setFont(status_->font());
        connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
    }

    LayOut();
    PlaceAtStart();
    Show();
}

CProgressWnd::~CProgressWnd() {
    util::TheProfile().WriteInt(kSection, "X", pos().x());
    util::TheProfile().WriteInt(kSection, "Y", pos().y());
}

void CProgressWnd::LayOut() {
    const QFontMetrics metrics(status_->font());
    QStringList ems;
    for (int line = 0; line < textLines_; ++line) ems << QStringLiteral("M");
    const int textHeight =
        metrics.boundingRect(QRect(0, 0, kTextWidth, 10000), 0, ems.join('\n')).height();
    const QRect statusRect(kMargin, kMargin, kTextWidth, textHeight);

    const int buttonWidth =
        metrics.horizontalAdvance(CancelText() + QStringLiteral("  ")) + 4 * kEdge;
    const int buttonHeight = metrics.height() + 3 * kEdge;
    const QRect buttonRect(statusRect.right() + 1 - buttonWidth, statusRect.bottom() + 1 + kMargin,
                           buttonWidth, buttonHeight);
    const QRect barRect(QPoint(statusRect.left(), buttonRect.top() + kEdge),
                        QPoint(buttonRect.left() - kMargin - 1, buttonRect.bottom() - kEdge));

    resize(kTextWidth + 2 * kMargin, textHeight + buttonHeight + 3 * kMargin);
    bar_->setGeometry(barRect);
    if (cancel_)
        cancel_->setGeometry(buttonRect);
    status_->setGeometry(statusRect);
}

void CProgressWnd::PlaceAtStart() {
    const int x = util::TheProfile().GetInt(kSection, "X", -1);
    const int y = util::TheProfile().GetInt(kSection, "Y", -1);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 640, 480);
    if (x >= 0 && x < area.width() && y >= 0 && y < area.height()) {
        move(x, y);
        return;
    }
    const QSize outer = frameGeometry().size();
    move(area.center() - QPoint(outer.width() / 2, outer.height() / 2));
}

void CProgressWnd::CentreOver(const QWidget* window) {
    if (!window)
        return;
    const QRect over = window->frameGeometry();
    const QSize outer = frameGeometry().size();
    move(over.center() - QPoint(outer.width() / 2, outer.height() / 2));
}

void CProgressWnd::SetStatus(const std::string& text, int position) {
    status_->setText(QString::fromStdString(text).left(kMaxStatusLength));
    SetPos(position);
    // The status comes from the worker through this thread's own event loop, so there is
    // nothing to pump here: painting now is what makes the step visible at once.
    if (isVisible())
        repaint();
}

int CProgressWnd::SetPos(int position) {
    Show();
    position_ = position;
    const int percent = lower_ < upper_ ? position * 100 / (upper_ - lower_) : 0;
    if (percent != lastPercent_) {
        lastPercent_ = percent;
        setWindowTitle(caption_ + QStringLiteral(" [") + QString::number(percent) +
                       QStringLiteral("%]"));
        ++captionChanges_;
    }
    const int previous = bar_->value();
    bar_->setValue(std::clamp(position, bar_->minimum(), bar_->maximum()));
    return previous;
}

void CProgressWnd::Show() {
    if (isVisible())
        return;
    cancelled_ = false;
    show();
    update();
}

void CProgressWnd::Hide() {
    if (isVisible())
        hide();
}

void CProgressWnd::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        cancelled_ = true;
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace mail
