// skin: turns the artwork in tools/skin/art into the radio's resources in res/ and the
// review pictures in docs/. Same art in, same bytes out.
//
//   skin --art DIR --res DIR --docs DIR [--rsvg PROGRAM]

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <stdexcept>

#include "tools/skin/Encoders.h"
#include "tools/skin/Outline.h"
#include "tools/skin/Pictures.h"
#include "tools/skin/Preview.h"
#include "tools/skin/SkinLayout.h"
#include "tools/skin/SvgRenderer.h"

namespace skin {
namespace {

constexpr int kJpegQuality = 90;
const QColor kMenuBackground(0xF4, 0xF0, 0xE8);

struct Options {
    QString art, res, docs, rsvg = QStringLiteral("rsvg-convert");
};

Options ParseArguments(const QStringList& args) {
    Options options;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        const QString& name = args[i];
        const QString& value = args[i + 1];
        if (name == QLatin1String("--art"))
            options.art = value;
        else if (name == QLatin1String("--res"))
            options.res = value;
        else if (name == QLatin1String("--docs"))
            options.docs = value;
        else if (name == QLatin1String("--rsvg"))
            options.rsvg = value;
        else
            throw std::invalid_argument("unknown option " + name.toStdString());
    }
    if (options.art.isEmpty() || options.res.isEmpty() || options.docs.isEmpty()) {
        throw std::invalid_argument("usage: skin --art DIR --res DIR --docs DIR [--rsvg PROGRAM]");
    }
    return options;
}

class Output {
  public:
    explicit Output(QString root) : root_(std::move(root)) {}

    QByteArray Write(const QString& relative, const QByteArray& bytes) {
        const QString path = root_ + QLatin1Char('/') + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size()) {
            throw std::runtime_error("cannot write " + path.toStdString());
        }
        total_ += bytes.size();
        return bytes;
    }

    qint64 Total() const { return total_; }

  private:
    QString root_;
    qint64 total_ = 0;
};

void Expect(bool condition, const std::string& what) {
    if (!condition)
        throw std::runtime_error("artwork check failed: " + what);
}

QImage Decoded(const QByteArray& bytes) {
    QImage image = QImage::fromData(bytes);
    Expect(!image.isNull(), "an encoded picture does not decode");
    return image;
}

// Where the flap stands in frame n: eased in and out, so it starts and stops gently.
double FlapDrop(int n) {
    const double t = static_cast<double>(n) / (kFlapFrames - 1);
    const double eased = 0.5 - 0.5 * std::cos(std::numbers::pi * t);
    return kFlapTravel * (1.0 - eased);
}

QByteArray MovedFlap(const QByteArray& svg, double drop) {
    const QByteArray anchor = "id=\"slide\" transform=\"translate(0,0)\"";
    Expect(svg.count(anchor) == 1, "flap.svg has exactly one group \"slide\" at translate(0,0)");
    QByteArray moved = svg;
    moved.replace(
        anchor, "id=\"slide\" transform=\"translate(0," + QByteArray::number(drop, 'f', 3) + ")\"");
    return moved;
}

// A rectangle of the 606 x 520 layout in the pixels of a picture drawn `scale` times as big.
QRect Scaled(const QRect& r, int scale) {
    return QRect(r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale);
}

// Where a picture goes: its name at the layout's own size, with "@2x" before the suffix for
// the picture drawn twice as big (the convention Qt and the desktops use).
QString At(const QString& name, int scale) {
    if (scale == 1)
        return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return name.left(dot) + QStringLiteral("@%1x").arg(scale) + name.mid(dot);
}

// Every picture the radio loads, drawn at `scale` times the layout's size. At scale 1 the
// pictures, their review copies in `pics` and the outline; at scale 2 the same pictures for
// screens of twice the density, cut at the same places of the same drawing.
void GeneratePictures(const SvgRenderer& renderer, Output& res, int scale, SkinPictures* pics) {
    SkinPictures unused;
    SkinPictures& p = pics ? *pics : unused;
    const auto render = [&](const QString& art, const QStringList& css, int width, int height) {
        // At the layout's size the drawing's own size is asked for, as it always was.
        return scale == 1 ? renderer.Render(art, css)
                          : renderer.Render(art, css, width * scale, height * scale);
    };
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        return res.Write(At(name, scale), bytes);
    };

    std::printf("rendering the radio at %dx...\n", scale);
    const QImage radio = render(QStringLiteral("radio.svg"), {}, kWindowWidth, kWindowHeight);
    const QImage pressed = render(QStringLiteral("radio.svg"), {QStringLiteral("pressed.css")},
                                  kWindowWidth, kWindowHeight);
    const QImage lit = render(QStringLiteral("radio.svg"), {QStringLiteral("lit.css")},
                              kWindowWidth, kWindowHeight);
    const QImage off = render(QStringLiteral("radio.svg"), {QStringLiteral("off.css")},
                              kWindowWidth, kWindowHeight);
    Expect(radio.width() == kWindowWidth * scale && radio.height() == kWindowHeight * scale,
           "radio.svg is 606 x 520");

    QImage bodyMask = AlphaOf(radio);
    ClearOutside(bodyMask, Scaled(kBody, scale));
    Expect(BoundsAbove(bodyMask, kOutlineThreshold) == Scaled(kBody, scale),
           "the cabinet fills (7,125)-(473,505) exactly");
    p.background = Decoded(write(QStringLiteral("pictures/background.jpg"),
                                 EncodeJpeg(ColourOf(radio), kJpegQuality)));
    p.backgroundMask = GreyValues(
        Decoded(write(QStringLiteral("pictures/background-mask.bmp"), EncodeGreyMask(bodyMask))));
    if (scale == 1) {
        // The outline is the window's shape in layout pixels, whatever the screen.
        res.Write(QStringLiteral("outline/outline.rgn"),
                  EncodeRgnData(OutlineRectangles(bodyMask, kOutlineThreshold)));
    }

    const QImage strip = pressed.copy(Scaled(kPressedStrip, scale));
    p.pressed = Decoded(write(QStringLiteral("pictures/buttons-pressed.jpg"),
                              EncodeJpeg(ColourOf(strip), kJpegQuality)));
    p.pressedMask = GreyValues(Decoded(write(QStringLiteral("pictures/buttons-pressed-mask.bmp"),
                                             EncodeGreyMask(AlphaOf(strip)))));
    p.lamp = Decoded(write(QStringLiteral("pictures/lamp-lit.jpg"),
                           EncodeJpeg(ColourOf(lit.copy(Scaled(kLamp, scale))), kJpegQuality)));

    // The cover shows the switched-off volume scale; its mask is where that differs.
    const QImage cover = off.copy(Scaled(kFlapCover, scale));
    p.cover = Decoded(write(QStringLiteral("pictures/flap-cover.jpg"),
                            EncodeJpeg(ColourOf(cover), kJpegQuality)));
    const QImage coverMask = DifferenceMask(cover, radio.copy(Scaled(kFlapCover, scale)));
    Expect(BoundsAbove(coverMask, 0).isValid(), "the switched-off radio differs under the cover");
    p.coverMask = GreyValues(
        Decoded(write(QStringLiteral("pictures/flap-cover-mask.bmp"), EncodeGreyMask(coverMask))));

    const QImage knob = render(QStringLiteral("knob.svg"), {}, kKnobWidth, kKnobMaskHeight);
    Expect(knob.width() == kKnobWidth * scale && knob.height() == kKnobMaskHeight * scale,
           "knob.svg is 16 x 10");
    p.knob =
        Decoded(write(QStringLiteral("pictures/knob.jpg"),
                      EncodeJpeg(ColourOf(knob).copy(0, 0, kKnobWidth * scale, kKnobHeight * scale),
                                 kJpegQuality)));
    p.knobMask = GreyValues(
        Decoded(write(QStringLiteral("pictures/knob-mask.bmp"), EncodeGreyMask(AlphaOf(knob)))));

    std::printf("rendering the flap at %dx, %d frames...\n", scale, kFlapFrames);
    const QByteArray flapSvg = renderer.ReadArt(QStringLiteral("flap.svg"));
    for (int n = 0; n < kFlapFrames; ++n) {
        // The drop is in the drawing's own units, so it scales with the drawing.
        const QByteArray moved = MovedFlap(flapSvg, FlapDrop(n));
        const QImage frame =
            scale == 1 ? renderer.RenderText(moved)
                       : renderer.RenderText(moved, {}, kFlapWidth * scale, kFlapHeight * scale);
        Expect(frame.width() == kFlapWidth * scale && frame.height() == kFlapHeight * scale,
               "flap.svg is 335 x 228");
        QImage mask = AlphaOf(frame);
        if (n == 0)
            mask.fill(0);  // closed: nothing of the flap shows
        const QString name =
            QStringLiteral("pictures/flap/frame-%1").arg(n, 2, 10, QLatin1Char('0'));
        p.flap.push_back(Decoded(
            write(name + QStringLiteral(".jpg"), EncodeJpeg(ColourOf(frame), kJpegQuality))));
        p.flapMask.push_back(
            GreyValues(Decoded(write(name + QStringLiteral("-mask.bmp"), EncodeGreyMask(mask)))));
    }

    std::printf("rendering the about box, start-up picture and menu at %dx...\n", scale);
    const QImage about = render(QStringLiteral("about.svg"), {}, kAboutSize, kAboutSize);
    const QImage aboutHover =
        render(QStringLiteral("about.svg"), {QStringLiteral("hover.css")}, kAboutSize, kAboutSize);
    Expect(about.width() == kAboutSize * scale && about.height() == kAboutSize * scale,
           "about.svg is 316 x 316");
    p.about = Decoded(
        write(QStringLiteral("pictures/about.jpg"), EncodeJpeg(ColourOf(about), kJpegQuality)));
    p.closeNormal = Decoded(write(QStringLiteral("bitmaps/close.bmp"),
                                  EncodeBmp24(about.copy(Scaled(kAboutClose, scale)))));
    p.closeHover = Decoded(write(QStringLiteral("bitmaps/close-hover.bmp"),
                                 EncodeBmp24(aboutHover.copy(Scaled(kAboutClose, scale)))));

    const QImage splash = render(QStringLiteral("splash.svg"), {}, kSplashWidth, kSplashHeight);
    Expect(splash.width() == kSplashWidth * scale && splash.height() == kSplashHeight * scale,
           "splash.svg is 218 x 216");
    p.splash = Decoded(
        write(QStringLiteral("pictures/splash.jpg"), EncodeJpeg(ColourOf(splash), kJpegQuality)));

    const QImage menu =
        render(QStringLiteral("menu.svg"), {}, kMenuCells * kMenuCellWidth, kMenuCellHeight);
    Expect(menu.width() == kMenuCells * kMenuCellWidth * scale &&
               menu.height() == kMenuCellHeight * scale,
           "menu.svg is 176 x 15");
    p.menuStrip = Decoded(write(QStringLiteral("bitmaps/menu-strip.bmp"),
                                EncodeBmp24(OnMagentaKey(menu, kMenuBackground))));
}

void Generate(const Options& options) {
    const SvgRenderer renderer(options.rsvg, options.art);
    Output res(options.res);
    SkinPictures pics;
    GeneratePictures(renderer, res, 1, &pics);
    GeneratePictures(renderer, res, 2, nullptr);

    std::printf("rendering the icon...\n");
    std::vector<QImage> icons;
    for (int side : {16, 24, 32, 48, 64, 128, 256}) {
        // Below 32 pixels the detailed drawing turns to mud; the small one is drawn for it.
        const QString art =
            side < 32 ? QStringLiteral("icon-small.svg") : QStringLiteral("icon.svg");
        const QImage icon = renderer.Render(art, {}, side, side);
        res.Write(QStringLiteral("icons/tunelink-%1.png").arg(side), EncodePng(icon));
        icons.push_back(icon);
    }
    res.Write(QStringLiteral("icons/tunelink.ico"), EncodeIco(icons));
    pics.icon = icons.back();
    std::printf("res: %lld bytes written\n", static_cast<long long>(res.Total()));

    Output docs(options.docs);
    docs.Write(QStringLiteral("skin-contact-sheet.png"), EncodePng(ContactSheet(pics)));
    docs.Write(QStringLiteral("skin-composed.png"), EncodePng(ComposedPreview(pics)));
}

}  // namespace
}  // namespace skin

int main(int argc, char** argv) {
    // Text on the review pictures needs fonts, not a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    try {
        skin::Generate(skin::ParseArguments(QCoreApplication::arguments()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skin: %s\n", e.what());
        return 1;
    }
    return 0;
}
