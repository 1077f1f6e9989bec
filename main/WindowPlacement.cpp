#include "WindowPlacement.h"

#include "platform/Registry.h"

#include <QMargins>
#include <QStringList>

#include <algorithm>

namespace {

const QString WindowKey = QStringLiteral("\\Software\\Kestrow\\Quillon\\Window");

int Number(const TRegistry& Registry, const QString& Name, bool& Ok)
{
    bool ok = false;
    const int value = Registry.ReadString(Name).value_or(QString()).toInt(&ok);
    Ok = Ok && ok;
    return value;
}

} // namespace

TWindowPlacement ReadWindowPlacement()
{
    TRegistry registry;
    TWindowPlacement placement;
    if (!registry.OpenKey(WindowKey, false))
        return placement;
    bool ok = true;
    const QRect geometry(Number(registry, QStringLiteral("Left"), ok), Number(registry, QStringLiteral("Top"), ok),
                         Number(registry, QStringLiteral("Width"), ok), Number(registry, QStringLiteral("Height"), ok));
    if (ok && geometry.width() > 0 && geometry.height() > 0)
        placement.Geometry = geometry;
    placement.Maximized = registry.ReadString(QStringLiteral("Maximized")) == QStringLiteral("1");
    for (const QString& size : registry.ReadString(QStringLiteral("Splitter")).value_or(QString()).split(u','))
        if (const int pixels = size.toInt(&ok); ok && pixels >= 0)
            placement.SplitterSizes << pixels;
    return placement;
}

bool WriteWindowPlacement(const TWindowPlacement& Placement)
{
    TRegistry registry;
    if (!registry.OpenKey(WindowKey, true))
        return false;
    QStringList sizes;
    for (int size : Placement.SplitterSizes)
        sizes << QString::number(size);
    const QRect& g = Placement.Geometry;
    return registry.WriteStrings({{QStringLiteral("Left"), QString::number(g.x())},
                                  {QStringLiteral("Top"), QString::number(g.y())},
                                  {QStringLiteral("Width"), QString::number(g.width())},
                                  {QStringLiteral("Height"), QString::number(g.height())},
                                  {QStringLiteral("Maximized"), Placement.Maximized ? QStringLiteral("1") : QStringLiteral("0")},
                                  {QStringLiteral("Splitter"), sizes.join(u',')}});
}

QRect FitToScreen(const QRect& Geometry, const QRect& Available, const QMargins& Frame)
{
    // A few pixels of side border may stick out; the title bar may not.
    const int width = std::max(1, std::min(Geometry.width(), Available.width()));
    const int height = std::max(1, std::min(Geometry.height(), Available.height() - Frame.top() - Frame.bottom()));
    // Frame edges: the window's outer box must lie inside Available.
    const int minX = Available.left() + Frame.left();
    const int minY = Available.top() + Frame.top();
    const int maxX = Available.right() + 1 - Frame.right() - width;
    const int maxY = Available.bottom() + 1 - Frame.bottom() - height;
    const int x = std::clamp(Geometry.x(), minX, std::max(minX, maxX));
    const int y = std::clamp(Geometry.y(), minY, std::max(minY, maxY));
    return {x, y, width, height};
}
