#include "FreeBitmap.h"


TFreeBitmap::TFreeBitmap(int ImageType, int Width, int Height, int Bpp)
{
    if (Width > 0 && Height > 0 && Bpp > 0)
        SetSize(ImageType, Width, Height, Bpp, 0, 0, 0);
}

TFreeBitmap::~TFreeBitmap()
{
    ReleaseDib();
}

void TFreeBitmap::ReleaseDib()
{
    if (Dib) {
        FreeImage_Unload(Dib);
        Dib = nullptr;
        FPixels.reset();
        ++FVersion;
    }
}

bool TFreeBitmap::SetSize(int ImageType, int Width, int Height, int Bpp,
                          unsigned RedMask, unsigned GreenMask, unsigned BlueMask)
{
    ReleaseDib();
    Dib = FreeImage_Allocate(Width, Height, Bpp, RedMask, GreenMask, BlueMask);
    if (!Dib)
        return false;
    ++FVersion;
    if (ImageType == FIT_BITMAP && (Bpp == 1 || Bpp == 4 || Bpp == 8)) {
        RGBQUAD* palette = FreeImage_GetPalette(Dib);
        const unsigned colours = FreeImage_GetColorsUsed(Dib);
        for (unsigned i = 0; i < colours; ++i) {
            palette[i].rgbBlue = static_cast<BYTE>(i);
            palette[i].rgbGreen = static_cast<BYTE>(i);
            palette[i].rgbRed = static_cast<BYTE>(i);
        }
    }
    Change();
    return true;
}

bool TFreeBitmap::Load(const QString& FileName, int Flags, TPictureReport* Report, TPictureForm Form,
                       const TDecoder& Decoder)
{
    return Take(DecodePicture(FileName, Flags, Form, Decoder), Report);
}

bool TFreeBitmap::LoadPage(const QString& FileName, const TPageChoice& Choice, QByteArray& Drawing,
                           TPictureReport* Report, const TDecoder& Decoder)
{
    return Take(RenderPage(FileName, Choice, Decoder, Drawing), Report);
}

bool TFreeBitmap::Take(TDecodedPicture decoded, TPictureReport* Report)
{
    if (Report)
        *Report = decoded.Report;
    const TPictureStatus status = decoded.Report.Status;
    // Nothing was decoded: the document stays as it was.
    if (status == TPictureStatus::NotAFile || status == TPictureStatus::UnknownFormat ||
        status == TPictureStatus::Cancelled)
        return false;
    ReleaseDib();
    Dib = decoded.Dib;
    FPixels = std::move(decoded.Pixels);
    ++FVersion;
    Change();
    return IsValid();
}

void TFreeBitmap::TakeImage(TFreeBitmap& Source)
{
    if (&Source == this)
        return;
    ReleaseDib();
    Dib = Source.Dib;
    FPixels = std::move(Source.FPixels);
    Source.Dib = nullptr;
    ++FVersion;
    ++Source.FVersion;
    Source.Change();
    Change();
}

int TFreeBitmap::GetWidth() const
{
    return Dib ? static_cast<int>(FreeImage_GetWidth(Dib)) : 0;
}

int TFreeBitmap::GetHeight() const
{
    return Dib ? static_cast<int>(FreeImage_GetHeight(Dib)) : 0;
}

bool TFreeBitmap::Transform(BOOL (*Operation)(FIBITMAP*))
{
    if (!Dib)
        return false;
    const bool result = Operation(Dib);
    ++FVersion;
    Change();
    return result;
}

bool TFreeBitmap::FlipHorizontal()
{
    return Transform(FreeImage_FlipHorizontal);
}

bool TFreeBitmap::FlipVertical()
{
    return Transform(FreeImage_FlipVertical);
}

bool TFreeBitmap::Invert()
{
    return Transform(FreeImage_Invert);
}

void TFreeBitmap::Change()
{
    if (OnChange)
        OnChange(this);
}
