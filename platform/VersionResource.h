#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// A program's own version block, read from a file by name in three steps as
// Windows reads a version resource: its size, the block itself, then a query
// for one value. The block is text that the executable carries (see
// main/versionBlock.cpp):
//
//   <marker>
//   FIXED <file version a.b.c.d> <product version a.b.c.d>
//   BLOCK <language and code page, such as 140904E4>
//   Name=Value
//   ...
//   END
//
// and ends at the first NUL byte.

// The fixed part: the file and product versions, each as two 32-bit words
// holding two 16-bit numbers, the more significant first.
struct TFixedFileInfo {
    std::uint32_t FileVersionMS = 0;
    std::uint32_t FileVersionLS = 0;
    std::uint32_t ProductVersionMS = 0;
    std::uint32_t ProductVersionLS = 0;
};

// The size of the version block in FileName; 0 when it has none or cannot
// be read.
int GetFileVersionInfoSize(const QString& FileName);
// The block itself; false when it cannot be read.
bool GetFileVersionInfo(const QString& FileName, QByteArray& Block);
// A string value of the block, "\StringFileInfo\<block>\<name>".
std::optional<QString> VerQueryString(const QByteArray& Block, const QString& SubBlock);
// The fixed part, the root "\" of the block.
std::optional<TFixedFileInfo> VerQueryFixed(const QByteArray& Block);

// The marker that starts a version block; built at run time, so that the
// reader's own code holds no second copy of it.
QByteArray VersionBlockMarker();
