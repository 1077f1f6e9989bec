// Extraction on any small picture, any plotting area, angle, colour,
// tolerance and step: every point found is a finite position on or next to
// the picture, a legend's name lies in it, and nothing reads outside it.
#include "extract/Extraction.h"
#include "extract/MarkerExtraction.h"
#include "extract/MarkerPatches.h"
#include "extract/MatchMask.h"

#include <FreeImage.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

// The next bytes of the input as a number, 0 when it has run out.
class TReader {
public:
    TReader(const std::uint8_t* Data, std::size_t Size) : FData(Data), FSize(Size) {}
    unsigned Byte() { return FPos < FSize ? FData[FPos++] : 0; }
    int Short() { return std::int16_t(Byte() | Byte() << 8); }
    const std::uint8_t* Rest(std::size_t& Size) const
    {
        Size = FSize - std::min(FPos, FSize);
        return FData + std::min(FPos, FSize);
    }

private:
    const std::uint8_t* FData;
    std::size_t FSize;
    std::size_t FPos = 0;
};

void CheckPoints(const TExtraction& Found, int Width, int Height)
{
    for (const TPointF& p : Found.Points)
        if (!std::isfinite(p.X) || !std::isfinite(p.Y) || p.X < -2 || p.Y < -2 || p.X > Width + 1 ||
            p.Y > Height + 1)
            __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TReader in(data, size);
    const int width = 1 + int(in.Byte() % 64);
    const int height = 1 + int(in.Byte() % 64);
    static const unsigned depths[] = {1, 4, 8, 24, 32};
    const unsigned bpp = depths[in.Byte() % 5];
    TExtractArea area;
    area.Rect = {in.Short(), in.Short(), in.Short(), in.Short()};
    area.Angle = in.Short() / 64.0;
    const TRgb colour{int(in.Byte()), int(in.Byte()), int(in.Byte())};
    const int tolerance = int(in.Byte());
    const double step = in.Byte() / 4.0;
    const bool seeded = in.Byte() & 1;
    const TPointF seed{in.Short() / 8.0, in.Short() / 8.0};

    const std::unique_ptr<FIBITMAP, decltype(&FreeImage_Unload)> dib(FreeImage_Allocate(width, height, int(bpp)),
                                                                      &FreeImage_Unload);
    if (!dib)
        return 0;
    std::size_t left = 0;
    const std::uint8_t* rest = in.Rest(left);
    if (RGBQUAD* palette = FreeImage_GetPalette(dib.get())) {
        const std::size_t bytes = std::min<std::size_t>(left, FreeImage_GetColorsUsed(dib.get()) * sizeof(RGBQUAD));
        std::memcpy(palette, rest, bytes);
        rest += bytes;
        left -= bytes;
    }
    const std::size_t pixels = std::size_t(FreeImage_GetPitch(dib.get())) * std::size_t(height);
    std::memcpy(FreeImage_GetBits(dib.get()), rest, std::min(left, pixels));

    const TPixelSource source(dib.get());
    const QImage mask = MatchMask(source, area, colour, tolerance);
    if (!mask.isNull() && (mask.width() != width || mask.height() != height))
        __builtin_trap();
    CheckPoints(ExtractCurve(source, area, colour, tolerance, step, seeded ? std::optional(seed) : std::nullopt),
                width, height);
    const TBlobSearch blobs = FindBlobs(source, area, colour, tolerance);
    const TBlobSearch patches = MarkerPatches(blobs);
    CheckPoints(MarkerCentres(source, area, patches, colour, tolerance, DefaultSizeRange(patches), anBox), width,
                height);
    CheckPoints(MarkerCentres(source, area, blobs, colour, tolerance, {0, 1LL << 40}, anCentroid), width, height);
    // As the command line runs it: the colour as the picture shows it, and
    // a legend's name inside the picture.
    TExtractRequest request;
    request.Kind = seeded ? TExtractRequest::ekCurve : TExtractRequest::ekMarkers;
    request.Colour = colour;
    request.Step = std::max(step, 0.25);
    const TExtraction run = RunExtraction(source, area, request);
    CheckPoints(run, width, height);
    if (const std::optional<TRect>& name = run.Report.LegendName;
        name && (name->Left < 0 || name->Top < 0 || name->Right >= width || name->Bottom >= height ||
                 name->Left > name->Right || name->Top > name->Bottom))
        __builtin_trap();
    return 0;
}
