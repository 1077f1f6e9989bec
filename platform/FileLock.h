#pragma once

#include <QString>

// An advisory lock (flock) on a file or folder that exists, held
// exclusively while the object lives: processes that take it before they
// read and replace a file never lose each other's changes. Where the path
// cannot be opened, nothing is locked.
class TFileLock {
public:
    explicit TFileLock(const QString& Path);
    ~TFileLock();
    TFileLock(const TFileLock&) = delete;
    TFileLock& operator=(const TFileLock&) = delete;

private:
    int FFd = -1;
};
