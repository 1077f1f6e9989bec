#pragma once

#include "twain/Twain.h"

#include <QString>

#include <cstdint>
#include <vector>

// One scanned picture as the source manager keeps it between the scan and
// the transfer: rows top-down, each BytesPerLine long, 1-bit grey (1 is
// black), 8-bit grey or 8-bit-per-sample RGB; never 1-bit colour.
struct TScannedImage {
    int Width = 0;
    int Height = 0;
    int Depth = 8;    // bits per sample: 1 (grey only) or 8
    int Channels = 1; // 1 or 3
    int BytesPerLine = 0;
    double Resolution = 0; // dots per inch
    std::vector<std::uint8_t> Rows;

    int BitsPerPixel() const { return Depth * Channels; }
    // The rows as a DIB stores them: padded to 4 bytes, RGB as blue, green,
    // red, and for 1 bit, 0 black.
    int DibStride() const { return ((BitsPerPixel() * Width + 31) / 32) * 4; }
    std::vector<std::uint8_t> DibRow(int y) const;
    // The rows as TWAIN hands them in memory: padded to 4 bytes, RGB in
    // red, green, blue order, 1 bit with 0 black (chocolate).
    std::vector<std::uint8_t> TwainRow(int y) const;
    TW_UINT16 PixelType() const;

    // A block holding a DIB (information header, colour table, rows
    // bottom-up), allocated with malloc: the receiver frees it.
    void* MakeDib() const;
    // Writes the picture in the TWAIN file format; false when it cannot.
    bool Save(const QString& FileName, TW_UINT16 Format) const;
};
