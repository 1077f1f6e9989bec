#include "BatchInputs.h"

#include "BatchManifest.h"
#include "FileKind.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSet>

#include <algorithm>

namespace {

QString Absolute(const QString& Path, const QDir& From = QDir::current())
{
    return QDir::cleanPath(From.absoluteFilePath(Path));
}

// A folder's pictures, told by their first bytes, so that the results a run
// writes beside them are never taken for pictures.
void AddFolder(const QString& Folder, bool Recursive, QStringList& Pictures)
{
    QDirIterator it(Folder, QDir::Files | QDir::Readable,
                    Recursive ? QDirIterator::Subdirectories | QDirIterator::FollowSymlinks : QDirIterator::NoIteratorFlags);
    while (it.hasNext()) {
        const QString file = it.next();
        if (LooksLikePicture(file))
            Pictures.append(Absolute(file));
    }
}

bool ReadAll(const QString& Name, QIODevice& Input, QByteArray& Bytes, QString& Problem)
{
    if (Name == QStringLiteral("-")) {
        Bytes = Input.readAll();
        return true;
    }
    QFile file(Name);
    if (!file.open(QIODevice::ReadOnly)) {
        Problem = QStringLiteral("Cannot read %1: %2").arg(Name, file.errorString());
        return false;
    }
    Bytes = file.readAll();
    return true;
}

// Gives each item the picture's name, numbered where another has it.
void NameItems(std::vector<TBatchItem>& Items, const QStringList& Reserved)
{
    QSet<QString> taken(Reserved.begin(), Reserved.end());
    for (TBatchItem& item : Items) {
        const QString base = QFileInfo(item.Picture).completeBaseName();
        QString name = base;
        for (int n = 2; taken.contains(name); ++n)
            name = QStringLiteral("%1-%2").arg(base).arg(n);
        taken.insert(name);
        item.Name = name;
    }
}

} // namespace

QString BatchReportName(const TBatchRequest& Request)
{
    return Request.Shards > 1 ? QStringLiteral("report-%1-of-%2.csv").arg(Request.Shard).arg(Request.Shards)
                              : QStringLiteral("report.csv");
}

std::vector<TBatchItem> BatchItems(const TBatchRequest& Request, QIODevice& Input, QString& Problem)
{
    QStringList pictures;
    for (const QString& input : Request.Inputs) {
        if (QFileInfo(input).isDir())
            AddFolder(input, Request.Recursive, pictures);
        else
            pictures.append(Absolute(input));
    }
    if (!Request.ListFile.isEmpty()) {
        QByteArray bytes;
        if (!ReadAll(Request.ListFile, Input, bytes, Problem))
            return {};
        for (const QByteArray& line : bytes.split('\n'))
            if (const QString path = QString::fromUtf8(line).remove(u'\r'); !path.trimmed().isEmpty())
                pictures.append(Absolute(path));
    }
    const auto fromOptions = [&](const QString& Picture) {
        return TBatchItem{Picture, Request.Template.isEmpty() ? QString() : Absolute(Request.Template),
                          Request.Extract, {}};
    };
    std::vector<TBatchItem> items;
    for (const QString& picture : pictures)
        items.push_back(fromOptions(picture));
    if (!Request.Manifest.isEmpty()) {
        QByteArray bytes;
        if (!ReadAll(Request.Manifest, Input, bytes, Problem))
            return {};
        const std::vector<TManifestRow> rows = ReadManifest(bytes, Problem);
        if (!Problem.isEmpty()) {
            Problem = QStringLiteral("The manifest %1, %2.").arg(Request.Manifest, Problem);
            return {};
        }
        const QDir folder = Request.Manifest == QStringLiteral("-") ? QDir::current()
                                                                    : QFileInfo(Request.Manifest).absoluteDir();
        for (const TManifestRow& row : rows) {
            TBatchItem item = fromOptions(Absolute(row.Picture, folder));
            if (!row.Template.isEmpty())
                item.Template = Absolute(row.Template, folder);
            item.Extract.Kind = row.Kind.value_or(item.Extract.Kind);
            item.Extract.Colour = row.Colour.value_or(item.Extract.Colour);
            if (row.Tolerance)
                item.Extract.Tolerance = row.Tolerance;
            item.Extract.Step = row.Step.value_or(item.Extract.Step);
            const QString where = QStringLiteral("The manifest %1, line %2: ").arg(Request.Manifest).arg(row.Line);
            if (item.Extract.Kind == TExtractRequest::ekNone)
                Problem = where + QStringLiteral("no kind; give it in the row or as --extract-curve or --extract-markers.");
            else if (!row.Colour && item.Extract.Kind != Request.Extract.Kind)
                Problem = where + QStringLiteral("no colour for its kind.");
            else if (item.Template.isEmpty() && !Request.AutoAxes)
                Problem = where + QStringLiteral("no template; give it in the row, as --template, or use --auto-axes.");
            if (!Problem.isEmpty())
                return {};
            items.push_back(item);
        }
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const TBatchItem& a, const TBatchItem& b) { return a.Picture < b.Picture; });
    // A picture named twice the same way is run once.
    items.erase(std::unique(items.begin(), items.end(),
                            [](const TBatchItem& a, const TBatchItem& b) {
                                return a.Picture == b.Picture && a.Template == b.Template &&
                                       a.Extract.Kind == b.Extract.Kind && a.Extract.Colour == b.Extract.Colour &&
                                       a.Extract.Tolerance == b.Extract.Tolerance && a.Extract.Step == b.Extract.Step;
                            }),
                items.end());
    NameItems(items, {QStringLiteral("report"), QFileInfo(BatchReportName(Request)).completeBaseName()});
    return items;
}

std::vector<TBatchItem> ShardOf(const std::vector<TBatchItem>& Items, int Shard, int Shards)
{
    const std::size_t n = Items.size();
    const std::size_t from = n * std::size_t(Shard - 1) / std::size_t(Shards);
    const std::size_t to = n * std::size_t(Shard) / std::size_t(Shards);
    return {Items.begin() + std::ptrdiff_t(from), Items.begin() + std::ptrdiff_t(to)};
}
