#pragma once
// Renders the SVG artwork with librsvg's command-line renderer (rsvg-convert). The SVG
// text goes in on standard input and the PNG comes back on standard output, so nothing is
// written to disk and no shell is involved.

#include <QImage>
#include <QString>
#include <QStringList>

namespace skin {

class SvgRenderer {
  public:
    SvgRenderer(QString program, QString artFolder);

    // Renders an art file (name relative to the art folder), optionally with stylesheets
    // from the art folder applied on top, at the drawing's own size or at width x height.
    QImage Render(const QString& svgName, const QStringList& stylesheets = {}, int width = 0,
                  int height = 0) const;

    // Renders SVG text that the caller has prepared (for example a moved flap).
    QImage RenderText(const QByteArray& svg, const QStringList& stylesheets = {}, int width = 0,
                      int height = 0) const;

    QByteArray ReadArt(const QString& name) const;

  private:
    QString program_;
    QString artFolder_;
};

}  // namespace skin
