#include "tools/skin/SvgRenderer.h"

#include <QFile>
#include <QProcess>
#include <stdexcept>

namespace skin {

SvgRenderer::SvgRenderer(QString program, QString artFolder)
    : program_(std::move(program)), artFolder_(std::move(artFolder)) {}

QByteArray SvgRenderer::ReadArt(const QString& name) const {
    QFile file(artFolder_ + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("cannot read art file " + file.fileName().toStdString());
    }
    return file.readAll();
}

QImage SvgRenderer::Render(const QString& svgName, const QStringList& stylesheets, int width,
                           int height) const {
    return RenderText(ReadArt(svgName), stylesheets, width, height);
}

QImage SvgRenderer::RenderText(const QByteArray& svg, const QStringList& stylesheets, int width,
                               int height) const {
    QStringList args{QStringLiteral("--format=png")};
    for (const QString& css : stylesheets) {
        args << QStringLiteral("--stylesheet") << artFolder_ + QLatin1Char('/') + css;
    }
    if (width > 0 && height > 0) {
        args << QStringLiteral("--width") << QString::number(width) << QStringLiteral("--height")
             << QString::number(height);
    }
    QProcess process;
    process.start(program_, args);
    if (!process.waitForStarted(10000)) {
        throw std::runtime_error("cannot start " + program_.toStdString() +
                                 " (install librsvg2-bin)");
    }
    process.write(svg);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        throw std::runtime_error("rsvg-convert failed: " +
                                 process.readAllStandardError().toStdString());
    }
    QImage image = QImage::fromData(process.readAllStandardOutput(), "PNG");
    if (image.isNull())
        throw std::runtime_error("rsvg-convert gave no picture");
    return image.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace skin
