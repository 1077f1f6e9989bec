// A picture's pixels, as any scan or file may hold them: its turn is
// measured, it is made upright and its axis marks are found without a
// fault, every position found finite and inside the picture's reach.
#include "axes/AxisMarks.h"
#include "axes/Skew.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void Near(QPointF P, const TGrayPicture& Picture)
{
    if (!std::isfinite(P.x()) || !std::isfinite(P.y()) || std::abs(P.x()) > 4 * Picture.Width + 8 ||
        std::abs(P.y()) > 4 * Picture.Height + 8)
        std::abort();
}

} // namespace

// The first two bytes are the width and height less 16; the pixels follow,
// repeated to fill the picture.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size < 3)
        return 0;
    TGrayPicture picture{Data[0] + 16, Data[1] + 16, {}};
    picture.Pixels.resize(std::size_t(picture.Width) * std::size_t(picture.Height));
    for (std::size_t i = 0; i < picture.Pixels.size(); ++i)
        picture.Pixels[i] = Data[2 + i % (Size - 2)];
    const TTurn turn{SkewAngle(picture), QPointF(0.5 * (picture.Width - 1), 0.5 * (picture.Height - 1))};
    if (!std::isfinite(turn.Angle) || std::abs(turn.Angle) > 0.1)
        std::abort();
    const TAxisMarks marks = FindAxisMarks(Upright(picture, turn));
    for (const TTickMark& t : marks.Ticks) {
        Near(t.Axis, picture);
        Near(t.Outer, picture);
    }
    for (const QLineF& l : marks.Lines) {
        Near(l.p1(), picture);
        Near(l.p2(), picture);
    }
    for (const TGlyphRun& r : marks.Runs)
        if (r.Glyphs < 1 || !QRect(0, 0, picture.Width, picture.Height).contains(r.Box))
            std::abort();
    return 0;
}
