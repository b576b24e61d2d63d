#include "ui/WindowEffects.h"

#include "platform/system/Display.h"
#include "ui/VersionCode.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QPropertyAnimation>
#include <QThread>

#include <cmath>

namespace ui {

namespace {
// Which way a slide goes: +1/-1 per axis, 0 for an axis that does not move.
struct Direction {
    int dx = 0, dy = 0;
};

bool DirectionFor(int effect, int code, Direction& d) {
    switch (effect) {
        case 1:
            if (code != 1 && code != 2)
                return false;
            d = {code == 1 ? 1 : -1, 0};
            return true;
        case 2:
            if (code != 3 && code != 4)
                return false;
            d = {0, code == 3 ? 1 : -1};
            return true;
        case 3:
            if (code < 5 || code > 8)
                return false;
            d = {code == 5 || code == 6 ? 1 : -1, code == 5 || code == 7 ? 1 : -1};
            return true;
        default:
            return false;
    }
}

// The collapsed rectangle a slide starts from (or ends at): the edge the motion comes from.
QRect Collapsed(const QRect& full, Direction d) {
    QRect r = full;
    if (d.dx > 0)
        r.setRight(r.left());
    if (d.dx < 0)
        r.setLeft(r.right());
    if (d.dy > 0)
        r.setBottom(r.top());
    if (d.dy < 0)
        r.setTop(r.bottom());
    return r;
}

const char* OpenDirectionError(int effect) {
    switch (effect) {
        case 1:
            return "CWndSpecialFX::OpenWindow( )\nEffect: OW_HORIZONTAL\n\nNo proper direction "
                   "defined...";
        case 2:
            return "CWndSpecialFX::OpenWindow( )\nEffect: OW_VERTICAL\n\nNo proper direction "
                   "defined...";
        default:
            return "CWndSpecialFX::OpenWindow( )\nEffect: OW_DIAGONAL\n\nNo proper start corner "
                   "defined...";
    }
}

const char* CloseDirectionError(int effect) {
    switch (effect) {
        case 1:
            return "CWndSpecialFX::CloseWindow( )\nEffect: CW_HORIZONTAL\n\nNo proper direction "
                   "defined...";
        case 2:
            return "CWndSpecialFX::CloseWindow( )\nEffect: CW_VERTICAL\n\nNo proper direction "
                   "defined...";
        default:
            return "CWndSpecialFX::CloseWindow( )\nEffect: CW_DIAGONAL\n\nNo proper start corner "
                   "defined...";
    }
}
}  // namespace

// Switches the user's animation settings on for one call when asked to.
struct CWndSpecialFX::Forcing {
    Forcing(Capabilities& caps, bool force) : caps_(caps) {
        if (!force)
            return;
        forcedAnimation_ = !caps.menuAnimation;
        forcedFade_ = !caps.selectionFade;
        caps.menuAnimation = caps.selectionFade = true;
    }
    ~Forcing() {
        if (forcedAnimation_)
            caps_.menuAnimation = false;
        if (forcedFade_)
            caps_.selectionFade = false;
    }
    Capabilities& caps_;
    bool forcedAnimation_ = false, forcedFade_ = false;
};

CWndSpecialFX::CWndSpecialFX() {
    const int code = ui::GetOSVersionCode();
    caps_.menuAnimation = QApplication::isEffectEnabled(Qt::UI_AnimateMenu);
    caps_.selectionFade = QApplication::isEffectEnabled(Qt::UI_FadeMenu);
    caps_.canAnimate = code >= 3;
    caps_.canBlend = code >= 6 && platform::DisplayComposites();
    caps_.canLayer = caps_.canBlend && platform::ScreenDepth() > 8;
    caps_.canShadow = code >= 7;
}

CWndSpecialFX::CWndSpecialFX(const Capabilities& capabilities) : caps_(capabilities) {}

CWndSpecialFX::FadeSteps CWndSpecialFX::ComputeFadeSteps(int alphaFrom, int alphaTo,
                                                         unsigned time) {
    FadeSteps s;
    const unsigned span = static_cast<unsigned>(alphaTo - alphaFrom) & 0xFF;
    if (span == 0 || time == 0)
        return s;  // nothing to spread: one step, no pause
    unsigned delay = 0;
    if (span < time)
        delay = static_cast<unsigned>(std::trunc(double(time) / span + 0.5));
    if (delay == 0)
        s.step = static_cast<std::uint8_t>(std::trunc(double(span) / time + 0.5));
    if (s.step == 0)
        s.step = 1;
    const int distance = std::abs(alphaTo - alphaFrom);
    s.pauseMs =
        distance == 0 ? 0 : static_cast<unsigned>(s.step) * delay / static_cast<unsigned>(distance);
    return s;
}

int CWndSpecialFX::Error(const char* text) const {
    if (reporter_)
        reporter_({text, "Error:", util::MessageIcon::Stop, util::MessageButtons::Ok});
    return 0;
}

int CWndSpecialFX::OpenWindow(QWidget* window, int effect, int direction, int dropShadow, int force,
                              int slide, unsigned time, int alphaFrom, int alphaTo) {
    if (!window)
        return 0;
    Forcing forcing(caps_, force == 1);
    (void)dropShadow;  // Qt windows get the platform's own shadow
    const int result = RunOpen(window, effect, direction, slide, time, alphaFrom, alphaTo);
    window->update();
    return result;
}

int CWndSpecialFX::CloseWindow(QWidget* window, int effect, int direction, int force, int slide,
                               unsigned time, int alphaFrom, int alphaTo) {
    if (!window)
        return 0;
    Forcing forcing(caps_, force == 1);
    return RunClose(window, effect, direction, slide, time, alphaFrom, alphaTo);
}

int CWndSpecialFX::RunOpen(QWidget* w, int effect, int direction, int slide, unsigned time,
                           int alphaFrom, int alphaTo) {
    const auto fallback = [w] {
        if (w->isVisible())
            w->show();
        return 0;
    };
    Direction d;
    switch (effect) {
        case OW_SHOW:
            w->show();
            return 1;
        case OW_HORIZONTAL:
        case OW_VERTICAL:
        case OW_DIAGONAL:
            if (!DirectionFor(effect, direction, d))
                return Error(OpenDirectionError(effect));
            if (!caps_.menuAnimation || !caps_.canAnimate)
                return fallback();
            (void)slide;
            return Animate(w, Collapsed(w->geometry(), d), w->geometry(), time, false);
        case OW_CENTER:
            if (!caps_.menuAnimation || !caps_.canAnimate)
                return fallback();
            return Animate(w, QRect(w->geometry().center(), QSize(1, 1)), w->geometry(), time,
                           false);
        case OW_BLEND:
            if (!caps_.selectionFade || !caps_.canBlend)
                return fallback();
            return Blend(w, 0.0, 1.0, time, false);
        case OW_TRANSPARENT:
            if (!caps_.menuAnimation || !caps_.canLayer)
                return fallback();
            w->setWindowOpacity(alphaTo / 255.0);
            return 1;
        case OW_FADE:
            if (!caps_.selectionFade)
                return fallback();
            if (!caps_.canLayer) {
                if (caps_.canBlend)
                    Blend(w, 0.0, 1.0, time, false);
                else
                    fallback();
                return 0;
            }
            return FadeIn(w, alphaFrom, alphaTo, time);
        default:
            return Error("CWndSpecialFX::OpenWindow( )\n\nNo proper effect defined...");
    }
}

int CWndSpecialFX::RunClose(QWidget* w, int effect, int direction, int slide, unsigned time,
                            int alphaFrom, int alphaTo) {
    const auto fallback = [w] {
        w->hide();
        return 0;
    };
    Direction d;
    switch (effect) {
        case CW_HIDE:
            w->hide();
            return 1;
        case CW_HORIZONTAL:
        case CW_VERTICAL:
        case CW_DIAGONAL:
            if (!DirectionFor(effect, direction, d))
                return Error(CloseDirectionError(effect));
            if (!caps_.menuAnimation || !caps_.canAnimate)
                return fallback();
            (void)slide;
            return Animate(w, w->geometry(), Collapsed(w->geometry(), d), time, true);
        case CW_CENTER:
            if (!caps_.menuAnimation || !caps_.canAnimate)
                return fallback();
            return Animate(w, w->geometry(), QRect(w->geometry().center(), QSize(1, 1)), time,
                           true);
        case CW_BLEND:
            if (!caps_.selectionFade || !caps_.canBlend)
                return fallback();
            return Blend(w, w->windowOpacity(), 0.0, time, true);
        case CW_FADE:
            if (!caps_.selectionFade || !caps_.canLayer) {
                if (caps_.selectionFade && caps_.canBlend)
                    Blend(w, w->windowOpacity(), 0.0, time, true);
                else
                    fallback();
                return 0;
            }
            return FadeOut(w, alphaFrom, alphaTo, time);
        default:
            return Error("CWndSpecialFX::CloseWindow( )\n\nNo proper effect defined...");
    }
}

// Geometry animations run while the event loop goes on; a closing one hides the window
// at its end and puts the geometry back, so the window can be shown again.
int CWndSpecialFX::Animate(QWidget* w, const QRect& from, const QRect& to, unsigned time,
                           bool hideAtEnd) {
    const QRect original = hideAtEnd ? from : to;
    auto* animation = new QPropertyAnimation(w, "geometry", w);
    animation->setDuration(static_cast<int>(time));
    animation->setStartValue(from);
    animation->setEndValue(to);
    QObject::connect(animation, &QPropertyAnimation::finished, w, [w, original, hideAtEnd] {
        if (hideAtEnd)
            w->hide();
        w->setGeometry(original);
    });
    if (!hideAtEnd) {
        w->setGeometry(from);
        w->show();
    }
    animation->start(QAbstractAnimation::DeleteWhenStopped);
    return 1;
}

int CWndSpecialFX::Blend(QWidget* w, qreal from, qreal to, unsigned time, bool hideAtEnd) {
    auto* animation = new QPropertyAnimation(w, "windowOpacity", w);
    animation->setDuration(static_cast<int>(time));
    animation->setStartValue(from);
    animation->setEndValue(to);
    QObject::connect(animation, &QPropertyAnimation::finished, w, [w, hideAtEnd] {
        if (hideAtEnd) {
            w->hide();
            w->setWindowOpacity(1.0);
        }
    });
    if (!hideAtEnd) {
        w->setWindowOpacity(from);
        w->show();
    }
    animation->start(QAbstractAnimation::DeleteWhenStopped);
    return 1;
}

int CWndSpecialFX::FadeIn(QWidget* w, int alphaFrom, int alphaTo, unsigned time) {
    abortFade_ = false;  // a finished fade-out must not block later fade-ins
    const FadeSteps s = ComputeFadeSteps(alphaFrom, alphaTo, time);
    w->setWindowOpacity(0.0);
    w->showNormal();
    QPointer<QWidget> guard(w);
    for (int alpha = alphaFrom; alpha <= alphaTo; alpha += s.step) {
        QElapsedTimer tick;
        tick.start();
        if (abortFade_)
            return 0;
        w->setWindowOpacity(alpha / 255.0);
        QCoreApplication::processEvents();
        if (!guard || !guard->isVisible())
            return 1;  // closed during the fade
        const qint64 left = static_cast<qint64>(s.pauseMs) - tick.elapsed();
        if (left > 0)
            QThread::msleep(static_cast<unsigned long>(left));
    }
    return 1;
}

int CWndSpecialFX::FadeOut(QWidget* w, int alphaFrom, int alphaTo, unsigned time) {
    abortFade_ = true;  // stops a fade-in still running on this object
    const FadeSteps s = ComputeFadeSteps(alphaFrom, alphaTo, time);
    for (int alpha = alphaFrom; alpha >= alphaTo; alpha -= s.step) {
        QElapsedTimer tick;
        tick.start();
        w->setWindowOpacity(alpha / 255.0);
        const qint64 left = static_cast<qint64>(s.pauseMs) - tick.elapsed();
        if (left > 0)
            QThread::msleep(static_cast<unsigned long>(left));
    }
    return 1;
}

}  // namespace ui
