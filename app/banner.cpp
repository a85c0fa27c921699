#include "app/banner.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace {

struct ErrorManager
{
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void onJpegError(j_common_ptr info)
{
    auto *err = reinterpret_cast<ErrorManager *>(info->err);
    std::longjmp(err->jump, 1);
}

void onJpegMessage(j_common_ptr) {}

} // namespace

QImage decodeJpeg(const QByteArray &data)
{
    if (data.isEmpty())
        return {};
    jpeg_decompress_struct info{};
    ErrorManager err{};
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = onJpegError;
    err.base.output_message = onJpegMessage;

    // The image lives outside the jump target so that a failure mid-way frees it.
    QImage image;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&info);
        return {};
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
    if (image.isNull()) {
        jpeg_destroy_decompress(&info);
        return {};
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return image;
}

static void initBannerResource()
{
    // The picture is compiled into this static library; make sure it is registered.
    Q_INIT_RESOURCE(app);
}

static QImage decodeResource(const QString &path)
{
    initBannerResource();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return decodeJpeg(file.readAll());
}

QImage bannerImage()
{
    return decodeResource(QStringLiteral(":/app/banner.jpg"));
}

QPixmap bannerPixmap(qreal devicePixelRatio)
{
    const QImage base = bannerImage();
    if (devicePixelRatio <= 1.0 || base.isNull())
        return QPixmap::fromImage(base);
    QImage image = decodeResource(QStringLiteral(":/app/banner@2x.jpg"));
    if (image.isNull())
        image = base;
    const QSize pixels = (QSizeF(base.size()) * devicePixelRatio).toSize();
    if (image.size() != pixels)
        image = image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}
