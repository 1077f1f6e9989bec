// Confines itself as the renderer does, then attempts what argv[1] names:
// exit 0 when the attempt was refused as it should be (or, for "read",
// allowed), 1 when not; the filter ends it for what no renderer may do.
#include "drawing/RendererChild.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 3 || !ConfineRenderer().isEmpty())
        return 2;
    const char* what = argv[1];
    const char* path = argv[2];
    if (std::strcmp(what, "read") == 0)
        return open(path, O_RDONLY) >= 0 ? 0 : 1;
    if (std::strcmp(what, "write") == 0)
        return open(path, O_WRONLY | O_CREAT, 0600) < 0 && errno == EACCES ? 0 : 1;
    // Surviving any of these is the failure.
    if (std::strcmp(what, "socket") == 0)
        socket(AF_INET, SOCK_STREAM, 0);
    else if (std::strcmp(what, "exec") == 0)
        execl("/bin/true", "true", static_cast<char*>(nullptr));
    else if (std::strcmp(what, "remove") == 0)
        unlink(path);
    else
        return 2;
    return 1;
}
