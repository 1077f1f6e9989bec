#include "BatchManifest.h"

#include "ExtractOptions.h"

#include <QStringList>

namespace {

// The records of CSV text with their first lines; quoted cells may hold
// commas, quotes and line breaks.
std::vector<std::pair<int, QStringList>> CsvRecords(const QString& Text)
{
    std::vector<std::pair<int, QStringList>> records;
    QStringList record;
    QString cell;
    bool quoted = false, any = false;
    int line = 1, first = 1;
    const auto endRecord = [&] {
        record.append(cell);
        if (any || record.size() > 1 || !record.first().isEmpty())
            records.emplace_back(first, record);
        record.clear();
        cell.clear();
        any = false;
    };
    for (qsizetype i = 0; i < Text.size(); ++i) {
        const QChar c = Text[i];
        if (c == u'\n')
            ++line;
        if (quoted) {
            if (c == u'"' && i + 1 < Text.size() && Text[i + 1] == u'"')
                cell += Text[++i];
            else if (c == u'"')
                quoted = false;
            else
                cell += c;
        } else if (c == u'"') {
            quoted = any = true;
        } else if (c == u',') {
            record.append(cell);
            cell.clear();
        } else if (c == u'\n') {
            endRecord();
            first = line;
        } else if (c != u'\r') {
            cell += c;
        }
    }
    endRecord();
    return records;
}

} // namespace

std::vector<TManifestRow> ReadManifest(const QByteArray& Bytes, QString& Problem)
{
    QString text = QString::fromUtf8(Bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const std::vector<std::pair<int, QStringList>> records = CsvRecords(text);
    if (records.empty()) {
        Problem = QStringLiteral("it is empty; its first line names the columns");
        return {};
    }
    static const QStringList known{QStringLiteral("picture"), QStringLiteral("template"), QStringLiteral("kind"),
                                   QStringLiteral("colour"),  QStringLiteral("tolerance"), QStringLiteral("step")};
    std::vector<int> column(std::size_t(known.size()), -1);
    const QStringList& header = records.front().second;
    for (int i = 0; i < header.size(); ++i) {
        const int which = int(known.indexOf(header[i].trimmed().toLower()));
        if (which < 0) {
            Problem = QStringLiteral("line 1: no column is called \"%1\"; the columns are %2")
                          .arg(header[i].trimmed(), known.join(QStringLiteral(", ")));
            return {};
        }
        column[std::size_t(which)] = i;
    }
    if (column[0] < 0) {
        Problem = QStringLiteral("line 1: no column is called \"picture\"");
        return {};
    }
    std::vector<TManifestRow> rows;
    for (auto r = records.begin() + 1; r != records.end(); ++r) {
        const auto cell = [&](int which) {
            const int at = column[std::size_t(which)];
            return at >= 0 && at < r->second.size() ? r->second[at].trimmed() : QString();
        };
        TManifestRow row;
        row.Line = r->first;
        const auto wrong = [&](const QString& why) {
            Problem = QStringLiteral("line %1: %2").arg(row.Line).arg(why);
            return std::vector<TManifestRow>{};
        };
        if (r->second.size() > header.size())
            return wrong(QStringLiteral("more cells than the header names"));
        row.Picture = cell(0);
        if (row.Picture.isEmpty())
            return wrong(QStringLiteral("no picture"));
        row.Template = cell(1);
        if (const QString kind = cell(2).toLower(); kind == QStringLiteral("curve"))
            row.Kind = TExtractRequest::ekCurve;
        else if (kind == QStringLiteral("markers"))
            row.Kind = TExtractRequest::ekMarkers;
        else if (!kind.isEmpty())
            return wrong(QStringLiteral("the kind is curve or markers, not \"%1\"").arg(cell(2)));
        if (const QString colour = cell(3); !colour.isEmpty() && !(row.Colour = ParseRgb(colour)))
            return wrong(QStringLiteral("the colour is written #RRGGBB, not \"%1\"").arg(colour));
        if (const QString tolerance = cell(4); !tolerance.isEmpty() && !(row.Tolerance = ToleranceOf(tolerance)))
            return wrong(QStringLiteral("the tolerance is a whole number from 0 to 255, not \"%1\"").arg(tolerance));
        if (const QString step = cell(5); !step.isEmpty() && !(row.Step = StepOf(step)))
            return wrong(QStringLiteral("the step is a number of pixels, 1 or more, not \"%1\"").arg(step));
        rows.push_back(row);
    }
    return rows;
}
