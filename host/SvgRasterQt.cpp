#include "SvgRaster.h"

#include "res/StringTable.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <memory>

namespace pos {

Result<std::string> RasterizeSvg(std::string_view svg, int width, int height)
{
    // Text needs the font database of a GUI application; without a display
    // the offscreen platform serves.
    std::unique_ptr<QGuiApplication> app;
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "pos-host";
        static char *argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    QSvgRenderer renderer(QByteArray(svg.data(), static_cast<qsizetype>(svg.size())));
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (!renderer.isValid() || image.isNull())
        return Diagnostic{.id = sid::RenderPngFailed};
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return Diagnostic{.id = sid::RenderPngFailed};
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace pos
