#pragma once

#include <QString>

// The open-picture dialog's filter, built from FreeImage's table of formats
// 0 to 23: "All supported formats" with every mask, then one item a format.
QString FormatExtensionMask(int Fif);
QString AllFormatsExtensionMask();
QString FormatFilterEntry(int Fif);
QString OpenPictureFilter();
