#include "DrawnAxesMapping.h"

#include <cmath>

TMapping DrawnAxesMapping(const TDrawnAxes& Axes, TMapping Base)
{
    Base.Calibration.Kind = ckPoints;
    Base.Calibration.Points.clear();
    for (const TDrawnTick& t : Axes.X.Ticks)
        Base.Calibration.Points.push_back({{t.At.x(), t.At.y()}, t.Value, NAN});
    for (const TDrawnTick& t : Axes.Y.Ticks)
        Base.Calibration.Points.push_back({{t.At.x(), t.At.y()}, NAN, t.Value});
    Base.AxisXMap = Axes.X.Log ? amLog10 : amLinear;
    Base.AxisYMap = Axes.Y.Log ? amLog10 : amLinear;
    Base.XUnit = Axes.X.Date ? auDate : auNumber;
    Base.YUnit = Axes.Y.Date ? auDate : auNumber;
    return Base;
}

QString DrawnAxesText(const TDrawnAxes& Axes, const QString& Source)
{
    double worst = 0;
    for (const TDrawnAxis* a : {&Axes.X, &Axes.Y})
        for (const TDrawnTick& t : a->Ticks)
            worst = std::max(worst, std::abs(t.Residual));
    const auto axis = [](const QString& Name, const TDrawnAxis& A) {
        QString text = QStringLiteral("%1 %2 through %3 ticks")
                           .arg(Name, A.Date  ? QStringLiteral("dates")
                                      : A.Log ? QStringLiteral("log10")
                                              : QStringLiteral("linear"))
                           .arg(A.Ticks.size());
        if (A.Rejected > 0)
            text += QStringLiteral(" (%1 misfitting labels left out)").arg(A.Rejected);
        return text;
    };
    return QStringLiteral("%1: %2, %3; the largest residual is %4 pixels.")
        .arg(Source, axis(QStringLiteral("X"), Axes.X), axis(QStringLiteral("Y"), Axes.Y),
             QString::number(worst, 'g', 2));
}
