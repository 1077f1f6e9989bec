#include "LabelReader.h"

#include <omp.h>
#include <tesseract/baseapi.h>

#include <QRegularExpression>

#include <algorithm>
#include <numeric>
#include <cmath>
#include <vector>

namespace {

// Glyphs scaled to this height in pixels, as the recogniser reads best, on
// a margin of ground.
constexpr int ReadHeights[] = {40, 32, 56};
constexpr int Margin = 12;
// What a number may hold; a label of words, the letters of month names too.
constexpr const char* LabelCharacters = "0123456789.,-+e";
constexpr const char* PhraseCharacters = "0123456789,ABCDEFGJMNOSabceghilmnoprstuvy";
constexpr const char* NameCharacters =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz .,:;-+=_()[]/%'&";

// Whether Read may be the Glyphs glyphs of Box although it has not one
// character a glyph: more, where glyphs touch (a small font's zeros) and the
// run has room for them; fewer, where a faint digit broke in two and no
// glyph is a point or a comma (Dots), whose loss would change the number.
bool MayBe(const QString& Read, const QRect& Box, int Glyphs, int Dots)
{
    const int room = int(Box.width() / (0.4 * Box.height())) + 1;
    return (Read.size() > Glyphs && Read.size() <= room) || (Read.size() < Glyphs && Dots == 0);
}

} // namespace

TLabelReader::TLabelReader()
    : FApi(std::make_unique<tesseract::TessBaseAPI>())
{
    // The recogniser shares each line out among four threads, which on a
    // small label costs three times what one thread reading it does: no
    // region of it runs in parallel.
    omp_set_max_active_levels(0);
    if (FApi->Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY) != 0) {
        FApi.reset();
        FProblem = QStringLiteral("No labels can be read: Tesseract's English data (tesseract-ocr-eng) is missing.");
        return;
    }
    FApi->SetPageSegMode(tesseract::PSM_SINGLE_LINE);
    FApi->SetVariable("tessedit_char_whitelist", LabelCharacters);
    FApi->SetVariable("debug_file", "/dev/null");
}

TLabelReader::~TLabelReader()
{
    if (FApi)
        FApi->End();
}

std::optional<QString> TLabelReader::Read(const TGrayPicture& Picture, const QRect& Box, int Glyphs, int Dots)
{
    if (!FApi || Box.isEmpty())
        return std::nullopt;
    // Small glyphs read differently at each scale: another size is tried
    // when one reads a character too many or too few.
    std::vector<QString> uneven;
    for (const int height : ReadHeights)
        if (std::optional<QString> read = ReadAt(Picture, Box, height)) {
            if (read->size() == Glyphs)
                return read;
            if (MayBe(*read, Box, Glyphs, Dots)) {
                if (std::find(uneven.begin(), uneven.end(), *read) != uneven.end())
                    return read;
                uneven.push_back(*read);
            }
        }
    return std::nullopt;
}

std::optional<QString> TLabelReader::ReadTwice(const TGrayPicture& Picture, const QRect& Box, int Glyphs, int Dots)
{
    if (!FApi || Box.isEmpty())
        return std::nullopt;
    std::optional<QString> first;
    for (const int height : ReadHeights)
        if (std::optional<QString> read = ReadAt(Picture, Box, height);
            read && (read->size() == Glyphs || MayBe(*read, Box, Glyphs, Dots))) {
            if (first)
                return *first == *read ? first : std::nullopt;
            first = read;
        }
    return std::nullopt;
}

std::optional<QString> TLabelReader::ReadPhrase(const TGrayPicture& Picture, const QRect& Box,
                                                const std::vector<int>& Words)
{
    if (!FApi || Box.isEmpty())
        return std::nullopt;
    FApi->SetVariable("tessedit_char_whitelist", PhraseCharacters);
    std::optional<QString> agreed = ReadTwice(Picture, Box, std::accumulate(Words.begin(), Words.end(), 0));
    FApi->SetVariable("tessedit_char_whitelist", LabelCharacters);
    // The recogniser does not always see the spaces; the words' glyphs say
    // where they are.
    if (agreed) {
        agreed->remove(u' ');
        int at = 0;
        for (std::size_t i = 0; i + 1 < Words.size(); ++i) {
            at += Words[i];
            agreed->insert(at++, u' ');
        }
    }
    return agreed;
}

std::optional<QString> TLabelReader::ReadName(const TGrayPicture& Picture, const QRect& Box)
{
    if (!FApi || Box.isEmpty())
        return std::nullopt;
    FApi->SetVariable("tessedit_char_whitelist", NameCharacters);
    std::vector<QString> reads;
    std::optional<QString> agreed;
    for (const int height : ReadHeights)
        if (const std::optional<QString> read = ReadLine(Picture, Box, height)) {
            if (std::find(reads.begin(), reads.end(), *read) != reads.end()) {
                agreed = read;
                break;
            }
            reads.push_back(*read);
        }
    FApi->SetVariable("tessedit_char_whitelist", LabelCharacters);
    if (!agreed)
        return std::nullopt;
    // A legend box's side beside the name reads as a bracket.
    static const QRegularExpression side(QStringLiteral("^[\\[\\] ]+|[\\[\\] ]+$"));
    agreed->remove(side);
    // A name has two letters or digits at least; a lone mark is a misread.
    static const QRegularExpression named(QStringLiteral("[A-Za-z0-9].*[A-Za-z0-9]"));
    return agreed->contains(named) ? agreed : std::nullopt;
}

std::optional<QString> TLabelReader::ReadAt(const TGrayPicture& Picture, const QRect& Box, int Height)
{
    std::optional<QString> read = ReadLine(Picture, Box, Height);
    if (!read)
        return std::nullopt;
    read->remove(u' ');
    // A comma not before three digits is a decimal point read as one.
    static const QRegularExpression comma(QStringLiteral(",(?!\\d{3}(\\D|$))"));
    read->replace(comma, QStringLiteral("."));
    return read->isEmpty() ? std::nullopt : read;
}

std::optional<QString> TLabelReader::ReadLine(const TGrayPicture& Picture, const QRect& Box, int Height)
{
    const double scale = double(Height) / Box.height();
    const int w = int(std::ceil(Box.width() * scale)) + 2 * Margin, h = Height + 2 * Margin;
    std::vector<unsigned char> pixels(std::size_t(w) * std::size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // Pixel edges scaled: the box's first pixel starts half a pixel
            // before its centre.
            const double sx = Box.left() - 0.5 + (x - Margin + 0.5) / scale;
            const double sy = Box.top() - 0.5 + (y - Margin + 0.5) / scale;
            const bool inside = sx >= Box.left() - 1 && sx <= Box.right() + 1 && sy >= Box.top() - 1 &&
                                sy <= Box.bottom() + 1;
            pixels[std::size_t(y) * std::size_t(w) + std::size_t(x)] =
                inside ? (unsigned char)std::lround(Picture.Sample(sx, sy)) : 255;
        }
    FApi->SetImage(pixels.data(), w, h, 1, w);
    FApi->SetSourceResolution(300);
    const std::unique_ptr<char[]> text(FApi->GetUTF8Text());
    const QString read = QString::fromUtf8(text.get()).simplified();
    return read.isEmpty() ? std::nullopt : std::optional<QString>(read);
}
