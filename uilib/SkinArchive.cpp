#include "uilib/SkinArchive.h"

#include <QDebug>
#include <zip.h>

namespace uilib {

bool SkinArchive::Load(const void* data, size_t size) {
    Clear();
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(data, size, 0, &error);
    if (!source) {
        zip_error_fini(&error);
        return false;
    }
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(source);
        return false;
    }
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(archive, i, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
            continue;
        const QString name = QString::fromUtf8(st.name);
        if (name.endsWith(u'/'))
            continue;
        zip_file_t* file = zip_fopen_index(archive, i, 0);
        if (!file)
            continue;
        QByteArray bytes(static_cast<qsizetype>(st.size), Qt::Uninitialized);
        const zip_int64_t got = zip_fread(file, bytes.data(), st.size);
        zip_fclose(file);
        if (got == static_cast<zip_int64_t>(st.size))
            files_.insert(name, bytes);
    }
    zip_close(archive); // also frees the source; the caller's buffer stays theirs
    return true;
}

void SkinArchive::Clear() {
    files_.clear();
    images_.clear();
}

QPixmap SkinArchive::Image(const QString& name, qreal devicePixelRatio) const {
    if (devicePixelRatio > 1.0) {
        const int dot = name.lastIndexOf(u'.');
        const QString large =
            dot < 0 ? QString() : name.left(dot) + QStringLiteral("@2x") + name.mid(dot);
        if (!large.isEmpty() && files_.contains(large)) {
            QPixmap pixmap = Image(large);
            pixmap.setDevicePixelRatio(2.0);
            return pixmap;
        }
    }
    auto cached = images_.constFind(name);
    if (cached != images_.constEnd())
        return *cached;
    QPixmap pixmap;
    if (files_.contains(name) && !pixmap.loadFromData(files_.value(name)))
        qWarning() << "skin: cannot decode image" << name;
    else if (!files_.contains(name))
        qWarning() << "skin: no image" << name;
    images_.insert(name, pixmap);
    return pixmap;
}

} // namespace uilib
