#include "sitecomparers.h"

#include "platform/Conversions.h"

#include <cmath>

namespace {

template <typename T>
int Three(T a, T b)
{
    return a > b ? 1 : a < b ? -1 : 0;
}

int ThreeData(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return Three(!std::isnan(a), !std::isnan(b));
    return Three(a, b);
}

} // namespace

int CompareNumberAsc(const TSiteObject& A, const TSiteObject& B)
{
    return Three(StrToInt(A.Name), StrToInt(B.Name));
}

int CompareNumberDesc(const TSiteObject& A, const TSiteObject& B)
{
    return -CompareNumberAsc(A, B);
}

int ComparePixelXAsc(const TSiteObject& A, const TSiteObject& B)
{
    return Three(A.X, B.X);
}

int ComparePixelXDesc(const TSiteObject& A, const TSiteObject& B)
{
    return -ComparePixelXAsc(A, B);
}

int ComparePixelYAsc(const TSiteObject& A, const TSiteObject& B)
{
    return Three(A.Y, B.Y);
}

int ComparePixelYDesc(const TSiteObject& A, const TSiteObject& B)
{
    return -ComparePixelYAsc(A, B);
}

int CompareDataXAsc(const TSiteObject& A, const TSiteObject& B)
{
    return ThreeData(A.DataX, B.DataX);
}

int CompareDataXDesc(const TSiteObject& A, const TSiteObject& B)
{
    return -CompareDataXAsc(A, B);
}

int CompareDataYAsc(const TSiteObject& A, const TSiteObject& B)
{
    return ThreeData(A.DataY, B.DataY);
}

int CompareDataYDesc(const TSiteObject& A, const TSiteObject& B)
{
    return -CompareDataYAsc(A, B);
}

TSiteComparer SiteComparer(const QString& Column, bool Descending)
{
    if (Column == u"N")
        return Descending ? CompareNumberDesc : CompareNumberAsc;
    if (Column == u"Pixel X")
        return Descending ? ComparePixelXDesc : ComparePixelXAsc;
    if (Column == u"Pixel Y")
        return Descending ? ComparePixelYDesc : ComparePixelYAsc;
    if (Column == u"Data X")
        return Descending ? CompareDataXDesc : CompareDataXAsc;
    if (Column == u"Data Y")
        return Descending ? CompareDataYDesc : CompareDataYAsc;
    return nullptr;
}
