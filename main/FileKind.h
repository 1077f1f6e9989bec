#pragma once

#include <QString>

// What a file given to the window whole (on the command line, dropped, from
// the recent list) is taken for.
enum TFileKind { fkPicture, fkSession };

// Decided by content: a session starts with one of the sections the program
// writes, a picture with a signature FreeImage knows. Then by extension:
// ".qsf" and ".ini" are sessions. Anything else is offered as a picture, so
// that the picture's own error names what is wrong with it.
TFileKind FileKindOf(const QString& FileName);

// Whether the file starts with a picture signature FreeImage knows.
bool LooksLikePicture(const QString& FileName);
