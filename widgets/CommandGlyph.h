#pragma once

#include <QIcon>

// The window's command pictures, drawn as shapes at whatever size and pixel
// density they are shown, in the palette's text colour where a picture is
// black (so that they show on dark themes too) and in fixed colours where
// their colour means something.
enum class TGlyph { Calibrate, Copy, Cut, Digitise, Dimensions, Exit, Mapping, Paste, Rotate, PickDrawing, FindAxes };

QIcon GlyphIcon(TGlyph Which);
