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

void Generate(const Options& options) {
    const SvgRenderer renderer(options.rsvg, options.art);
    Output res(options.res);
    SkinPictures pics;

    std::printf("rendering the radio...\n");
    const QImage radio = renderer.Render(QStringLiteral("radio.svg"));
    const QImage pressed =
        renderer.Render(QStringLiteral("radio.svg"), {QStringLiteral("pressed.css")});
    const QImage lit = renderer.Render(QStringLiteral("radio.svg"), {QStringLiteral("lit.css")});
    const QImage off = renderer.Render(QStringLiteral("radio.svg"), {QStringLiteral("off.css")});
    Expect(radio.width() == kWindowWidth && radio.height() == kWindowHeight,
           "radio.svg is 606 x 520");

    QImage bodyMask = AlphaOf(radio);
    ClearOutside(bodyMask, kBody);
    Expect(BoundsAbove(bodyMask, kOutlineThreshold) == kBody,
           "the cabinet fills (7,125)-(473,505) exactly");
    pics.background = Decoded(res.Write(QStringLiteral("pictures/background.jpg"),
                                        EncodeJpeg(ColourOf(radio), kJpegQuality)));
    pics.backgroundMask = GreyValues(Decoded(
        res.Write(QStringLiteral("pictures/background-mask.bmp"), EncodeGreyMask(bodyMask))));
    res.Write(QStringLiteral("outline/outline.rgn"),
              EncodeRgnData(OutlineRectangles(bodyMask, kOutlineThreshold)));

    const QImage strip = pressed.copy(kPressedStrip);
    pics.pressed = Decoded(res.Write(QStringLiteral("pictures/buttons-pressed.jpg"),
                                     EncodeJpeg(ColourOf(strip), kJpegQuality)));
    pics.pressedMask = GreyValues(Decoded(res.Write(
        QStringLiteral("pictures/buttons-pressed-mask.bmp"), EncodeGreyMask(AlphaOf(strip)))));
    pics.lamp = Decoded(res.Write(QStringLiteral("pictures/lamp-lit.jpg"),
                                  EncodeJpeg(ColourOf(lit.copy(kLamp)), kJpegQuality)));

    // The cover shows the switched-off volume scale; its mask is where that differs.
    const QImage cover = off.copy(kFlapCover);
    pics.cover = Decoded(res.Write(QStringLiteral("pictures/flap-cover.jpg"),
                                   EncodeJpeg(ColourOf(cover), kJpegQuality)));
    const QImage coverMask = DifferenceMask(cover, radio.copy(kFlapCover));
    Expect(BoundsAbove(coverMask, 0).isValid(), "the switched-off radio differs under the cover");
    pics.coverMask = GreyValues(Decoded(
        res.Write(QStringLiteral("pictures/flap-cover-mask.bmp"), EncodeGreyMask(coverMask))));

    const QImage knob = renderer.Render(QStringLiteral("knob.svg"));
    Expect(knob.width() == kKnobWidth && knob.height() == kKnobMaskHeight, "knob.svg is 16 x 10");
    pics.knob = Decoded(
        res.Write(QStringLiteral("pictures/knob.jpg"),
                  EncodeJpeg(ColourOf(knob).copy(0, 0, kKnobWidth, kKnobHeight), kJpegQuality)));
    pics.knobMask = GreyValues(Decoded(
        res.Write(QStringLiteral("pictures/knob-mask.bmp"), EncodeGreyMask(AlphaOf(knob)))));

    std::printf("rendering the flap, %d frames...\n", kFlapFrames);
    const QByteArray flapSvg = renderer.ReadArt(QStringLiteral("flap.svg"));
    for (int n = 0; n < kFlapFrames; ++n) {
        const QImage frame = renderer.RenderText(MovedFlap(flapSvg, FlapDrop(n)));
        Expect(frame.width() == kFlapWidth && frame.height() == kFlapHeight,
               "flap.svg is 335 x 228");
        QImage mask = AlphaOf(frame);
        if (n == 0)
            mask.fill(0);  // closed: nothing of the flap shows
        const QString name =
            QStringLiteral("pictures/flap/frame-%1").arg(n, 2, 10, QLatin1Char('0'));
        pics.flap.push_back(Decoded(
            res.Write(name + QStringLiteral(".jpg"), EncodeJpeg(ColourOf(frame), kJpegQuality))));
        pics.flapMask.push_back(GreyValues(
            Decoded(res.Write(name + QStringLiteral("-mask.bmp"), EncodeGreyMask(mask)))));
    }

    std::printf("rendering the about box, start-up picture, menu and icon...\n");
    const QImage about = renderer.Render(QStringLiteral("about.svg"));
    const QImage aboutHover =
        renderer.Render(QStringLiteral("about.svg"), {QStringLiteral("hover.css")});
    Expect(about.width() == kAboutSize && about.height() == kAboutSize, "about.svg is 316 x 316");
    pics.about = Decoded(
        res.Write(QStringLiteral("pictures/about.jpg"), EncodeJpeg(ColourOf(about), kJpegQuality)));
    pics.closeNormal = Decoded(
        res.Write(QStringLiteral("bitmaps/close.bmp"), EncodeBmp24(about.copy(kAboutClose))));
    pics.closeHover = Decoded(res.Write(QStringLiteral("bitmaps/close-hover.bmp"),
                                        EncodeBmp24(aboutHover.copy(kAboutClose))));

    const QImage splash = renderer.Render(QStringLiteral("splash.svg"));
    Expect(splash.width() == kSplashWidth && splash.height() == kSplashHeight,
           "splash.svg is 218 x 216");
    pics.splash = Decoded(res.Write(QStringLiteral("pictures/splash.jpg"),
                                    EncodeJpeg(ColourOf(splash), kJpegQuality)));

    const QImage menu = renderer.Render(QStringLiteral("menu.svg"));
    Expect(menu.width() == kMenuCells * kMenuCellWidth && menu.height() == kMenuCellHeight,
           "menu.svg is 176 x 15");
    pics.menuStrip = Decoded(res.Write(QStringLiteral("bitmaps/menu-strip.bmp"),
                                       EncodeBmp24(OnMagentaKey(menu, kMenuBackground))));

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
