#include "RowDecoders.h"

#include <png.h>

#include <cstring>
#include <unistd.h>

bool DecodeRowByRow(int Picture, int Memory, int Flags, std::int64_t Limit, TDecoderRecord& Record)
{
    png_byte head[8] = {};
    if (pread(Picture, head, sizeof head, 0) != sizeof head)
        return false;
    // A descriptor of its own, so that its buffered reading starts at the
    // first byte and leaves the shared one where it was.
    const int own = dup(Picture);
    std::FILE* file = own >= 0 ? fdopen(own, "rb") : nullptr;
    if (!file) {
        if (own >= 0)
            ::close(own);
        return false;
    }
    std::fseek(file, 0, SEEK_SET);
    TSharedRows rows(Memory);
    const bool tiff = std::memcmp(head, "II*\0", 4) == 0 || std::memcmp(head, "MM\0*", 4) == 0;
    const bool jpeg = head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
    const bool done = png_sig_cmp(head, 0, sizeof head) == 0 ? DecodePngRows(file, Flags, Limit, rows, Record)
                      : tiff                                 ? DecodeTiffRows(Picture, Limit, rows, Record)
                      : jpeg                                 ? DecodeJpegRows(file, Flags, Limit, rows, Record)
                      : head[0] == 'B' && head[1] == 'M'     ? DecodeBmpRows(Picture, Limit, rows, Record)
                                                             : false;
    std::fclose(file);
    return done;
}
