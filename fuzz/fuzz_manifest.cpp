// A batch's manifest as strangers write it: any bytes give rows or a
// problem naming a line, never both, and every row has its picture.
#include "main/BatchManifest.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    QString problem;
    const std::vector<TManifestRow> rows =
        ReadManifest(QByteArray(reinterpret_cast<const char*>(Data), qsizetype(Size)), problem);
    if (!problem.isEmpty() && !rows.empty())
        std::abort();
    for (const TManifestRow& row : rows)
        if (row.Picture.isEmpty() || row.Line < 2)
            std::abort();
    return 0;
}
