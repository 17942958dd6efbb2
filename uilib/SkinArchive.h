#pragma once
// The skin: a zip archive held in memory with the layout files and images at its root.
// Installed once by CPaintManagerUI::SetResourceZip; read on the UI thread only.
#include <QByteArray>
#include <QHash>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <cstddef>

namespace uilib {

class SkinArchive {
public:
    // Reads every entry of the zip; false (and an empty skin) when it is not a readable zip.
    bool Load(const void* data, size_t size);
    void Clear();

    bool Contains(const QString& name) const { return files_.contains(name); }
    QByteArray Read(const QString& name) const { return files_.value(name); }
    QStringList Names() const { return files_.keys(); }

    // The image of that name (cached); a null pixmap when the skin lacks it. For a device
    // pixel ratio above 1, "name@2x.png" is taken when the skin has it.
    QPixmap Image(const QString& name, qreal devicePixelRatio = 1.0) const;

private:
    QHash<QString, QByteArray> files_;
    mutable QHash<QString, QPixmap> images_;
};

} // namespace uilib
