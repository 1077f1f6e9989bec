#pragma once

#include <QPointF>

#include <cstdint>
#include <vector>

// A picture's lightness, 0 black to 255 white, top row first; positions in
// it are pixels with whole centres, as everywhere in a job.
struct TGrayPicture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Pixels;

    std::uint8_t At(int X, int Y) const { return Pixels[std::size_t(Y) * std::size_t(Width) + std::size_t(X)]; }
    // Between pixels, bilinear; white beyond the edges.
    double Sample(double X, double Y) const;
};

// A picture turned about its centre, and the way between its positions and
// the original's.
struct TTurn {
    double Angle = 0; // radians, as the original lies turned from upright
    QPointF Centre;

    // An upright position to the original picture's, and back.
    QPointF ToPicture(QPointF Upright) const;
    QPointF ToUpright(QPointF Picture) const;
};

// Picture turned by -Turn.Angle, so that what lay at Turn.Angle is level.
TGrayPicture Upright(const TGrayPicture& Picture, const TTurn& Turn);
