#include "ui/ProgramResources.h"

#include <QFile>

std::optional<std::string> LoadProgramResource(int id, const char* type) {
    QFile file(QStringLiteral(":/kelmora/%1/%2").arg(QLatin1String(type)).arg(id));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}
