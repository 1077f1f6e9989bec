#pragma once

#include <sys/types.h>

// While it lives, file permissions apply to this process as to an ordinary
// user: run as root, it takes the effective user "nobody" (root passes every
// permission check), and gives root back when it goes.
class TUnprivileged {
public:
    TUnprivileged();
    ~TUnprivileged();
    TUnprivileged(const TUnprivileged&) = delete;
    TUnprivileged& operator=(const TUnprivileged&) = delete;

private:
    bool FDropped = false;
};

// Makes a file or folder's permission bits exactly `mode`.
void SetMode(const char* path, mode_t mode);
