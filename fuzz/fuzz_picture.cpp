// The picture reader in this process, so that a fault in the code around
// the decoder shows. Only formats whose decoders stand up to fuzzing are
// fed to it; the program runs every format in a child process.
#include "image/PictureFile.h"

#include <cstddef>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FIMEMORY* memory = FreeImage_OpenMemory(const_cast<BYTE*>(data), DWORD(size));
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeFromMemory(memory, 0);
    FreeImage_CloseMemory(memory);
    if (format != FIF_BMP && format != FIF_PNG && format != FIF_JPEG && format != FIF_PGM && format != FIF_PPM
        && format != FIF_PBM && format != FIF_PGMRAW && format != FIF_PPMRAW && format != FIF_PBMRAW)
        return 0;
    const int fd = memfd_create("fuzz-picture", MFD_CLOEXEC);
    if (fd < 0 || write(fd, data, size) != ssize_t(size)) {
        if (fd >= 0)
            close(fd);
        return 0;
    }
    // A small limit keeps the fuzzer's memory in bounds and exercises the
    // refusal of large pictures.
    TDecodedFile decoded = DecodePictureFile(fd, QStringLiteral("fuzz"), 0, std::int64_t(64) << 20);
    close(fd);
    if (decoded.Dib) {
        if (!decoded.Report.Usable() || decoded.Report.Bytes > decoded.Report.Limit)
            __builtin_trap();
        FreeImage_Unload(decoded.Dib);
    }
    return 0;
}
