#include "browse/DirTreeIcons.h"

#include <algorithm>
#include <initializer_list>

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace pixmoth {

namespace {

QIcon Themed(std::initializer_list<const char*> names, const QStyle* style,
             QStyle::StandardPixmap fallback) {
    for (const char* name : names) {
        QIcon icon = QIcon::fromTheme(QString::fromLatin1(name));
        if (!icon.isNull()) {
            return icon;
        }
    }
    return style->standardIcon(fallback);
}

} // namespace

DirTreeIcons::DirTreeIcons(const QStyle* style) {
    auto drive = [this](TDriveType type) -> QIcon& { return mDrives[static_cast<int>(type)]; };
    drive(TDriveType::drtUnknown) = Themed({"drive-harddisk"}, style, QStyle::SP_DriveHDIcon);
    drive(TDriveType::drtFixed) = drive(TDriveType::drtUnknown);
    drive(TDriveType::drtRemovable) =
        Themed({"drive-removable-media", "media-removable"}, style, QStyle::SP_DriveFDIcon);
    drive(TDriveType::drtRemote) =
        Themed({"folder-remote", "network-server"}, style, QStyle::SP_DriveNetIcon);
    drive(TDriveType::drtCDRom) =
        Themed({"drive-optical", "media-optical"}, style, QStyle::SP_DriveCDIcon);
    drive(TDriveType::drtRamDisk) =
        Themed({"media-memory", "media-flash", "drive-harddisk"}, style, QStyle::SP_DriveHDIcon);
    mClosedFolder = Themed({"folder"}, style, QStyle::SP_DirClosedIcon);
    mOpenFolder = Themed({"folder-open"}, style, QStyle::SP_DirOpenIcon);
    mHomeFolder = Themed({"user-home"}, style, QStyle::SP_DirHomeIcon);
    mTrashFolder = Themed({"user-trash"}, style, QStyle::SP_TrashIcon);
    mSharedEmblem = Themed({"emblem-shared", "emblem-shared-symbolic", "folder-remote"}, style,
                           QStyle::SP_DriveNetIcon);
}

const QIcon& DirTreeIcons::Drive(TDriveType type) const {
    return mDrives[static_cast<int>(type)];
}

const QIcon& DirTreeIcons::Shared(const QIcon& image) const {
    const auto found = mSharedImages.find(image.cacheKey());
    if (found != mSharedImages.end()) {
        return found->second;
    }
    QIcon shared;
    const qreal ratio = qGuiApp->devicePixelRatio();
    for (const int size : {16, 22, 24, 32, 48}) {
        QPixmap pixmap = image.pixmap(QSize(size, size), ratio);
        if (pixmap.isNull()) {
            pixmap = QPixmap(QSize(size, size) * ratio);
            pixmap.setDevicePixelRatio(ratio);
            pixmap.fill(Qt::transparent);
        }
        const int emblem = std::max(8, size * 5 / 8);
        QPainter painter(&pixmap);
        painter.drawPixmap(QRect(0, size - emblem, emblem, emblem),
                           mSharedEmblem.pixmap(QSize(emblem, emblem), ratio));
        painter.end();
        shared.addPixmap(pixmap);
    }
    return mSharedImages.emplace(image.cacheKey(), shared).first->second;
}

} // namespace pixmoth
