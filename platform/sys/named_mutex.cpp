#include "platform/sys/named_mutex.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QString LockFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QDir::tempPath() : folder;
}

// A name may hold characters a file name cannot; they become "_".
QString SafeName(QString name) {
    for (QChar& c : name)
        if (c == '/' || c == '\\' || c == ':' || c.isSpace()) c = '_';
    return name;
}

} // namespace

NamedMutex::NamedMutex(const QString& name)
    : fileName_(QDir(LockFolder()).filePath(SafeName(name) + QStringLiteral(".mutex"))),
      lock_(std::make_unique<QLockFile>(fileName_)) {
    // Only a lock whose process has died is stale, whatever its age: a first copy may run for days.
    lock_->setStaleLockTime(0);
    alreadyExisted_ = !lock_->tryLock(0);
}

NamedMutex::~NamedMutex() {
    if (!alreadyExisted_) lock_->unlock();
}
