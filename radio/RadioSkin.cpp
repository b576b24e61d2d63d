#include "radio/RadioSkin.h"

#include "picture/ImageView.h"
#include "picture/LoadPicture.h"
#include "picture/PLDIBSection.h"
#include "picture/PLFilterCrop.h"
#include "radio/FlapComposition.h"
#include "radio/SkinGeometry.h"
#include "ui/WindowShape.h"
#include "util/MessageBox.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QWidget>

#include <algorithm>
#include <cstdint>

namespace radio {

namespace g = geometry;
using picture::PLDIBSection;
using picture::PLFilterCrop;

namespace {
enum Picture {
    kBackground = 130,
    kPressedStrip = 131,
    kKnob = 132,
    kLamp = 133,
    kCover = 192,
    kBackgroundMask = 230,
    kPressedMask = 231,
    kKnobMask = 232,
    kCoverMask = 193,
    kFirstFlapFrame = 400,
    kFirstFlapMask = 450,
    kOutline = 330,
};
constexpr QRgb kStatusColour = qRgb(0x34, 0x32, 0x3D);
constexpr int kMaxMarqueeStripWidth = 8192;
// About two thirds of the status line in average letters: a step draws two or three pieces.
constexpr int kMarqueePieceChars = 32;
constexpr int kMarqueeBlockChars = 16 * kMarqueePieceChars;

// A picture that cannot be used is shown; true when there was none.
bool Succeeded(const util::Status& status) {
    if (!status)
        util::ShowMessage(
            {status.error().message, "", util::MessageIcon::Stop, util::MessageButtons::Ok});
    return status.has_value();
}

// A picture drawn `scale` times as big covers the same layout pixels as the original.
QImage AtScale(QImage image, int scale) {
    image.setDevicePixelRatio(scale);
    return image;
}

QImage Premultiplied(PLDIBSection& picture, int scale) {
    return AtScale(picture::ImageView(picture).convertToFormat(QImage::Format_ARGB32_Premultiplied),
                   scale);
}

// The picture's colours whole, whatever alpha it may carry.
QImage Opaque(PLDIBSection& picture, int scale) {
    const QImage view = picture::ImageView(picture);
    if (view.depth() != 32)
        return Premultiplied(picture, scale);
    return AtScale(QImage(view.constBits(), view.width(), view.height(), view.bytesPerLine(),
                          QImage::Format_RGB32)
                       .convertToFormat(QImage::Format_ARGB32_Premultiplied),
                   scale);
}

QRect Scaled(const QRect& r, int scale) {
    return QRect(r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale);
}

QRgb OpaqueColour(QRgb pixel) {
    const int a = qAlpha(pixel);
    return a == 255 ? pixel : a == 0 ? 0xFF000000u : qUnpremultiply(pixel) | 0xFF000000u;
}

// A window without translucency cannot blend: inside its shape every pixel shows its own
// colour whole (the premultiplication undone), as the artwork has it. `area` is in the
// surface's own pixels; it goes to the top left of `out`. Nearly every pixel is wholly
// opaque or wholly clear, so four at a time are first checked for being all of one kind.
void ConvertToOpaqueColours(const QImage& surface, const QRect& area, QImage& out) {
    const int width = area.width();
    for (int y = 0; y < area.height(); ++y) {
        const auto* in =
            reinterpret_cast<const QRgb*>(surface.constScanLine(area.top() + y)) + area.left();
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        int x = 0;
        for (; x + 4 <= width; x += 4) {
            const QRgb all = in[x] & in[x + 1] & in[x + 2] & in[x + 3];
            const QRgb any = in[x] | in[x + 1] | in[x + 2] | in[x + 3];
            if (qAlpha(all) == 255) {
                std::copy_n(in + x, 4, line + x);
            } else if (qAlpha(any) == 0) {
                std::fill_n(line + x, 4, 0xFF000000u);
            } else {
                for (int i = x; i < x + 4; ++i) line[i] = OpaqueColour(in[i]);
            }
        }
        for (; x < width; ++x) line[x] = OpaqueColour(in[x]);
    }
}
}  // namespace

RadioSkin::RadioSkin(std::unique_ptr<ui::CLayeredWindow> layered)
    : layeredWindow_(std::move(layered)) {
    BuildHotspots();
}

RadioSkin::~RadioSkin() = default;

void RadioSkin::BuildHotspots() {
    const std::pair<int, QRect> controls[] = {
        {g::kHotStop, g::kHotStopRect},   {g::kHotPlay, g::kHotPlayRect},
        {g::kHotMute, g::kHotMuteRect},   {g::kHotVolume, g::kVolumeTrack},
        {g::kHotPower, g::kHotPowerRect}, {g::kHotWeb, g::kHotWebRect},
    };
    for (const auto& [id, rect] : controls)
        AddRegion(std::make_unique<ui::CHotRegion>(id, QRegion(rect)));
    for (int sector = 1; sector <= 32; ++sector) {
        AddRegion(std::make_unique<ui::CHotRegion>(
            sector, QRegion(g::SectorTriangle(sector), Qt::WindingFill)));
    }
    exclusion_ = QRegion(g::ExclusionPolygon(), Qt::WindingFill);
}

void RadioSkin::SetScale(int scale) {
    const int wanted = scale >= 2 ? 2 : 1;
    if (wanted == scale_)
        return;
    scale_ = wanted;
    if (!complete_ || !SetUp())  // the pictures again, at the new size
        return;
    if (surface_.isNull())
        return;
    // Attached already (the window moved to a screen of another density): everything is
    // composed again at the new size, the flap where it stood.
    if (flapFrame_ != 0 && !Succeeded(LoadFlapFrame(flapFrame_)))
        return;
    if (!Attach(window_))
        return;
    SetStatusText(statusText_);
    ReleaseFlapPictures();
}

util::Status RadioSkin::Load(std::initializer_list<std::pair<Picture*, int>> pictures) const {
    for (auto [target, id] : pictures) {
        util::Result<Picture> loaded = picture::LoadPicture(id, scale_);
        if (!loaded)
            return loaded.error();
        *target = std::move(loaded).value();
    }
    return {};
}

bool RadioSkin::SetUp() {
    complete_ = false;
    util::Status loaded = Load({{&background_, kBackground},
                                {&pressed_, kPressedStrip},
                                {&knob_, kKnob},
                                {&lamp_, kLamp},
                                {&cover_, kCover}});
    if (loaded) {
        flap_ = std::make_unique<PLDIBSection>();
        loaded = LoadFlapFrame(0);
    }
    complete_ = Succeeded(loaded);
    return complete_;
}

util::Status RadioSkin::LoadFlapFrame(int frame) {
    if (util::Status loaded = picture::LoadPicture(kFirstFlapFrame + frame, *flap_, scale_);
        !loaded)
        return loaded;
    Picture mask;
    if (util::Status loaded = Load({{&mask, kFirstFlapMask + frame}}); !loaded)
        return loaded;
    if (util::Status applied = flap_->SetAlphaFromMask(*mask); !applied)
        return applied;
    // Which rows have no alpha at all, read from the mask, a quarter of the frame's bytes.
    const int width = std::min(flap_->GetWidth(), mask->GetWidth());
    flapClearRows_.assign(static_cast<std::size_t>(std::max(flap_->GetHeight(), 0)), true);
    for (int y = 0; y < std::min(flap_->GetHeight(), mask->GetHeight()); ++y)
        flapClearRows_[static_cast<std::size_t>(y)] = MaskRowIsClear(mask->GetLine(y), width);
    return {};
}

// The surface keeps the composed flap; its frame and the body mask are only needed while
// the flap moves or the skin is attached again.
void RadioSkin::ReleaseFlapPictures() {
    if (flap_)
        flap_ = std::make_unique<PLDIBSection>();
    flapClearRows_.clear();
    backgroundMask_.reset();
    opaqueColours_ = QImage();
}

bool RadioSkin::ReloadFlapPictures() {
    util::Status loaded;
    if (!backgroundMask_)
        loaded = Load({{&backgroundMask_, kBackgroundMask}});
    if (loaded && flap_ && flap_->GetHeight() <= 0)
        loaded = LoadFlapFrame(flapFrame_);
    return Succeeded(loaded);
}

void RadioSkin::PrepareWindow(QWidget* window) {
    if (!layeredWindow_)
        layeredWindow_ = std::make_unique<ui::CLayeredWindow>();
    layered_ = layeredWindow_->SetLayered(window, true);
    window_ = window;
    onScreen_.Prepare(window, scale_);
    prepared_ = true;
}

bool RadioSkin::Attach(QWidget* window) {
    if (!prepared_ || window != window_)
        PrepareWindow(window);
    if (!complete_ || !ReloadReleasedPictures())
        return false;
    if (layered_) {
        if (!ApplyMasks()) {
            layered_ = false;
            return false;
        }
        composed_ = true;
    } else {
        // The stored outline is the shape until the composed surface gives a better one.
        if (window) {
            if (const auto outline = ui::SetWindowRegionFromResource(kOutline, window); !outline) {
                util::ShowMessage({outline.error().message, "", util::MessageIcon::Warning});
            }
        }
        composed_ = ApplyMasks();
        if (!composed_)
            UseUnmaskedPictures();
    }
    surface_ = backgroundImage_.copy();
    lampDrawn_.reset();  // the lamp as the background has it, whatever that shows
    KeepBackgroundPatches();
    ReleaseSourcePictures();
    DrawDial();
    composedFrame_ = -1;
    outlineShape_.Reset();
    shapeChanged_ = WindowRect();
    if (composed_)
        ComposeFlap();
    DrawVolumeArea();
    DrawStatusLine();
    Show(WindowRect());
    return true;
}

// The window draws only from the premultiplied images; the decoded sources of the two large
// ones would double the skin's memory for nothing.
void RadioSkin::ReleaseSourcePictures() {
    background_.reset();
    pressed_.reset();
    backgroundImage_ = QImage();
}

void RadioSkin::KeepBackgroundPatches() {
    const QRect keys = g::kStopButton.rect.united(g::kPowerButton.rect)
                           .united(WidenedVolumeTrack())
                           .united(CoverArea());
    backgroundPatches_.Keep(backgroundImage_, {g::kDialRect, g::kLampRect, g::kStatusRect, keys});
}

QRect RadioSkin::CoverArea() const {
    return QRect(g::kCoverOrigin, coverImage_.deviceIndependentSize().toSize());
}

QRect RadioSkin::WindowRect() {
    return QRect(0, 0, g::kWindowWidth, g::kWindowHeight);
}

QRect RadioSkin::VolumeArea() const {
    return WidenedVolumeTrack().united(CoverArea());
}

QRect RadioSkin::WidenedVolumeTrack() {
    return g::kVolumeTrack.adjusted(-4, 0, 4, 0);
}

void RadioSkin::RestoreFromBackground(QPainter& painter, const QRect& rect) const {
    const auto mode = painter.compositionMode();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (!backgroundPatches_.Restore(painter, rect))
        qWarning("no background kept for %d,%d %dx%d", rect.x(), rect.y(), rect.width(),
                 rect.height());
    painter.setCompositionMode(mode);
}

bool RadioSkin::ReloadReleasedPictures() {
    util::Status loaded;
    if (!background_)
        loaded = Load({{&background_, kBackground}});
    if (loaded && !pressed_)
        loaded = Load({{&pressed_, kPressedStrip}});
    return Succeeded(loaded);
}

// Every mask is decoded before any is applied, so a mask that fails leaves the pictures as
// they were, whole, for the outline.
bool RadioSkin::ApplyMasks() {
    Picture bodyMask, pressedMask, knobMask, coverMask;
    util::Status applied = Load({{&bodyMask, kBackgroundMask},
                                 {&pressedMask, kPressedMask},
                                 {&knobMask, kKnobMask},
                                 {&coverMask, kCoverMask}});
    PLDIBSection lampMask;
    const QRect l = Scaled(g::kLampRect, scale_);
    if (applied)
        applied = PLFilterCrop(l.left(), l.top(), l.right() + 1, l.bottom() + 1)
                      .Apply(*bodyMask, lampMask);
    for (auto [picture, mask] : {std::pair{&background_, bodyMask.get()},
                                 {&pressed_, pressedMask.get()},
                                 {&knob_, knobMask.get()},
                                 {&lamp_, &lampMask},
                                 {&cover_, coverMask.get()}}) {
        if (applied)
            applied = (*picture)->SetAlphaFromMask(*mask);
    }
    if (!Succeeded(applied))
        return false;
    backgroundMask_ = std::move(bodyMask);
    knobMask_ = std::move(knobMask);
    backgroundImage_ = Premultiplied(*background_, scale_);
    pressedImage_ = Premultiplied(*pressed_, scale_);
    knobImage_ = Premultiplied(*knob_, scale_);
    lampImage_ = Premultiplied(*lamp_, scale_);
    coverImage_ = Premultiplied(*cover_, scale_);
    return true;
}

// The stored outline cuts the window's shape; inside it every picture is drawn whole.
void RadioSkin::UseUnmaskedPictures() {
    backgroundImage_ = Opaque(*background_, scale_);
    knobImage_ = Opaque(*knob_, scale_);
    lampImage_ = Opaque(*lamp_, scale_);
    coverImage_ = Opaque(*cover_, scale_);
    pressedImage_ = QImage();  // without the strip's mask the keys would show its edges
}

int RadioSkin::ClickTest(const QPoint& point) {
    if (exclusion_.contains(point))
        return 0;
    for (const auto& region : Regions()) {
        if (region->Contains(point))
            return region->Id();
    }
    return 0;
}

int RadioSkin::SectorAt(const QPoint& point) const {
    if (exclusion_.contains(point))
        return 0;
    for (const auto& region : Regions()) {
        if (region->Id() <= 32 && region->Contains(point))
            return region->Id();
    }
    return 0;
}

void RadioSkin::RestoreFromBackground(const QRect& rect) {
    QPainter p(&surface_);
    RestoreFromBackground(p, rect);
}

int RadioSkin::CurrentSlot() const {
    return currentSlot_ ? *currentSlot_ : 0;
}

void RadioSkin::DrawDial() {
    RestoreFromBackground(g::kDialRect);
    QPainter p(&surface_);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xFF, 0xCC, 0x33), 1));
    p.drawLine(g::NeedleLine(CurrentSlot()));
    dialDrawnFor_ = CurrentSlot();
}

void RadioSkin::DrawLamp() {
    lampDrawn_ = lampOn_;
    if (lampOn_ && !lampImage_.isNull()) {
        QPainter p(&surface_);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(g::kLampRect.topLeft(), lampImage_);
    } else if (lampOn_ && lamp_) {
        QPainter p(&surface_);
        p.drawImage(g::kLampRect.topLeft(), Premultiplied(*lamp_, scale_));
    } else {
        RestoreFromBackground(g::kLampRect);
    }
}

// Where the radio body is (mask above 50) the surface keeps the body; elsewhere the flap
// frame shows, premultiplied by its own alpha, never less opaque than the body's edge.
void RadioSkin::ComposeFlap() {
    if (!flap_ || !ReloadFlapPictures())
        return;
    const bool fresh = composedFrame_ < 0;
    composedFrame_ = flapFrame_;
    // In the pictures' own pixels: twice as many each way for pictures drawn twice as big.
    const int left = g::kFlapLeft * scale_, firstRow = g::kFlapFirstRow * scale_;
    const int width =
        std::min({flap_->GetWidth(), surface_.width() - left, backgroundMask_->GetWidth() - left});
    const int rows = std::max(
        std::min({flap_->GetHeight() - firstRow, surface_.height(), backgroundMask_->GetHeight()}),
        0);
    // Above the cabinet's controls nothing else draws, and a row without any alpha in this
    // frame and the last composes to what the surface holds already: while the flap rises,
    // most of the air above it is such rows.
    const int sharedFromRow =
        std::min({CoverArea().top(), WidenedVolumeTrack().top(), g::kStopButton.rect.top()}) *
        scale_;
    std::vector<bool> clear(static_cast<std::size_t>(rows));
    const bool sameRows = !fresh && clearRows_.size() == clear.size();
    int top = rows, bottom = 0;
    for (int row = 0; row < rows; ++row) {
        const auto* frame = reinterpret_cast<const std::uint32_t*>(flap_->GetLine(firstRow + row));
        const auto at = static_cast<std::size_t>(row);
        const auto frameRow = static_cast<std::size_t>(firstRow + row);
        clear[at] = frameRow < flapClearRows_.size() && flapClearRows_[frameRow];
        if (sameRows && row < sharedFromRow && clear[at] && clearRows_[at])
            continue;
        ComposeFlapRow(frame, backgroundMask_->GetLine(row) + left,
                       reinterpret_cast<std::uint32_t*>(surface_.scanLine(row)) + left, width,
                       g::kBodyMaskThreshold);
        top = std::min(top, row);
        bottom = row + 1;
    }
    clearRows_ = std::move(clear);
    flapArea_ = top < bottom ? QRect(g::kFlapLeft, top / scale_, std::max(width, 0) / scale_,
                                     (bottom + scale_ - 1) / scale_ - top / scale_)
                             : QRect();
    shapeChanged_ |= flapArea_;
}

void RadioSkin::DrawVolumeArea() {
    QPainter p(&surface_);
    const QImage knob = knobImage_.isNull() && knob_ ? Premultiplied(*knob_, scale_) : knobImage_;
    const QRect knobArea(g::kKnobOrigin + QPoint(knobOffset_, 0),
                         knob.deviceIndependentSize().toSize());
    if (flapFrame_ != 0 || coverImage_.isNull()) {
        RestoreFromBackground(p, WidenedVolumeTrack());
    } else {
        // At the left end the knob reaches past the cover: drawn again over itself there,
        // its soft edge would darken at every repaint.
        RestoreFromBackground(p, CoverArea().united(knobArea));
        p.drawImage(CoverArea().topLeft(), coverImage_);
    }
    p.drawImage(knobArea.topLeft(), knob);
}

void RadioSkin::DrawButtons(bool stopPressed, bool playPressed, bool mutePressed,
                            bool powerPressed) {
    if (pressedImage_.isNull())
        return;  // only a composed surface shows pressed keys
    const std::pair<const g::PushButton*, bool> buttons[] = {
        {&g::kStopButton, stopPressed},
        {&g::kPlayButton, playPressed},
        {&g::kMuteButton, mutePressed},
        {&g::kPowerButton, powerPressed},
    };
    QPainter p(&surface_);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (const auto& [button, pressed] : buttons) {
        const QRect& r = button->rect;
        if (pressed) {
            p.drawImage(r.topLeft(), pressedImage_,
                        Scaled(QRect(button->stripX, 0, r.width(), r.height()), scale_));
        } else {
            RestoreFromBackground(p, r);
        }
    }
    p.end();
    const QRect keys = g::kStopButton.rect.united(g::kPowerButton.rect);
    shapeChanged_ |= keys;  // the pressed strip's mask has edges of its own
    Show(keys);
}

int RadioSkin::StatusTextWidth() const {
    return statusTextWidth_;
}

void RadioSkin::SetFont(const QFont& font) {
    font_ = font;
    UpdateStatusTextMetrics();
}

void RadioSkin::UpdateStatusTextMetrics() {
    statusTextWidth_ = QFontMetrics(font_).horizontalAdvance(QString::fromStdString(statusText_));
    marquee_ = statusTextWidth_ > g::kStatusWidth;
    marqueeStrip_ = marquee_ ? RenderMarqueeStrip() : QImage();
    marqueePieces_.clear();
    if (marquee_ && marqueeStrip_.isNull())
        SplitMarqueeText();
}

bool RadioSkin::SetStatusText(const std::string& text) {
    statusText_ = text;
    UpdateStatusTextMetrics();
    marqueeOffset_ = 20;
    if (!surface_.isNull())
        DrawStatusLine();
    return marquee_;
}

void RadioSkin::MarqueeStep() {
    if (!surface_.isNull())
        DrawStatusLine();
}

QString RadioSkin::MarqueeText() const {
    // The text runs twice, joined by " - ", so its start follows its end seamlessly.
    const QString text = QString::fromStdString(statusText_);
    return text + QStringLiteral(" - ") + text;
}

// The running text is laid out and drawn once, into a strip the steps only move: shaping
// and drawing it 14 times a second cost the radio about one per cent of a core. A text too
// long for a strip of sensible size is split into pieces instead (SplitMarqueeText).
QImage RadioSkin::RenderMarqueeStrip() const {
    const QString text = MarqueeText();
    const int width = QFontMetrics(font_).horizontalAdvance(text) + 2;
    if (width > kMaxMarqueeStripWidth)
        return {};
    QImage strip(width * scale_, g::kStatusRect.height() * scale_,
                 QImage::Format_ARGB32_Premultiplied);
    strip.setDevicePixelRatio(scale_);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    p.setFont(font_);
    p.setPen(QColor::fromRgb(kStatusColour));
    p.drawText(QRect(0, 0, width, g::kStatusRect.height()),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    return strip;
}

namespace {
// The first grapheme boundary at or after `to`, the text's end at the latest.
qsizetype GraphemeEndAtOrAfter(QTextBoundaryFinder& graphemes, qsizetype to, qsizetype size) {
    graphemes.setPosition(std::min(to, size));
    if (!graphemes.isAtBoundary() && graphemes.toNextBoundary() < 0)
        return size;
    return graphemes.position();
}
}  // namespace

// The text is laid out in blocks of a few hundred letters, and each piece is placed where
// its block's layout puts it, so the pieces sit where drawing the whole text would put them
// (finding a place in a layout costs time in proportion to the letters before it, hence
// blocks rather than one layout). Pieces end on grapheme boundaries, so no accent or
// surrogate pair is torn from its letter.
void RadioSkin::SplitMarqueeText() {
    const QString text = MarqueeText();
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    QTextOption oneLine;
    oneLine.setWrapMode(QTextOption::NoWrap);
    qreal blockX = 0;
    for (qsizetype blockStart = 0; blockStart < text.size();) {
        const qsizetype blockEnd =
            GraphemeEndAtOrAfter(graphemes, blockStart + kMarqueeBlockChars, text.size());
        QTextLayout layout(text.mid(blockStart, blockEnd - blockStart), font_);
        layout.setTextOption(oneLine);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        if (!line.isValid())
            return;
        qreal x = 0;
        for (qsizetype start = blockStart; start < blockEnd;) {
            const qsizetype end =
                GraphemeEndAtOrAfter(graphemes, start + kMarqueePieceChars, blockEnd);
            const qreal endX = end < blockEnd ? line.cursorToX(static_cast<int>(end - blockStart))
                                              : line.naturalTextWidth();
            marqueePieces_.push_back({blockX + x, endX - x, text.mid(start, end - start)});
            x = endX;
            start = end;
        }
        blockX += line.naturalTextWidth();
        blockStart = blockEnd;
    }
}

void RadioSkin::DrawVisibleMarqueePieces(QPainter& painter, const QRect& status) const {
    const qreal left = -marqueeOffset_;  // the part of the text at the line's left edge
    const qreal right = left + status.width();
    // The first piece that reaches into the line: pieces are ordered by their place.
    auto piece =
        std::partition_point(marqueePieces_.begin(), marqueePieces_.end(),
                             [left](const MarqueePiece& p) { return p.x + p.width < left; });
    for (; piece != marqueePieces_.end() && piece->x <= right; ++piece) {
        // A little room on the right, so a glyph that overhangs its advance is not cut.
        const QRectF area(status.left() + marqueeOffset_ + piece->x, status.top(),
                          piece->width + status.height(), status.height());
        painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, piece->text);
    }
}

void RadioSkin::DrawStatusLine() {
    const QRect& status = g::kStatusRect;
    QPainter p(&surface_);
    RestoreFromBackground(p, status);
    p.setFont(font_);
    p.setPen(QColor::fromRgb(kStatusColour));
    if (!marquee_) {
        p.drawText(status, Qt::AlignCenter | Qt::TextSingleLine,
                   QString::fromStdString(statusText_));
    } else {
        p.setClipRect(status);
        if (!marqueeStrip_.isNull()) {
            p.drawImage(status.topLeft() + QPoint(marqueeOffset_, 0), marqueeStrip_);
        } else {
            DrawVisibleMarqueePieces(p, status);
        }
        marqueeOffset_ -= 1;
        if (marqueeOffset_ < -statusTextWidth_)
            marqueeOffset_ = 0;
    }
    p.end();
    Show(status);
}

bool RadioSkin::StepFlap(bool open) {
    const int next = std::clamp(flapFrame_ + (open ? 1 : -1), 0, g::kFlapLastFrame);
    if (next != flapFrame_ && flap_) {
        // A frame that fails is shown, and the flap keeps moving so power off still ends
        // the program.
        Succeeded(LoadFlapFrame(next));
        flapFrame_ = next;
    }
    return open ? flapFrame_ == g::kFlapLastFrame : flapFrame_ == 0;
}

void RadioSkin::Paint() {
    if (surface_.isNull())
        return;
    // The dial and the lamp are drawn again only when they changed: nothing else draws
    // there, and at a flap step they are most of what would otherwise be repainted.
    const bool lampChanged = lampDrawn_ != lampOn_;
    if (lampChanged)
        DrawLamp();
    const bool dialChanged = dialDrawnFor_ != CurrentSlot();
    if (dialChanged)
        DrawDial();
    // Nothing else draws where the flap shows (the keys sit wholly on the cabinet), so an
    // unchanged frame stays composed.
    const bool flapMoved = composed_ && composedFrame_ != flapFrame_;
    if (flapMoved)
        ComposeFlap();
    DrawVolumeArea();
    // The window repaints only what was drawn (and, translucent, reads its shape there).
    if (lampChanged)
        Show(g::kLampRect);
    if (dialChanged)
        Show(g::kDialRect);
    Show(VolumeArea());
    if (flapMoved)
        Show(flapArea_);
}

void RadioSkin::Show(const QRect& changed) {
    if (!layered_ && composed_)
        ShowOutlineShape();
    if (!window_)
        return;
    if (layered_) {
        layeredWindow_->UpdateFromSurface(surface_, changed);
    } else {
        window_->update(changed);
    }
}

// Only the rows where a drawing may have changed the surface's alpha (the flap, the keys)
// are read again, and the window's shape is set only when they changed it. Everything else
// is drawn onto the opaque cabinet, or restored from it, and leaves the shape alone.
void RadioSkin::ShowOutlineShape() {
    const QRect rows = shapeChanged_.intersected(WindowRect());
    shapeChanged_ = QRect();
    if (rows.isEmpty() && !outlineShape_.Empty())
        return;
    if (outlineShape_.Update(surface_, rows.top(), rows.bottom() + 1) && window_)
        window_->setMask(outlineShape_.Region());
}

std::pair<const QImage*, QRect> RadioSkin::WindowPixels(const QRect& inside) const {
    const QRect pixels = Scaled(inside, scale_);
    if (layered_)
        return {&surface_, pixels};
    // The converted pixels go through a picture kept between paints: a fresh one of the
    // flap's size at each step would cost as much again in allocation and first touches as
    // the conversion. It grows to the largest area painted, and goes when the flap comes to
    // rest.
    if (opaqueColours_.width() < pixels.width() || opaqueColours_.height() < pixels.height() ||
        opaqueColours_.devicePixelRatio() != surface_.devicePixelRatio()) {
        opaqueColours_ =
            QImage(pixels.size().expandedTo(opaqueColours_.size()), QImage::Format_RGB32);
        opaqueColours_.setDevicePixelRatio(surface_.devicePixelRatio());
    }
    ConvertToOpaqueColours(surface_, pixels, opaqueColours_);
    return {&opaqueColours_, QRect(QPoint(0, 0), pixels.size())};
}

void RadioSkin::PaintWindow(QPainter& painter, const QRect& area) const {
    const QRect inside = area.intersected(WindowRect());
    if (surface_.isNull() || inside.isEmpty())
        return;
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const auto [image, source] = WindowPixels(inside);
    painter.drawImage(inside.topLeft(), *image, source);
}

void RadioSkin::DrawOnScreen(const QRegion& region) {
    if (surface_.isNull() || !window_)
        return;
    // On a screen of another density the window's pixels are no longer the surface's.
    if (!qFuzzyCompare(window_->devicePixelRatioF(), static_cast<qreal>(scale_))) {
        onScreen_.TurnOff();
        return;
    }
    for (const QRect& area : region) {
        const QRect inside = area.intersected(WindowRect());
        if (inside.isEmpty())
            continue;
        const auto [image, source] = WindowPixels(inside);
        if (!onScreen_.Show(*image, source, Scaled(inside, scale_).topLeft()))
            return;
    }
}

}  // namespace radio
