#pragma once

#include "DecoderRecord.h"
#include "PictureDecoder.h"

#include <QString>

// Decodes the picture open at DecoderPictureFd, named Name (its format is
// read from its content first), into the shared memory file at
// DecoderMemoryFd, and writes what became of it to DecoderResultFd: the
// decoder program's whole work. Returns its exit status.
int RunDecoder(const QString& Name, int Flags, TPictureForm Form);
// The decoder's way for any format the library reads: decoded whole by the
// library, then handed into the shared memory file Memory a stretch at a
// time. Record says what became of it.
void DecodeThroughLibrary(int Picture, int Memory, const QString& Name, int Flags, TPictureForm Form,
                          TDecoderRecord& Record);
// Says Why no picture was decoded, as RunDecoder says what was.
int RefuseToDecode(const QString& Why);

// Writes all of Size bytes from Data to Fd; false when it cannot.
bool WriteAll(int Fd, const void* Data, std::size_t Size);

// Limits this process as a decoder: a fault ends it plainly, and its CPU
// time and address space (thrice the picture limit, and ProgramBytes for
// its code and heap) are bounded. "" when done, else why not.
QString LimitDecoder(std::int64_t ProgramBytes);

// Confines this process to decoding before it reads the picture: limits of
// CPU time and address space, and a filter that lets through only the
// system calls decoding needs; any other ends the process (SIGSYS). "" when
// done, else why not.
QString ConfineDecoder();
