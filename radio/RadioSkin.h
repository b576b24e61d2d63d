#pragma once
// The radio's face: its pictures, hot spots and the 32-bit surface everything is composed
// on. The surface is kept premultiplied, ready for a translucent window. Without
// translucency (outline mode) the same surface is composed and the window is cut to its
// opaque pixels, so the pressed keys and the moving flap show there too; the stored
// outline is the window's shape only until a composed surface exists.

#include "radio/BackgroundPatches.h"
#include "ui/HotRegion.h"
#include "ui/LayeredWindow.h"
#include "ui/OnScreenDrawing.h"
#include "ui/OpaqueShape.h"
#include "util/Result.h"

#include <QFont>
#include <QImage>

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace picture {
class PLDIBSection;
}

namespace radio {

class RadioSkin : public ui::CSkinBase {
  public:
    // `layered` decides translucency; by default the display is asked.
    explicit RadioSkin(std::unique_ptr<ui::CLayeredWindow> layered = nullptr);
    ~RadioSkin() override;

    // The size of pictures to show: 2 for those drawn twice as big (a window's device pixel
    // ratio of 1.5 or more), else 1. Set before SetUp(); a change later loads them again and,
    // once attached, composes the window again (the keys are drawn by the next DrawButtons).
    void SetScale(int scale);
    int Scale() const { return scale_; }
    // Loads the pictures and builds the hot spots. False (after a message box with the
    // decoder's text) when a picture cannot be decoded; the skin then stays incomplete.
    [[nodiscard]] bool SetUp();
    // Decides translucency and, when the display offers it, makes the window translucent.
    // Must run before anything creates the window's native window (a child window, a
    // transient, a window id): X11 fixes a window's visual when it is created, and a
    // window created 24-bit shows every see-through pixel as black.
    void PrepareWindow(QWidget* window);
    // Layered mode when possible (masks applied), else the outline; composes the surface.
    [[nodiscard]] bool Attach(QWidget* window) override;
    // The hot spot id (1-38) under a window point, or 0 (the hub exclusion counts as none).
    int ClickTest(const QPoint& point) override;
    // Recomposes the dial, lamp, flap and volume area and shows the surface.
    void Paint() override;

    // The dial sector (1-32) under the point outside the hub exclusion, or 0.
    int SectorAt(const QPoint& point) const;

    void LinkCurrentSlot(const int* slot) { currentSlot_ = slot; }
    void SetFont(const QFont& font);

    // Takes a new status text; true when it is wider than the status line (marquee).
    bool SetStatusText(const std::string& text);
    void MarqueeStep();
    bool Marquee() const { return marquee_; }
    int MarqueeOffset() const { return marqueeOffset_; }
    const std::string& StatusText() const { return statusText_; }
    int StatusTextWidth() const;

    void DrawButtons(bool stopPressed, bool playPressed, bool mutePressed, bool powerPressed);
    void SetLamp(bool on) { lampOn_ = on; }
    void SetKnobOffset(int offset) { knobOffset_ = offset; }
    int KnobOffset() const { return knobOffset_; }

    // One flap step towards open or closed; loads the frame. True when the end is reached.
    bool StepFlap(bool open);
    // The flap rests: its pictures are let go until it moves again.
    void ReleaseFlapPictures();
    int FlapFrame() const { return flapFrame_; }

    // The window the skin was attached to, or null.
    QWidget* Window() const { return window_; }
    bool Layered() const { return layered_; }
    // The surface holds the pictures composed through their masks (translucent mode, and
    // outline mode once the masks decoded).
    bool Composed() const { return composed_; }
    // Outline mode: the window's shape, the surface's pixels with alpha above one half.
    const QRegion& OutlineShape() const { return outlineShape_.Region(); }
    bool Complete() const { return complete_; }
    const QImage& Surface() const { return surface_; }
    // Paints the surface into the window (its paint event).
    void PaintWindow(QPainter& painter, const QRect& area) const;
    // The window is drawn straight from the surface, with no painter and no window buffer
    // (X11); decided when the window is prepared.
    bool DrawsOnScreen() const { return onScreen_.On(); }
    // Writes the surface's `region` into the window (its paint event when drawing on screen).
    void DrawOnScreen(const QRegion& region);

  private:
    void BuildHotspots();
    bool ApplyMasks();
    void UseUnmaskedPictures();
    void ShowOutlineShape();
    void ReleaseSourcePictures();
    bool ReloadFlapPictures();
    void KeepBackgroundPatches();
    QRect CoverArea() const;
    static QRect WindowRect();
    using Picture = std::unique_ptr<picture::PLDIBSection>;
    // Loads the pictures in turn into their places; stops at the first that fails.
    util::Status Load(std::initializer_list<std::pair<Picture*, int>> pictures) const;
    QRect VolumeArea() const;
    static QRect WidenedVolumeTrack();
    void RestoreFromBackground(QPainter& painter, const QRect& rect) const;
    bool ReloadReleasedPictures();
    util::Status LoadFlapFrame(int frame);
    void RestoreFromBackground(const QRect& rect);
    int CurrentSlot() const;
    void DrawDial();
    void DrawLamp();
    void ComposeFlap();
    void DrawVolumeArea();
    void DrawStatusLine();
    void UpdateStatusTextMetrics();
    QString MarqueeText() const;
    QImage RenderMarqueeStrip() const;
    void SplitMarqueeText();
    void DrawVisibleMarqueePieces(QPainter& painter, const QRect& status) const;
    void Show(const QRect& changed);
    // The window's pixels of `inside` (layout pixels): the image that holds them and where.
    std::pair<const QImage*, QRect> WindowPixels(const QRect& inside) const;

    std::unique_ptr<ui::CLayeredWindow> layeredWindow_;
    QRegion exclusion_;  // over the needle's hub nothing is hot
    QWidget* window_ = nullptr;
    bool complete_ = false;
    bool layered_ = false;
    bool prepared_ = false;  // the translucency decision has been made for window_
    bool composed_ = false;
    int scale_ = 1;
    ui::OpaqueShape outlineShape_;
    QRect shapeChanged_;  // where the surface's alpha may have changed since it was read
    QRect flapArea_;      // where the flap is composed

    Picture background_, backgroundMask_, pressed_, knob_, knobMask_, lamp_, cover_, flap_;
    // Premultiplied (masked in layered mode, opaque otherwise); only while attaching, then
    // only the patches the window repaints are kept.
    QImage backgroundImage_;
    BackgroundPatches backgroundPatches_;
    QImage pressedImage_, knobImage_, lampImage_, coverImage_;
    QImage surface_;
    mutable QImage opaqueColours_;  // without translucency: room for what PaintWindow converts
    ui::COnScreenDrawing onScreen_;

    QFont font_;
    const int* currentSlot_ = nullptr;
    int flapFrame_ = 0;
    int composedFrame_ = -1;           // the flap frame on the surface; -1: none yet
    std::vector<bool> clearRows_;      // the rows of that frame without any alpha
    std::vector<bool> flapClearRows_;  // the same for the frame loaded, by its own rows
    bool lampOn_ = false;
    // What the surface shows of the lamp and the needle; nothing when not drawn since the
    // surface was made.
    std::optional<bool> lampDrawn_;
    std::optional<int> dialDrawnFor_;
    int knobOffset_ = 0;
    std::string statusText_;
    int statusTextWidth_ = 0;
    QImage marqueeStrip_;  // the running text, drawn once per text
    // A running text too long for a strip, in pieces laid out once per text: a step draws
    // only the pieces that show, so its cost does not grow with the text.
    struct MarqueePiece {
        qreal x;
        qreal width;
        QString text;
    };
    std::vector<MarqueePiece> marqueePieces_;
    bool marquee_ = false;
    int marqueeOffset_ = 0;
};

}  // namespace radio
