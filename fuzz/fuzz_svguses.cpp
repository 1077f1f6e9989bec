// An SVG's uses of elements painted in currentColor, copied in the
// renderer before QtSvg reads the file: any bytes come back as they are or
// as well-formed XML, bounded however deep the uses nest.
#include "drawing/SvgUses.h"

#include <QXmlStreamReader>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const QByteArray svg(reinterpret_cast<const char*>(Data), qsizetype(Size));
    const QByteArray inlined = SvgUsesInlined(svg);
    if (inlined == svg)
        return 0;
    QXmlStreamReader xml(inlined);
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError())
        std::abort();
    return 0;
}
