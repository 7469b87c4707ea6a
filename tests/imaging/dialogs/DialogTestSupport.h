#pragma once

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "imaging/bitmap/Bitmap.h"
#include "imaging/codecs/PictureFile.h"

// The dialogs' results are checked against the command-line tool, which runs
// the same pure functions in a process of its own.
namespace pixmoth::test {

// pixmoth-cli with `words`, INPUT and OUTPUT appended: `input` written as a
// BMP file, the output read back. An empty bitmap when the tool fails.
inline Bitmap CliResult(const QStringList& words, const Bitmap& input) {
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.bmp"));
    const QString out = dir.filePath(QStringLiteral("out.bmp"));
    SavePicture(input, in.toStdString());
    QProcess cli;
    cli.start(QStringLiteral(PIXMOTH_CLI), QStringList(words) << in << out);
    if (!cli.waitForFinished(60000) || cli.exitCode() != 0) {
        qWarning() << "pixmoth-cli" << words << "failed:" << cli.readAllStandardError();
        return {};
    }
    return LoadPicture(out.toStdString());
}

} // namespace pixmoth::test
