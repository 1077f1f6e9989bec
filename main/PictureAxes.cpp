#include "PictureAxes.h"

#include "DrawnAxesMapping.h"
#include "axes/LabelReader.h"

#include <QColor>

TGrayPicture GrayOf(const TPixelSource& Source)
{
    TGrayPicture gray{Source.Width(), Source.Height(), {}};
    gray.Pixels.reserve(std::size_t(gray.Width) * std::size_t(gray.Height));
    for (int y = 0; y < gray.Height; ++y)
        for (int x = 0; x < gray.Width; ++x) {
            const TRgb c = Source.At(x, y);
            gray.Pixels.push_back(std::uint8_t(qGray(c.R, c.G, c.B)));
        }
    return gray;
}

TFoundAxes FindGrayAxes(const TGrayPicture& Picture, QRect Within)
{
    TLabelReader reader;
    return FindAxes(Picture, reader, Within);
}

TFoundAxes FindPictureAxes(const TPixelSource& Source, QRect Within)
{
    return FindGrayAxes(GrayOf(Source), Within);
}

bool FrameRect(const QPolygonF& Frame, TRect& Rect)
{
    const QRect frame = Frame.boundingRect().toAlignedRect();
    if (frame.isEmpty())
        return false;
    Rect = {frame.left(), frame.top(), frame.right(), frame.bottom()};
    return true;
}

TMapping FoundAxesMapping(const TFoundAxes& Found, TMapping Base)
{
    TMapping mapping = DrawnAxesMapping(Found.Axes, std::move(Base));
    FrameRect(Found.Frame, mapping.MappingRect);
    return mapping;
}
