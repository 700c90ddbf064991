#pragma once

#include <QFile>
#include <QString>
#include <filesystem>
#include <string>

// File names cross between Qt text and the file system in the one encoding Qt uses for them.
inline std::filesystem::path ToFsPath(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    return std::filesystem::path(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
}

inline QString FromFsPath(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}
