#include "GrayPicture.h"

#include <cmath>

double TGrayPicture::Sample(double X, double Y) const
{
    const double fx = std::floor(X), fy = std::floor(Y);
    const int x0 = int(fx), y0 = int(fy);
    const double ax = X - fx, ay = Y - fy;
    const auto at = [this](int x, int y) {
        return x < 0 || y < 0 || x >= Width || y >= Height ? 255.0 : double(At(x, y));
    };
    return at(x0, y0) * (1 - ax) * (1 - ay) + at(x0 + 1, y0) * ax * (1 - ay) + at(x0, y0 + 1) * (1 - ax) * ay +
           at(x0 + 1, y0 + 1) * ax * ay;
}

QPointF TTurn::ToPicture(QPointF Upright) const
{
    const double c = std::cos(Angle), s = std::sin(Angle);
    const QPointF d = Upright - Centre;
    return Centre + QPointF(c * d.x() - s * d.y(), s * d.x() + c * d.y());
}

QPointF TTurn::ToUpright(QPointF Picture) const
{
    const double c = std::cos(Angle), s = std::sin(Angle);
    const QPointF d = Picture - Centre;
    return Centre + QPointF(c * d.x() + s * d.y(), -s * d.x() + c * d.y());
}

TGrayPicture Upright(const TGrayPicture& Picture, const TTurn& Turn)
{
    TGrayPicture out{Picture.Width, Picture.Height, std::vector<std::uint8_t>(Picture.Pixels.size())};
    const double c = std::cos(Turn.Angle), s = std::sin(Turn.Angle);
    for (int y = 0; y < out.Height; ++y) {
        const double dy = y - Turn.Centre.y();
        // Each upright pixel comes from its place turned into the picture.
        double sx = Turn.Centre.x() - Turn.Centre.x() * c - s * dy;
        double sy = Turn.Centre.y() - Turn.Centre.x() * s + c * dy;
        std::uint8_t* row = &out.Pixels[std::size_t(y) * std::size_t(out.Width)];
        for (int x = 0; x < out.Width; ++x, sx += c, sy += s)
            row[x] = std::uint8_t(std::lround(Picture.Sample(sx, sy)));
    }
    return out;
}
