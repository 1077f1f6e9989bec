// The renderer's account of a page, as the window reads it from a child
// that a hostile drawing may have taken over: any bytes are read or
// refused, and what is read is picked from and its axes read without a
// fault, every point picked finite.
#include "drawing/DrawingAxes.h"
#include "drawing/DrawingPick.h"

#include <QByteArray>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void Finite(const std::vector<QPointF>& Points)
{
    for (const QPointF& p : Points)
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    TDrawing drawing;
    if (!ReadDrawing(QByteArray(reinterpret_cast<const char*>(Data), qsizetype(Size)), drawing))
        return 0;
    for (const TDrawnPath& p : drawing.Paths) {
        if (p.Points.empty())
            continue;
        Finite(PickFromDrawing(drawing, p.Points.front(), 8).Points);
        Finite(CurveOfColour(drawing, p.Stroke, p.Points.back()).Points);
        Finite(MarkersOfColour(drawing, p.Fill, std::nullopt).Points);
        break;
    }
    const TDrawnAxes axes = ReadDrawnAxes(drawing);
    for (const TDrawnAxis* a : {&axes.X, &axes.Y})
        for (const TDrawnTick& t : a->Ticks)
            if (!std::isfinite(t.Value) || !std::isfinite(t.At.x()))
                std::abort();
    for (const TDrawnText& t : drawing.Texts)
        if (const std::optional<double> v = TickLabelValue(t.Text); v && !std::isfinite(*v))
            std::abort();
    return 0;
}
