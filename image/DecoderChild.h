#pragma once

#include "PictureDecoder.h"

#include <QString>

// Decodes the picture open at DecoderPictureFd, named Name (its format is
// read from its content first), into the shared memory file at
// DecoderMemoryFd, and writes what became of it to DecoderResultFd: the
// decoder program's whole work. Returns its exit status.
int RunDecoder(const QString& Name, int Flags, TPictureForm Form);
// Says Why no picture was decoded, as RunDecoder says what was.
int RefuseToDecode(const QString& Why);

// Confines this process to decoding before it reads the picture: limits of
// CPU time and address space, and a filter that lets through only the
// system calls decoding needs; any other ends the process (SIGSYS). "" when
// done, else why not.
QString ConfineDecoder();
