#pragma once

#include <QString>

// The open-picture dialog's filter, built from FreeImage's table of formats
// 0 to 23: "All supported formats" with every mask, then one item a format.
QString FormatExtensionMask(int Fif);
QString AllFormatsExtensionMask();
QString FormatFilterEntry(int Fif);
QString OpenPictureFilter();

// The filter the window's open-picture dialog uses: OpenPictureFilter's
// format items unchanged, then one item for each further format FreeImage
// reads here, then "All Files". Its "All supported formats" mask takes in
// those further formats as well.
QString ReadablePictureFilter();
