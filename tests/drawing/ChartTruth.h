#pragma once

#include "drawing/DrawingAxes.h"

#include <QFile>
#include <QPointF>
#include <QString>

#include <cmath>
#include <optional>
#include <vector>

// The drawings tests/drawing/charts/make_charts.py wrote, and their truth.
inline QString Chart(const QString& Name)
{
    return QStringLiteral(DRAWING_CHARTS "/") + Name;
}

// Where Value lies along a linear axis, by a least-squares line through
// its ticks.
inline double PixelOf(const TDrawnAxis& Axis, double Value, bool X)
{
    double n = 0, sv = 0, sp = 0, svv = 0, svp = 0;
    for (const TDrawnTick& t : Axis.Ticks) {
        const double p = X ? t.At.x() : t.At.y();
        n += 1;
        sv += t.Value;
        sp += p;
        svv += t.Value * t.Value;
        svp += t.Value * p;
    }
    const double slope = (n * svp - sv * sp) / (n * svv - sv * sv);
    return (sp - slope * sv) / n + slope * Value;
}

// One chart of a truth file, placed on its page at a resolution, or with
// Values its data values as they are, or placed by Axes read from its
// drawing.
struct TChartTruth {
    std::vector<QPointF> Curve, Markers;
};

inline std::vector<TChartTruth> ReadTruth(const QString& Name, double Dpi, bool Values = false,
                                          const std::optional<TDrawnAxes>& Axes = std::nullopt)
{
    QFile file(Chart(Name + QStringLiteral(".truth")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    std::vector<TChartTruth> charts;
    double pageHeight = 0;
    std::vector<double> box;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        QStringList words = line.split(u' ');
        const QString kind = words.takeFirst();
        if (kind == QStringLiteral("page")) {
            pageHeight = words[1].toDouble();
        } else if (kind == QStringLiteral("chart")) {
            box.clear();
            for (const QString& w : words)
                box.push_back(w.toDouble());
            charts.emplace_back();
        } else if (kind == QStringLiteral("curve") || kind == QStringLiteral("markers")) {
            auto& into = kind == QStringLiteral("curve") ? charts.back().Curve : charts.back().Markers;
            for (const QString& w : words) {
                const double x = w.section(u',', 0, 0).toDouble(), y = w.section(u',', 1, 1).toDouble();
                if (Axes) {
                    into.emplace_back(PixelOf(Axes->X, x, true), PixelOf(Axes->Y, y, false));
                    continue;
                }
                if (Values) {
                    into.emplace_back(x, y);
                    continue;
                }
                const double px = box[0] + (x - box[4]) / (box[5] - box[4]) * (box[2] - box[0]);
                const double py = box[1] + (y - box[6]) / (box[7] - box[6]) * (box[3] - box[1]);
                // Pixel centres are whole: the page's edge is half a pixel out.
                into.emplace_back(px * Dpi / 72 - 0.5, (pageHeight - py) * Dpi / 72 - 0.5);
            }
        }
    }
    return charts;
}


// A chart's axes as make_charts.py wrote them: page height, box in
// points, limits and kinds.
struct TAxesTruth {
    double PageHeight, X0, Y0, X1, Y1, XMin, XMax, YMin, YMax;
    bool LogX, LogY;

    // The value each axis has at a picture pixel at Dpi, and its span.
    double Value(bool X, QPointF At, double Dpi) const
    {
        const double points = X ? (At.x() + 0.5) * 72 / Dpi : PageHeight - (At.y() + 0.5) * 72 / Dpi;
        const double share = X ? (points - X0) / (X1 - X0) : (points - Y0) / (Y1 - Y0);
        const bool log = X ? LogX : LogY;
        const double from = X ? XMin : YMin, to = X ? XMax : YMax;
        return log ? std::pow(10.0, std::log10(from) + share * (std::log10(to) - std::log10(from)))
                   : from + share * (to - from);
    }
    double Span(bool X) const
    {
        const bool log = X ? LogX : LogY;
        const double from = X ? XMin : YMin, to = X ? XMax : YMax;
        return log ? std::abs(std::log10(to) - std::log10(from)) : std::abs(to - from);
    }
};

inline TAxesTruth ReadAxesTruth(const QString& Name)
{
    QFile file(Chart(Name + QStringLiteral(".axes")));
    TAxesTruth t{};
    if (!file.open(QIODevice::ReadOnly))
        return t;
    // Page width, height, box, limits, kinds.
    const QStringList w = QString::fromUtf8(file.readAll()).simplified().split(u' ');
    if (w.size() != 12)
        return t;
    double* fields[] = {&t.PageHeight, &t.X0, &t.Y0, &t.X1, &t.Y1, &t.XMin, &t.XMax, &t.YMin, &t.YMax};
    for (int i = 0; i < 9; ++i)
        *fields[i] = w[i + 1].toDouble();
    t.LogX = w[10] == QStringLiteral("1");
    t.LogY = w[11] == QStringLiteral("1");
    return t;
}

