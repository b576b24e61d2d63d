#pragma once
// Shows and hides top-level windows with an effect: sliding in from a side or corner,
// growing from the centre, blending, or a stepwise fade. What the desktop allows (menu
// animation, fading) is read once per object; an effect that is not available falls back
// to a plain show or hide.

#include "util/MessageBox.h"

#include <QWidget>

#include <functional>

namespace ui {

class CWndSpecialFX {
  public:
    enum OpenEffect {
        OW_SHOW,
        OW_HORIZONTAL,
        OW_VERTICAL,
        OW_DIAGONAL,
        OW_CENTER,
        OW_BLEND,
        OW_TRANSPARENT,
        OW_FADE
    };
    enum CloseEffect {
        CW_HIDE,
        CW_HORIZONTAL,
        CW_VERTICAL,
        CW_DIAGONAL,
        CW_CENTER,
        CW_BLEND,
        CW_FADE
    };

    struct Capabilities {
        bool menuAnimation = false;
        bool selectionFade = false;
        bool canAnimate = false;
        bool canBlend = false;
        bool canLayer = false;
        bool canShadow = false;
    };

    CWndSpecialFX();  // reads the desktop's settings and the display's abilities
    explicit CWndSpecialFX(const Capabilities& capabilities);

    // A call with codes that name no effect or direction returns 0 and describes the mistake
    // to the reporter, for the owner to show; without one it is only returned.
    using MessageReporter = std::function<void(const util::MessageRequest&)>;
    void SetMessageReporter(MessageReporter reporter) { reporter_ = std::move(reporter); }

    int OpenWindow(QWidget* window, int effect, int direction, int dropShadow, int force, int slide,
                   unsigned time, int alphaFrom, int alphaTo);
    int CloseWindow(QWidget* window, int effect, int direction, int force, int slide, unsigned time,
                    int alphaFrom, int alphaTo);

    // The per-step alpha increment and pause of a layered fade; guarded against a zero span
    // or time (a plain single step without pause).
    struct FadeSteps {
        int step = 1;
        unsigned pauseMs = 0;
    };
    static FadeSteps ComputeFadeSteps(int alphaFrom, int alphaTo, unsigned time);

  private:
    struct Forcing;
    int RunOpen(QWidget* w, int effect, int direction, int slide, unsigned time, int alphaFrom,
                int alphaTo);
    int RunClose(QWidget* w, int effect, int direction, int slide, unsigned time, int alphaFrom,
                 int alphaTo);
    int Animate(QWidget* w, const QRect& from, const QRect& to, unsigned time, bool hideAtEnd);
    int Blend(QWidget* w, qreal from, qreal to, unsigned time, bool hideAtEnd);
    int FadeIn(QWidget* w, int alphaFrom, int alphaTo, unsigned time);
    int FadeOut(QWidget* w, int alphaFrom, int alphaTo, unsigned time);
    int Error(const char* text) const;

    Capabilities caps_;
    bool abortFade_ = false;
    MessageReporter reporter_;
};

}  // namespace ui
