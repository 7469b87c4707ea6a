#pragma once

#include <unordered_map>

#include <QIcon>

#include "browse/DirTreeTypes.h"

class QStyle;

namespace pixmoth {

// The icons of the directory tree, from the desktop's icon theme by their
// freedesktop names, with the widget style's own drive and folder icons where
// the theme has none. Looked up once: theme look-ups cost too much per node.
class DirTreeIcons {
public:
    explicit DirTreeIcons(const QStyle* style);

    const QIcon& Drive(TDriveType type) const;
    const QIcon& ClosedFolder() const { return mClosedFolder; }
    const QIcon& OpenFolder() const { return mOpenFolder; }
    const QIcon& HomeFolder() const { return mHomeFolder; }
    const QIcon& TrashFolder() const { return mTrashFolder; }
    // `image` with the desktop's "shared" emblem over its lower left corner.
    const QIcon& Shared(const QIcon& image) const;

private:
    QIcon mDrives[6];
    QIcon mClosedFolder;
    QIcon mOpenFolder;
    QIcon mHomeFolder;
    QIcon mTrashFolder;
    QIcon mSharedEmblem;
    mutable std::unordered_map<qint64, QIcon> mSharedImages; // by the image's cache key
};

} // namespace pixmoth
