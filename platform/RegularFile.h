#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// Opens FileName for reading only when it is a regular file of at most
// MaxBytes, never waiting on a FIFO or a device: -1, with Why set, otherwise.
// The descriptor is the caller's to close.
int OpenRegularFile(const QString& FileName, std::int64_t MaxBytes, QString& Why);

// The whole of such a file, or nothing with Why set.
std::optional<QByteArray> ReadRegularFile(const QString& FileName, std::int64_t MaxBytes, QString& Why);
