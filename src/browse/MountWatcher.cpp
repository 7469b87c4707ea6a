#include "browse/MountWatcher.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

namespace pixmoth {

MountWatcher::MountWatcher(const std::string& mountInfo, QObject* parent) : QObject(parent) {
    mFd = ::open(mountInfo.c_str(), O_RDONLY | O_CLOEXEC);
    if (mFd < 0) {
        return; // no mount table: drives are still read, only not followed
    }
    mNotifier = new QSocketNotifier(mFd, QSocketNotifier::Exception, this);
    connect(mNotifier, &QSocketNotifier::activated, this, &MountWatcher::Changed);
}

MountWatcher::~MountWatcher() {
    delete mNotifier; // before its descriptor goes
    if (mFd >= 0) {
        ::close(mFd);
    }
}

} // namespace pixmoth
