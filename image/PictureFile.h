#pragma once

#include <FreeImage.h>
#include <QString>

#include <cstdint>

// What became of a picture file that was read.
enum class TPictureStatus {
    Decoded,
    Damaged,       // decoded in part; Detail holds the decoder's words
    NotAFile,      // missing, unreadable or not a regular file; Detail says why
    UnknownFormat, // no decoder reads it
    TooLarge,      // Width, Height and Bytes say how large, Limit what is allowed
    Failed,        // the decoder gave up or died; Detail says how
    Cancelled,     // the caller stopped waiting for it
};

struct TPictureReport {
    TPictureStatus Status = TPictureStatus::Failed;
    QString Detail;
    std::int64_t Width = 0;
    std::int64_t Height = 0;
    std::int64_t Bytes = 0;
    std::int64_t Limit = 0;
    bool Usable() const { return Status == TPictureStatus::Decoded || Status == TPictureStatus::Damaged; }
};

// The largest decoded picture accepted: 1.5 GiB, or half the memory when
// that is smaller.
std::int64_t PictureByteLimit();

// Opens a picture for reading without waiting on a FIFO or a device: -1 with
// Report filled when the path is not a readable regular file.
int OpenPictureFile(const QString& FileName, TPictureReport& Report);

struct TDecodedFile {
    FIBITMAP* Dib = nullptr; // owned by the caller
    TPictureReport Report;
};

// Decodes an open regular file in this process: the format by content, then
// by Name; the header is read first so that a picture larger than Limit is
// refused before its pixels are decoded. The decoder's messages and a file
// that ends before the picture does make the result Damaged.
TDecodedFile DecodePictureFile(int Fd, const QString& Name, int Flags, std::int64_t Limit);
