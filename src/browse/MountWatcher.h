#pragma once

#include <string>

#include <QObject>

class QSocketNotifier;

namespace pixmoth {

// Tells when file systems are mounted or unmounted in this process's mount
// namespace. The kernel marks an open mount table (/proc/self/mountinfo) with
// POLLPRI after every change, once per look; a file-system watcher never fires
// on files in /proc, so this waits on the descriptor with a socket notifier
// of the exception type. A path that is no mount table (a test's own file)
// simply never changes.
class MountWatcher : public QObject {
    Q_OBJECT

public:
    MountWatcher(const std::string& mountInfo, QObject* parent);
    ~MountWatcher() override;

signals:
    void Changed();

private:
    int mFd = -1;
    QSocketNotifier* mNotifier = nullptr;
};

} // namespace pixmoth
