#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// A lock named after something (the program's file name) that tells a second holder that a first one
// exists. It lives in the user's runtime folder and is released when the object dies or the process ends.
class NamedMutex {
  public:
    explicit NamedMutex(const QString& name);
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // True when another holder had the name already.
    bool AlreadyExisted() const { return alreadyExisted_; }
    QString FileName() const { return fileName_; }

  private:
    QString fileName_;
    std::unique_ptr<QLockFile> lock_;
    bool alreadyExisted_ = false;
};
