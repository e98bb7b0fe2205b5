// Renders one SVG drawing into a PNG of the drawing's own size.
//
//   vardel-render-icons INPUT.svg OUTPUT.png [SCALE]
//
// The picture keeps a transparent background. SCALE (a whole number, default
// 1) enlarges the output, which is handy for looking at small icons closely.
// Any failure is reported on stderr with a non-zero exit status, so a broken
// drawing stops the build instead of shipping an empty picture. The drawings
// hold shapes only (no text), so no application object or display is needed.

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s INPUT.svg OUTPUT.png [SCALE]\n", argv[0]);
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    bool scaleOk = true;
    const int scale = argc == 4 ? QByteArray(argv[3]).toInt(&scaleOk) : 1;
    if (!scaleOk || scale < 1 || scale > 64) {
        std::fprintf(stderr, "%s: bad scale '%s'\n", argv[0], argv[3]);
        return 2;
    }

    QSvgRenderer renderer(input);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "%s: cannot read drawing %s\n", argv[0], argv[1]);
        return 1;
    }
    const QSize size = renderer.defaultSize() * scale;
    if (size.isEmpty()) {
        std::fprintf(stderr, "%s: drawing %s has no size\n", argv[0], argv[1]);
        return 1;
    }

    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    if (!image.convertToFormat(QImage::Format_ARGB32).save(output, "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
