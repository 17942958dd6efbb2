#include "uilib/LayoutValues.h"

#include <QRegularExpression>
#include <QStringList>
#include <array>

namespace uilib {

std::optional<uint32_t> ParseColor(const QString& text) {
    QString t = text.trimmed();
    if (t.startsWith(u'#'))
        t.remove(0, 1);
    else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        t.remove(0, 2);
    if (t.size() != 6 && t.size() != 8)
        return std::nullopt;
    bool ok = false;
    uint32_t value = t.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return t.size() == 6 ? (0xFF000000u | value) : value;
}

QColor ToQColor(uint32_t argb) {
    return QColor::fromRgba(argb);
}

namespace {
std::optional<std::array<int, 4>> FourInts(const QString& text) {
    const QStringList parts = text.split(u',');
    if (parts.size() != 4)
        return std::nullopt;
    std::array<int, 4> v{};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return v;
}
} // namespace

std::optional<QRect> ParseRect(const QString& text) {
    auto v = FourInts(text);
    if (!v)
        return std::nullopt;
    return QRect((*v)[0], (*v)[1], (*v)[2], (*v)[3]);
}

std::optional<QMargins> ParseMargins(const QString& text) {
    auto v = FourInts(text);
    if (!v)
        return std::nullopt;
    return QMargins((*v)[0], (*v)[1], (*v)[2], (*v)[3]);
}

bool ParseBool(const QString& text) {
    return text.trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

std::optional<ImageSpec> ParseImageString(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    ImageSpec parsed;
    if (!t.contains(u'=')) {
        parsed.file = t;
        return parsed;
    }
    static const QRegularExpression pair(QStringLiteral(R"((\w+)\s*=\s*'([^']*)')"));
    for (auto it = pair.globalMatch(t); it.hasNext();) {
        const auto m = it.next();
        const QString key = m.captured(1).toLower();
        const QString value = m.captured(2).trimmed();
        if (key == QLatin1String("file"))
            parsed.file = value;
        else if (key == QLatin1String("corner"))
            parsed.corner = ParseMargins(value).value_or(QMargins());
        else if (key == QLatin1String("dest"))
            parsed.dest = ParseRect(value);
        else if (key == QLatin1String("source"))
            parsed.source = ParseRect(value);
    }
    if (parsed.file.isEmpty())
        return std::nullopt;
    return parsed;
}

} // namespace uilib
