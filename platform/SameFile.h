#pragma once

#include <QString>

// Whether A and B name one file: the same device and inode where both
// exist, the same absolute path where one does not yet.
bool SameFile(const QString& A, const QString& B);
