#pragma once

#include "GrayPicture.h"

#include <QRect>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace tesseract {
class TessBaseAPI;
}

// Reads tick labels with Tesseract: digits, signs, decimal points, commas
// and the e of an exponent, one line at a time.
class TLabelReader {
public:
    TLabelReader();
    ~TLabelReader();
    TLabelReader(const TLabelReader&) = delete;
    TLabelReader& operator=(const TLabelReader&) = delete;

    // Why no label can be read (Tesseract or its English data missing), or "".
    QString Problem() const { return FProblem; }

    // The text of the Glyphs glyphs in Box of Picture, Dots of them small
    // enough to be a point or a comma; none when what was read has not one
    // character a glyph, as a misread often has (a decimal point lost),
    // unless two scales read it alike and it may be those glyphs: more
    // characters where glyphs touch, fewer where a faint digit broke in two.
    std::optional<QString> Read(const TGrayPicture& Picture, const QRect& Box, int Glyphs, int Dots = 1);
    // The same, read alike at two scales: for a text no other can check,
    // such as an axis's factor or offset.
    std::optional<QString> ReadTwice(const TGrayPicture& Picture, const QRect& Box, int Glyphs, int Dots = 1);

    // A label of several words (May 01 2020), letters too, Words giving
    // each word's glyphs from the left; a space between words; none unless
    // two scales read it alike.
    std::optional<QString> ReadPhrase(const TGrayPicture& Picture, const QRect& Box, const std::vector<int>& Words);

    // A name as a legend writes it, words of letters and digits: read alike
    // at two scales, or none.
    std::optional<QString> ReadName(const TGrayPicture& Picture, const QRect& Box);

private:
    std::optional<QString> ReadLine(const TGrayPicture& Picture, const QRect& Box, int Height);
    std::optional<QString> ReadAt(const TGrayPicture& Picture, const QRect& Box, int Height);

    std::unique_ptr<tesseract::TessBaseAPI> FApi;
    QString FProblem;
};
