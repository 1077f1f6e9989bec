#include "ScannedImage.h"

#include <FreeImage.h>
#include <QFile>

#include <algorithm>
#include <cstdlib>
#include <cstring>

std::vector<std::uint8_t> TScannedImage::TwainRow(int y) const
{
    std::vector<std::uint8_t> row(std::size_t(DibStride()), 0);
    const std::uint8_t* in = Rows.data() + std::size_t(y) * BytesPerLine;
    const std::size_t bytes = std::min({std::size_t((BitsPerPixel() * Width + 7) / 8), row.size(),
                                        std::size_t(BytesPerLine)});
    std::memcpy(row.data(), in, bytes);
    if (Depth == 1)
        for (std::size_t i = 0; i < bytes; ++i)
            row[i] = std::uint8_t(~row[i]);
    return row;
}

std::vector<std::uint8_t> TScannedImage::DibRow(int y) const
{
    std::vector<std::uint8_t> row = TwainRow(y);
    if (Channels == 3 && Depth == 8)
        for (int x = 0; x < Width; ++x)
            std::swap(row[std::size_t(3 * x)], row[std::size_t(3 * x + 2)]);
    return row;
}

TW_UINT16 TScannedImage::PixelType() const
{
    return Channels == 3 ? TWPT_RGB : Depth == 1 ? TWPT_BW : TWPT_GRAY;
}

void* TScannedImage::MakeDib() const
{
    const int colours = Channels == 3 ? 0 : Depth == 1 ? 2 : 256;
    const std::size_t header = 40 + std::size_t(colours) * 4;
    const std::size_t size = header + std::size_t(DibStride()) * std::size_t(Height);
    auto* block = static_cast<std::uint8_t*>(std::calloc(1, size));
    if (!block)
        return nullptr;
    const std::int32_t dims[3] = {40, Width, Height};
    std::memcpy(block, dims, sizeof dims);
    const std::uint16_t planes[2] = {1, std::uint16_t(BitsPerPixel())};
    std::memcpy(block + 12, planes, sizeof planes);
    const std::uint32_t imageSize = std::uint32_t(DibStride() * Height);
    std::memcpy(block + 20, &imageSize, sizeof imageSize);
    for (int i = 0; i < colours; ++i) {
        const std::uint8_t level = colours == 2 ? std::uint8_t(i * 255) : std::uint8_t(i);
        block[40 + 4 * i] = block[40 + 4 * i + 1] = block[40 + 4 * i + 2] = level;
    }
    for (int y = 0; y < Height; ++y) {
        const std::vector<std::uint8_t> row = DibRow(y);
        std::memcpy(block + header + std::size_t(Height - 1 - y) * DibStride(), row.data(), row.size());
    }
    return block;
}

bool TScannedImage::Save(const QString& FileName, TW_UINT16 Format) const
{
    FREE_IMAGE_FORMAT fif = FIF_UNKNOWN;
    switch (Format) {
    case TWFF_BMP:
        fif = FIF_BMP;
        break;
    case TWFF_TIFF:
        fif = FIF_TIFF;
        break;
    case TWFF_JFIF:
        fif = FIF_JPEG;
        break;
    case TWFF_PNG:
        fif = FIF_PNG;
        break;
    default:
        return false;
    }
    FIBITMAP* dib = FreeImage_Allocate(Width, Height, BitsPerPixel());
    if (!dib)
        return false;
    if (Channels == 1) {
        RGBQUAD* palette = FreeImage_GetPalette(dib);
        const int colours = Depth == 1 ? 2 : 256;
        for (int i = 0; i < colours; ++i) {
            const BYTE level = colours == 2 ? BYTE(i * 255) : BYTE(i);
            palette[i].rgbRed = palette[i].rgbGreen = palette[i].rgbBlue = level;
        }
    }
    for (int y = 0; y < Height; ++y) {
        const std::vector<std::uint8_t> row = DibRow(y);
        std::memcpy(FreeImage_GetScanLine(dib, Height - 1 - y), row.data(),
                    std::min<std::size_t>(row.size(), FreeImage_GetPitch(dib)));
    }
    if (Resolution > 0) {
        FreeImage_SetDotsPerMeterX(dib, unsigned(Resolution / 0.0254 + 0.5));
        FreeImage_SetDotsPerMeterY(dib, unsigned(Resolution / 0.0254 + 0.5));
    }
    const bool saved = FreeImage_Save(fif, dib, QFile::encodeName(FileName).constData(), 0);
    FreeImage_Unload(dib);
    return saved;
}
