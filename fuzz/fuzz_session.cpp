// Session files as strangers write them: any bytes either load or raise a
// Quillon error.
#include "main/SessionFile.h"
#include "platform/QuillonError.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        const TSession s = ParseSession(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)),
                                        QStringLiteral("fuzz.qsf"));
        if (s.Rect.Left < -MaxSessionCoordinate || s.Rect.Right > MaxSessionCoordinate || !(s.Zoom > 0))
            __builtin_trap();
    } catch (const EQuillonError&) {
    }
    return 0;
}
