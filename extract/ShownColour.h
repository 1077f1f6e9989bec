#pragma once

#include "ExtractArea.h"
#include "Palette.h"
#include "PixelSource.h"

#include <optional>

// The colour asked for as a noisy picture shows it: a scan fades thin
// strokes and tints the paper, so that none of its pixels comes near the
// colour a chart was drawn in while its strokes still lie on the colour's
// blends with the paper. Then the strongest of those blends stands for the
// colour; nothing when the picture is clean, when one of its inks is the
// colour, or when too few pixels are such blends.
std::optional<TRgb> ShownColour(const TPixelSource& Source, const TExtractArea& Area, const TPalette& Palette,
                                const TRgb& Colour);
