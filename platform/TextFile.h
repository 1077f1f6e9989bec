#pragma once

#include <QByteArray>
#include <QString>

// Writes Bytes as the whole of FileName through a temporary file, so that a
// failed write leaves the previous file as it was; in place where the
// folder allows no temporary file. Raises EFileError "Unable to write to
// %s: " and the reason.
void SaveTextFile(const QString& FileName, const QByteArray& Bytes);
