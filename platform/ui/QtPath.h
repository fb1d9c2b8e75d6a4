// Paths between the window layer and Qt (inside the layer only). Paths are
// the file system's bytes (UTF-8 here), not texts of the code page: a folder
// "/home/j\xC3\xB6rg" must reach Qt as "/home/jörg" and come back as the same
// bytes.
#pragma once

#include <QByteArray>
#include <QString>

#include <string>

namespace win {

inline QString ToQPath(const std::string& path) {
    return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}

inline std::string FromQPath(const QString& path) {
    const QByteArray bytes = path.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace win
