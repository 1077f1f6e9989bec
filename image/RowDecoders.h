#pragma once

#include "SharedRows.h"

#include <cstdint>
#include <cstdio>

// Decoders that write the shown form of the commonest kinds of picture
// straight into the shared rows, a row at a time, byte for byte what the
// library and the shown form's conversion make of them, with no whole
// decoded copy beside it. Each takes only what it is known to match, and
// gives up (false, Record untouched) on anything else and on any fault or
// warning in the file, which the library then decodes and reports on.
// Picture is read from its first byte.
bool DecodePngRows(std::FILE* Picture, int Flags, std::int64_t Limit, TSharedRows& Rows, TDecoderRecord& Record);
bool DecodeTiffRows(int Picture, std::int64_t Limit, TSharedRows& Rows, TDecoderRecord& Record);
bool DecodeJpegRows(std::FILE* Picture, int Flags, std::int64_t Limit, TSharedRows& Rows, TDecoderRecord& Record);
bool DecodeBmpRows(int Picture, std::int64_t Limit, TSharedRows& Rows, TDecoderRecord& Record);

// Which of them takes the picture open at Picture, by its first bytes, and
// whether it decoded it into the shared memory file Memory.
bool DecodeRowByRow(int Picture, int Memory, int Flags, std::int64_t Limit, TDecoderRecord& Record);
