#pragma once

#include <QByteArray>
#include <QString>

// How SaveTextFile put the bytes where they were asked for.
enum TWritten {
    // A new file renamed over the old one: the old one whole or the new.
    wrReplaced,
    // Over the old file's own bytes, for its folder takes no new file: a
    // crash during the write can leave it torn.
    wrInPlace,
    // Into a device or a FIFO, which is written to and never replaced.
    wrDirect,
};

// Writes Bytes as the whole of FileName (a symbolic link's target): through
// a temporary file renamed over it; in place, with the room reserved first,
// where its folder takes no new file; straight into a device or a FIFO.
// Raises EFileError "Unable to write to %s: " and the system's reason.
TWritten SaveTextFile(const QString& FileName, const QByteArray& Bytes);

// What to tell a user whose file was written in place.
QString InPlaceWarning(const QString& FileName);
