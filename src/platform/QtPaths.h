#pragma once

#include <string>

#include <QFile>
#include <QString>

// File names cross between the widgets (QString) and the pure code (bytes as the
// file system holds them) in the local 8-bit encoding, so names that are not
// valid UTF-8 survive the round trip.
namespace pixmoth {

inline std::string ToNative(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

inline QString FromNative(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

} // namespace pixmoth
