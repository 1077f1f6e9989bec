#include "ExtractionReport.h"

#include "ColourRule.h"

#include <QStringList>

#include <cmath>

bool TExtractionReport::Doubtful() const
{
    return Coverage() < 0.5 || ExplainedShare() < 0.5 || JumpsRefused > 0 || Ambiguous > 0 ||
           (Covered > 0 && 2 * AlongRuled >= Covered);
}

QString TExtractionReport::Text(std::size_t Points) const
{
    QStringList parts{QStringLiteral("%1 points").arg(Points)};
    if (ShownAs)
        parts << QStringLiteral("taken in %1 as the picture shows the colour").arg(RgbText(*ShownAs));
    if (Steps > 0)
        parts << QStringLiteral("%1 % of the width covered").arg(std::lround(100 * Coverage()));
    parts << QStringLiteral("%1 % of the colour's pixels explained").arg(std::lround(100 * ExplainedShare()));
    parts << QStringLiteral("jumps refused: %1").arg(JumpsRefused);
    parts << QStringLiteral("pieces left out: %1").arg(PiecesLeftOut);
    if (LegendLeftOut > 0)
        parts << QStringLiteral("legend left out");
    if (LinesLeftOut > 0)
        parts << QStringLiteral("pieces of line left out: %1").arg(LinesLeftOut);
    if (AlongRuled > 0)
        parts << QStringLiteral("points along a frame or grid line: %1").arg(AlongRuled);
    if (Ambiguous > 0)
        parts << QStringLiteral("partings undecided: %1").arg(Ambiguous);
    QString text = parts.join(QStringLiteral(", ")) + u'.';
    if (Doubtful())
        text += QStringLiteral(" The result is doubtful: check it against the picture.");
    return text;
}
