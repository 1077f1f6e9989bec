#include "DataListModel.h"

#include "document/PixelText.h"
#include "document/datatext.h"

#include <QSet>

#include <algorithm>

QStringList TDataListModel::Captions()
{
    return {QStringLiteral("N"), QStringLiteral("Data X"), QStringLiteral("Data Y"), QStringLiteral("Pixel X"),
            QStringLiteral("Pixel Y")};
}

int TDataListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FShown;
}

int TDataListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 5;
}

QVariant TDataListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return Cell(index.row(), index.column());
}

QVariant TDataListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 5)
        return Captions()[section];
    return {};
}

QString TDataListModel::Cell(int Row, int Column) const
{
    const TEntry& entry = FRows[std::size_t(Row)];
    return Column == 0 ? entry.Row.Name : TextsOf(entry)[std::size_t(Column - 1)];
}

const std::array<QString, 4>& TDataListModel::TextsOf(const TEntry& Entry) const
{
    if (!Entry.Texts) {
        const TRow& r = Entry.Row;
        auto data = [&r](TAxis axis, double value) {
            return r.Mapped && r.Format ? DataText(r.Format->Mapping, axis, value, r.Format->Precision, r.Format->Digits)
                                        : QString();
        };
        Entry.Texts = {data(axX, r.X), data(axY, r.Y), PixelText(r.Pixel.X), PixelText(r.Pixel.Y)};
    }
    return *Entry.Texts;
}

void TDataListModel::AddRow(TRow Row)
{
    const int row = Count();
    if (FUpdates > 0) {
        // Many rows at once are indexed when first looked up, in one pass.
        FIndexComplete = false;
        FRows.push_back({std::move(Row), std::nullopt});
        return;
    }
    if (FIndexComplete)
        FIndex[Row.Name].append(row);
    beginInsertRows({}, row, row);
    FRows.push_back({std::move(Row), std::nullopt});
    FShown = Count();
    endInsertRows();
}

void TDataListModel::SetRowsOf(const QString& Name, const TRow& Row)
{
    CompleteIndex();
    const auto found = FIndex.constFind(Name);
    if (found == FIndex.constEnd())
        return;
    for (int row : *found) {
        TEntry& entry = FRows[std::size_t(row)];
        entry.Row = Row;
        entry.Row.Name = Name;
        entry.Texts.reset();
        if (row >= FShown || FResetting)
            continue;
        if (FUpdates > 0) {
            FChangedFirst = FChangedFirst < 0 ? row : std::min(FChangedFirst, row);
            FChangedLast = std::max(FChangedLast, row);
        } else {
            emit dataChanged(index(row, 1), index(row, 4));
        }
    }
}

void TDataListModel::DeleteRowsOf(const QString& Name)
{
    CompleteIndex();
    const auto found = FIndex.find(Name);
    if (found == FIndex.end())
        return;
    const QList<int> rows = *found;
    FIndex.erase(found);
    if (FUpdates > 0)
        RowsWillMove();
    // Last to first, so that the rows still to go keep their numbers.
    for (auto r = rows.crbegin(); r != rows.crend(); ++r) {
        if (!FResetting)
            beginRemoveRows({}, *r, *r);
        FRows.erase(FRows.begin() + *r);
        if (!FResetting) {
            FShown = Count();
            endRemoveRows();
        }
    }
    Reindex(rows.first());
}

void TDataListModel::DeleteRowsOf(const QStringList& Names)
{
    CompleteIndex();
    QSet<QString> gone;
    for (const QString& name : Names)
        if (FIndex.contains(name))
            gone.insert(name);
    if (gone.isEmpty())
        return;
    BeginUpdate();
    RowsWillMove();
    std::erase_if(FRows, [&](const TEntry& entry) { return gone.contains(entry.Row.Name); });
    FIndex.clear();
    FIndexComplete = false;
    EndUpdate();
}

void TDataListModel::Clear()
{
    BeginUpdate();
    RowsWillMove();
    FRows.clear();
    FIndex.clear();
    FIndexComplete = true;
    EndUpdate();
}

void TDataListModel::BeginUpdate()
{
    ++FUpdates;
}

void TDataListModel::EndUpdate()
{
    if (FUpdates == 0 || --FUpdates > 0)
        return;
    if (FResetting) {
        FResetting = false;
        FShown = Count();
        endResetModel();
    } else {
        if (FChangedFirst >= 0)
            emit dataChanged(index(FChangedFirst, 1), index(FChangedLast, 4));
        if (Count() > FShown) {
            beginInsertRows({}, FShown, Count() - 1);
            FShown = Count();
            endInsertRows();
        }
    }
    FChangedFirst = FChangedLast = -1;
}

void TDataListModel::RowsWillMove()
{
    if (FResetting)
        return;
    FResetting = true;
    beginResetModel();
}

void TDataListModel::Reindex(int From)
{
    // Only the rows from From on moved: renumber those.
    for (int row = From; row < Count(); ++row) {
        QList<int>& at = FIndex[FRows[std::size_t(row)].Row.Name];
        at.removeIf([From](int r) { return r >= From; });
    }
    for (int row = From; row < Count(); ++row)
        FIndex[FRows[std::size_t(row)].Row.Name].append(row);
}

void TDataListModel::CompleteIndex()
{
    if (FIndexComplete)
        return;
    FIndex.clear();
    FIndex.reserve(Count());
    for (int row = 0; row < Count(); ++row)
        FIndex[FRows[std::size_t(row)].Row.Name].append(row);
    FIndexComplete = true;
}
