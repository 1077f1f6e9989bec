#include "Unprivileged.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t Nobody = 65534;

} // namespace

TUnprivileged::TUnprivileged()
{
    if (geteuid() != 0)
        return;
    FDropped = seteuid(Nobody) == 0;
    QVERIFY2(FDropped, "cannot take the user nobody");
}

TUnprivileged::~TUnprivileged()
{
    if (FDropped && seteuid(0) != 0)
        qFatal("cannot take back the root user");
}

void SetMode(const char* path, mode_t mode)
{
    QVERIFY2(chmod(path, mode) == 0, path);
}
