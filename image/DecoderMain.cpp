// The decoder program, started afresh for each picture with the picture,
// the shared memory file and the result pipe open (DecoderRecord.h) and the
// picture's name, the load flags and the form ("shown" or "stored") as its
// arguments. It confines itself before it reads a byte of the picture.
#include "DecoderChild.h"
#include "DecoderRecord.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    // Whatever else was inherited is none of a decoder's business.
    close_range(DecoderResultFd + 1, ~0U, 0);
    const QString name = QString::fromLocal8Bit(argv[1]);
    const int flags = std::atoi(argv[2]);
    const TPictureForm form = std::strcmp(argv[3], "shown") == 0 ? TPictureForm::AsShown : TPictureForm::AsStored;
    const QString refused = ConfineDecoder();
    return refused.isEmpty() ? RunDecoder(name, flags, form) : RefuseToDecode(refused);
}
