#include "browse/DirTreeIcons.h"

#include <initializer_list>

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
}

const QIcon& DirTreeIcons::Drive(TDriveType type) const {
    return mDrives[static_cast<int>(type)];
}

} // namespace pixmoth
