#pragma once
// Parsing of the attribute values of layout files and image strings.
#include <QColor>
#include <QMargins>
#include <QRect>
#include <QString>
#include <cstdint>
#include <optional>

namespace uilib {

// "#AARRGGBB" (or "#RRGGBB", opaque) as a 32-bit ARGB value; nullopt when malformed.
std::optional<uint32_t> ParseColor(const QString& text);
QColor ToQColor(uint32_t argb);

// "a,b,c,d" as four integers; nullopt unless there are exactly four.
std::optional<QRect> ParseRect(const QString& text);       // x,y,width,height
std::optional<QMargins> ParseMargins(const QString& text); // left,top,right,bottom

bool ParseBool(const QString& text);

// An image string: a plain file name, or pairs such as "file='x.png' corner='20,20,20,20'
// dest='0,0,10,10' source='0,0,20,20'" (spaces around '=' allowed).
struct ImageSpec {
    QString file;
    QMargins corner;
    std::optional<QRect> dest;
    std::optional<QRect> source;
};
std::optional<ImageSpec> ParseImageString(const QString& text); // nullopt for an empty string

} // namespace uilib
