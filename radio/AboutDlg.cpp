#include "radio/AboutDlg.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QVariantAnimation>
#include <QWindow>
#include <algorithm>
#include <exception>

#include "picture/ImageView.h"
#include "picture/LoadPicture.h"
#include "radio/RadioMenu.h"
#include "ui/DialogBuilder.h"
#include "ui/DialogTemplate.h"
#include "ui/HoverBitmapButton.h"
#include "ui/HyperLink.h"
#include "ui/PictureScale.h"
#include "util/Product.h"

namespace radio {

namespace {

constexpr QSize kFallbackSize(316, 316);
constexpr QPoint kCloseButtonPlace(289, 10);
// The credits sit on a dark plate so that the white links read well on the light card.
constexpr QRect kCreditsPlate(18, 203, 280, 72);
constexpr int kCreditsGap = 6;
constexpr int kCreditsRowHeight = 15;
const QColor kPlateColour(0x4a, 0x2e, 0x1c);
const QColor kPlateEdge(0x8a, 0x62, 0x3c);
const QColor kCreditsText(0xf0, 0xe2, 0xc0);

ui::CHyperLink* MakeLink(const QString& text, const std::string& url, int id, QWidget* parent) {
    auto* link = new ui::CHyperLink(parent, text);
    link->setObjectName(QString::number(id));
    link->SetStyle(link->GetStyle() | ui::CHyperLink::HLF_HOVERCOLOUR);
    link->SetURL(url);
    return link;
}

// A credits text on the plate: the template's label, or a new one when there is none.
QLabel* CreditsLabel(QLabel* fromTemplate, const char* text, QWidget* parent) {
    QLabel* label = fromTemplate ? fromTemplate : new QLabel(QString::fromUtf8(text), parent);
    label->setWordWrap(false);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, kCreditsText);
    label->setPalette(p);
    return label;
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setWindowTitle(QString::fromUtf8(util::kProductTitle));
    setMouseTracking(true);
    LoadBackground();
    BuildControls();
    setFixedSize(background_.isNull() ? kFallbackSize
                                      : background_.deviceIndependentSize().toSize());
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        child->setFont(QApplication::font());
    // The links make their own underlined font from the application font.
    webLink_->SetLinkFont(QApplication::font());
    mailLink_->SetLinkFont(QApplication::font());
    translator_.TranslateWindow(this, ui::CTranslator::kStored);
    LayOutCredits();
}

void CAboutDlg::LayOutCredits() {
    // Two "label  name" rows centred on the plate as one block, measured after translation,
    // then the web site centred below them.
    const int labelWidth =
        std::max(programmingLabel_->sizeHint().width(), artworkLabel_->sizeHint().width());
    int valueWidth = std::max(mailLink_->sizeHint().width(), studioLabel_->sizeHint().width());
    const int total = labelWidth + kCreditsGap + valueWidth;
    const int left = std::max(kCreditsPlate.left() + 4,
                              kCreditsPlate.left() + (kCreditsPlate.width() - total) / 2);
    const int valueLeft = left + labelWidth + kCreditsGap;
    // A font too large for the plate clips the names rather than spilling off the box.
    valueWidth = std::max(0, std::min(valueWidth, kCreditsPlate.right() - 4 - valueLeft));
    const int top = kCreditsPlate.top() + 7;
    programmingLabel_->setGeometry(left, top, labelWidth, kCreditsRowHeight);
    mailLink_->setGeometry(valueLeft, top, valueWidth, kCreditsRowHeight);
    artworkLabel_->setGeometry(left, top + 20, labelWidth, kCreditsRowHeight);
    studioLabel_->setGeometry(valueLeft, top + 20, valueWidth, kCreditsRowHeight);
    const int webWidth = webLink_->sizeHint().width();
    webLink_->setGeometry(kCreditsPlate.center().x() - webWidth / 2, top + 42, webWidth,
                          kCreditsRowHeight);
}

CAboutDlg::~CAboutDlg() = default;

int CAboutDlg::Run(QWidget* owner) {
    int result = QDialog::Rejected;
    {
        CAboutDlg box(owner);
        result = box.exec();
    }
    if (owner) {
        owner->raise();
        owner->activateWindow();
    }
    return result;
}

void CAboutDlg::LoadBackground() {
    const int scale = ui::PictureScaleFor(devicePixelRatioF());
    const auto picture = picture::LoadPicture(kPictureId, scale);
    if (!picture) {
        background_ = QImage();  // a broken picture leaves the plain background
        return;
    }
    // The view shares the picture's pixels, which go with `picture`: keep a copy.
    background_ = picture::ImageView(**picture).convertToFormat(QImage::Format_RGB32).copy();
    background_.setDevicePixelRatio(scale);
}

void CAboutDlg::BuildControls() {
    // The controls come from template 106; the close button and the two links are replaced
    // by their own kinds of control in the places the template gives them.
    ui::DialogItems items;
    bool fromTemplate = true;
    try {
        items = ui::BuildDialog(*this, ui::LoadDialogTemplate(kTemplateId));
    } catch (const std::exception&) {
        fromTemplate = false;
        qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
    }
    setWindowFlag(Qt::FramelessWindowHint, true);
    const auto templateLabel = [&](const char* text) -> QLabel* {
        if (!fromTemplate)
            return nullptr;
        for (QWidget* widget : items.InOrder()) {
            auto* label = qobject_cast<QLabel*>(widget);
            if (label && label->text() == QLatin1String(text))
                return label;
        }
        return nullptr;
    };
    programmingLabel_ = CreditsLabel(templateLabel(kProgrammingText), kProgrammingText, this);
    artworkLabel_ = CreditsLabel(templateLabel("Artwork:"), "Artwork:", this);
    studioLabel_ = CreditsLabel(templateLabel("Torvane Studio"), "Torvane Studio", this);
    programmingLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    artworkLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    QPoint closePlace = kCloseButtonPlace;
    if (QWidget* old = fromTemplate ? items.Item(kCloseButtonId) : nullptr) {
        closePlace = old->pos();
        delete old;
    }
    QString mailText = QStringLiteral("Torvane Radiowerke");
    if (auto* old = fromTemplate ? items.ItemAs<QLabel>(kMailLinkId) : nullptr) {
        mailText = old->text();
        delete old;
    }
    // The web link shows the address it opens.
    delete (fromTemplate ? items.Item(kWebLinkId) : nullptr);

    closeButton_ = new ui::CHoverBitmapButton(this);
    closeButton_->setObjectName(QString::number(kCloseButtonId));
    if (!closeButton_->LoadStateBitmaps(kCloseNormalBitmap, kCloseOtherBitmap, kCloseOtherBitmap,
                                        kCloseOtherBitmap)) {
        closeButton_->resize(18, 18);
        closeButton_->setText(QStringLiteral("x"));
    }
    closeButton_->move(closePlace);
    connect(closeButton_, &QAbstractButton::clicked, this, &QDialog::reject);

    // White links that take the desktop's highlight colour under the mouse.
    ui::CHyperLink::SetColours(Qt::white, Qt::white, Qt::white);
    mailLink_ = MakeLink(mailText, kContactAddress, kMailLinkId, this);
    webLink_ = MakeLink(QString::fromUtf8(util::kWebSiteHost), WebSiteUrl(), kWebLinkId, this);
    webLink_->setAlignment(Qt::AlignCenter);
    // As buddies, the labels show "&&" as one "&", as the German credits need.
    programmingLabel_->setBuddy(mailLink_);
    artworkLabel_->setBuddy(webLink_);
}

void CAboutDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (background_.isNull())
        painter.fillRect(rect(), QColor(0x6b, 0x3f, 0x22));
    else
        painter.drawImage(QPoint(0, 0), background_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kPlateEdge, 1.5));
    painter.setBrush(kPlateColour);
    painter.drawRoundedRect(QRectF(kCreditsPlate).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
}

void CAboutDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    closing_ = false;
    setWindowOpacity(1.0);
    if (effects_)
        StartOpenEffect();
}

void CAboutDlg::StartOpenEffect() {
    // Grows from the centre: the window is revealed through a mask that widens to full size.
    if (!openEffect_) {
        openEffect_ = new QVariantAnimation(this);
        openEffect_->setDuration(kEffectMilliseconds);
        openEffect_->setStartValue(0.0);
        openEffect_->setEndValue(1.0);
        connect(openEffect_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
            const double f = v.toDouble();
            const QSize full = size();
            const QSize now(std::max(1, static_cast<int>(full.width() * f)),
                            std::max(1, static_cast<int>(full.height() * f)));
            QRect shown(QPoint(0, 0), now);
            shown.moveCenter(rect().center());
            setMask(QRegion(shown));
        });
        connect(openEffect_, &QVariantAnimation::finished, this, [this] { clearMask(); });
    }
    openEffect_->stop();
    openEffect_->start();
}

void CAboutDlg::done(int result) {
    if (closing_)
        return;
    if (openEffect_)
        openEffect_->stop();
    clearMask();
    if (!effects_ || !isVisible()) {
        QDialog::done(result);
        return;
    }
    // Blends out, then ends the dialog.
    closing_ = true;
    if (!closeEffect_)
        closeEffect_ = new QPropertyAnimation(this, "windowOpacity", this);
    closeEffect_->setDuration(kEffectMilliseconds);
    closeEffect_->setStartValue(1.0);
    closeEffect_->setEndValue(0.0);
    disconnect(closeEffect_, &QPropertyAnimation::finished, this, nullptr);
    connect(closeEffect_, &QPropertyAnimation::finished, this, [this, result] {
        QDialog::done(result);
        closing_ = false;
        setWindowOpacity(1.0);
    });
    closeEffect_->start();
}

void CAboutDlg::OpenWebSite() {
    ui::CHyperLinkThread::Start(WebSiteUrl());
}

void CAboutDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    if (HotArea().contains(at)) {
        OpenWebSite();
        accept();
        return;
    }
    // Drag the box by any other point; the window manager moves it when it can.
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - pos();
}

void CAboutDlg::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - dragOffset_);
        return;
    }
    setCursor(HotArea().contains(event->position().toPoint()) ? Qt::PointingHandCursor
                                                              : Qt::ArrowCursor);
}

void CAboutDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        dragging_ = false;
    QDialog::mouseReleaseEvent(event);
}

}  // namespace radio
