#pragma once
// Review pictures of the finished skin, built from the files the radio will load (read back
// after encoding, so JPEG loss shows): the radio composed the way its window draws itself,
// and a contact sheet of every picture.

#include <QImage>
#include <QString>
#include <vector>

namespace skin {

struct SkinPictures {
    QImage background, backgroundMask;
    QImage pressed, pressedMask;
    QImage knob, knobMask;
    QImage lamp;
    QImage cover, coverMask;
    std::vector<QImage> flap, flapMask;
    QImage about, closeNormal, closeHover, splash, menuStrip, icon;
};

struct RadioState {
    int flapFrame = 0;
    bool lampLit = false;
    bool stop = false, play = false, mute = false, power = false;
    int slot = 0;
    int knobOffset = 0;
    QString status;
};

// The window's 32-bit surface (premultiplied) for the given state.
QImage ComposeRadio(const SkinPictures& pictures, const RadioState& state);

// Flap frames 0, 17 and 34 side by side, each over a checkerboard, with captions.
QImage ComposedPreview(const SkinPictures& pictures);

QImage ContactSheet(const SkinPictures& pictures);

// An 8-bit grey or palette picture's raw values as Grayscale8.
QImage GreyValues(const QImage& image);

}  // namespace skin
