#include "PixelText.h"

#include <cmath>

double ThousandthPixel(double Value)
{
    const double whole = std::nearbyint(Value);
    if (whole == Value || !std::isfinite(Value))
        return Value;
    return std::nearbyint(Value * 1000) / 1000;
}

QString PixelText(double Value)
{
    const double v = ThousandthPixel(Value);
    if (v == std::nearbyint(v) && std::abs(v) < 1e15)
        return QString::number(static_cast<long long>(v));
    QString text = QString::number(v, 'f', 3);
    while (text.endsWith(u'0'))
        text.chop(1);
    return text;
}
