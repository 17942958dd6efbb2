#include "SkinFixture.h"

#include "uilib/CPaintManagerUI.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QWidget>
#include <stdexcept>
#include <zip.h>

namespace uilib_test {

void EnsureUi() {
    static int argc = 1;
    static char name[] = "uilib_tests";
    static char* argv[] = {name, nullptr};
    CPaintManagerUI::SetInstance(argc, argv);
}

QByteArray MakeZip(const std::map<std::string, QByteArray>& files) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* archive = zip_open_from_source(target, ZIP_TRUNCATE, &error);
    if (!archive)
        throw std::runtime_error("zip");
    zip_source_keep(target);
    for (const auto& [name, bytes] : files) {
        void* copy = malloc(static_cast<size_t>(bytes.size()));
        memcpy(copy, bytes.constData(), static_cast<size_t>(bytes.size()));
        zip_source_t* s = zip_source_buffer(archive, copy, bytes.size(), 1);
        zip_file_add(archive, name.c_str(), s, ZIP_FL_OVERWRITE);
    }
    zip_close(archive);
    zip_source_open(target);
    zip_source_seek(target, 0, SEEK_END);
    const zip_int64_t size = zip_source_tell(target);
    zip_source_seek(target, 0, SEEK_SET);
    QByteArray out(static_cast<qsizetype>(size), Qt::Uninitialized);
    zip_source_read(target, out.data(), static_cast<zip_uint64_t>(size));
    zip_source_close(target);
    zip_source_free(target);
    zip_error_fini(&error);
    return out;
}

QByteArray Png(int width, int height, QColor fill, QColor borderColor, int border) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(border > 0 ? borderColor : fill);
    if (border > 0) {
        QPainter p(&image);
        p.fillRect(border, border, width - 2 * border, height - 2 * border, fill);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void InstallSkin(const std::map<std::string, QByteArray>& files) {
    EnsureUi();
    static QByteArray zip;
    zip = MakeZip(files);
    if (!CPaintManagerUI::SetResourceZip(zip.constData(), static_cast<size_t>(zip.size())))
        throw std::runtime_error("skin");
}

void Pump(int ms) {
    QElapsedTimer timer;
    timer.start();
    do
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    while (timer.elapsed() < ms);
}

QColor PixelAt(QWidget* widget, int x, int y) {
    return widget->grab().toImage().pixelColor(x, y);
}

} // namespace uilib_test
