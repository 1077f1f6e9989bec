// A decoder program that misbehaves as the picture's name says: it faults,
// stops, or makes a system call no decoder may make, under the real
// confinement. It stands in where no picture makes the installed library
// do any of that; any other name is decoded as the real program does.
#include "image/DecoderChild.h"

#include <csignal>
#include <cstdlib>
#include <sys/socket.h>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    const QString name = QString::fromLocal8Bit(argv[1]);
    if (name.endsWith(QLatin1String("fault"))) {
        std::signal(SIGSEGV, SIG_DFL);
        std::raise(SIGSEGV);
    }
    if (name.endsWith(QLatin1String("stop")))
        std::raise(SIGSTOP);
    if (!ConfineDecoder().isEmpty())
        return 3;
    if (name.endsWith(QLatin1String("forbidden")))
        socket(AF_INET, SOCK_STREAM, 0);
    return RunDecoder(name, std::atoi(argv[2]), TPictureForm::AsStored);
}
