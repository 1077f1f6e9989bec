#pragma once

#include "image/PictureFile.h"

#include <QString>

// What the window says about a picture that did not load whole: empty for
// one that did, or whose load the user cancelled.
QString PictureProblemText(const QString& FileName, const TPictureReport& Report);
