#include "PictureAxes.h"

#include "DrawnAxesMapping.h"
#include "axes/LabelReader.h"

#include <QColor>

TGrayPicture GrayOf(const TPixelSource& Source)
{
    return GrayOf(Source, QRect(0, 0, Source.Width(), Source.Height()));
}

TGrayPicture GrayOf(const TPixelSource& Source, const QRect& Part)
{
    TGrayPicture gray{Part.width(), Part.height(), {}};
    gray.Pixels.reserve(std::size_t(gray.Width) * std::size_t(gray.Height));
    for (int y = Part.top(); y <= Part.bottom(); ++y)
        for (int x = Part.left(); x <= Part.right(); ++x) {
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
