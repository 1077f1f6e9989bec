#include "Drawing.h"

#include <QDataStream>
#include <QIODevice>

#include <algorithm>
#include <cmath>

namespace {

constexpr quint32 Signature = 0x51445257; // "QDRW"
constexpr quint32 Version = 1;

// The least a stored item takes, so that a count is checked against the
// bytes left before anything is allocated for it.
constexpr qint64 PointBytes = 16;

bool Finite(const QPointF& p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// Farther from the page than any picture reaches: a path or text out there
// is left out, so that nothing downstream meets a coordinate no pixel has.
constexpr double CoordinateLimit = 1e7;

bool Near(const QPointF& p)
{
    return std::abs(p.x()) <= CoordinateLimit && std::abs(p.y()) <= CoordinateLimit;
}

bool Fits(QDataStream& in, quint32 count, qint64 each)
{
    return in.status() == QDataStream::Ok && qint64(count) * each <= in.device()->bytesAvailable();
}

} // namespace

QByteArray DrawingBytes(const TDrawing& Drawing)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << Signature << Version << qint32(Drawing.Images) << quint32(Drawing.Paths.size());
    for (const TDrawnPath& p : Drawing.Paths) {
        out << quint32(p.Points.size());
        for (const QPointF& v : p.Points)
            out << v.x() << v.y();
        out << quint32(p.Starts.size());
        for (const int s : p.Starts)
            out << qint32(s);
        out << p.Stroked << quint32(p.Stroke) << p.Width << quint32(p.Dashes.size());
        for (const double d : p.Dashes)
            out << d;
        out << p.Filled << quint32(p.Fill);
    }
    out << quint32(Drawing.Texts.size());
    for (const TDrawnText& t : Drawing.Texts)
        out << t.Text << t.Box.x() << t.Box.y() << t.Box.width() << t.Box.height();
    return bytes;
}

bool ReadDrawing(const QByteArray& Bytes, TDrawing& Drawing)
{
    QDataStream in(Bytes);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 signature = 0, version = 0, paths = 0;
    qint32 images = 0;
    in >> signature >> version >> images >> paths;
    if (signature != Signature || version != Version || images < 0 || !Fits(in, paths, 4 + 4 + 1 + 4 + 8 + 4 + 1 + 4))
        return false;
    TDrawing d;
    d.Images = images;
    d.Paths.reserve(paths);
    for (quint32 n = 0; n < paths; ++n) {
        TDrawnPath p;
        quint32 points = 0;
        in >> points;
        if (!Fits(in, points, PointBytes))
            return false;
        p.Points.resize(points);
        for (QPointF& v : p.Points) {
            double x = 0, y = 0;
            in >> x >> y;
            v = {x, y};
            if (!Finite(v))
                return false;
        }
        quint32 starts = 0;
        in >> starts;
        if (!Fits(in, starts, 4))
            return false;
        p.Starts.resize(starts);
        int last = -1;
        for (int& s : p.Starts) {
            qint32 start = 0;
            in >> start;
            if (start <= last || start >= qint32(points))
                return false;
            s = last = start;
        }
        quint32 stroke = 0, dashes = 0, fill = 0;
        in >> p.Stroked >> stroke >> p.Width >> dashes;
        if (!std::isfinite(p.Width) || p.Width < 0 || !Fits(in, dashes, 8))
            return false;
        p.Stroke = stroke;
        p.Dashes.resize(dashes);
        for (double& dash : p.Dashes) {
            in >> dash;
            if (!std::isfinite(dash) || dash < 0)
                return false;
        }
        in >> p.Filled >> fill;
        p.Fill = fill;
        if (std::all_of(p.Points.begin(), p.Points.end(), Near))
            d.Paths.push_back(std::move(p));
    }
    quint32 texts = 0;
    in >> texts;
    if (!Fits(in, texts, 4 + 32))
        return false;
    d.Texts.reserve(texts);
    for (quint32 n = 0; n < texts; ++n) {
        TDrawnText t;
        double x = 0, y = 0, w = 0, h = 0;
        in >> t.Text >> x >> y >> w >> h;
        t.Box = QRectF(x, y, w, h);
        if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !std::isfinite(h))
            return false;
        if (Near(t.Box.topLeft()) && Near(t.Box.bottomRight()))
            d.Texts.push_back(std::move(t));
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return false;
    Drawing = std::move(d);
    return true;
}
