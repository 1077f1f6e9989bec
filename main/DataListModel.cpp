#include "DataListModel.h"

#include <QSet>

#include <algorithm>

QStringList TDataListModel::Captions()
{
    return {QStringLiteral("N"), QStringLiteral("Data X"), QStringLiteral("Data Y"), QStringLiteral("Pixel X"),
            QStringLiteral("Pixel Y")};
}

int TDataListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Count();
}

int TDataListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 5;
}

QVariant TDataListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return FRows[index.row()][index.column()];
}

QVariant TDataListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 5)
        return Captions()[section];
    return {};
}

void TDataListModel::AddRow(const TRow& Row)
{
    const int row = Count();
    beginInsertRows({}, row, row);
    FRows.push_back(Row);
    FIndex[Row[0]].append(row);
    endInsertRows();
}

void TDataListModel::AddRows(std::vector<TRow> Rows)
{
    if (Rows.empty())
        return;
    const int first = Count();
    beginInsertRows({}, first, first + int(Rows.size()) - 1);
    FRows.reserve(FRows.size() + Rows.size());
    for (TRow& row : Rows) {
        FIndex[row[0]].append(Count());
        FRows.push_back(std::move(row));
    }
    endInsertRows();
}

void TDataListModel::SetRowsOf(const QString& Caption, const TRow& Row)
{
    const auto found = FIndex.constFind(Caption);
    if (found == FIndex.constEnd())
        return;
    for (int row : *found) {
        std::copy(Row.begin() + 1, Row.end(), FRows[row].begin() + 1);
        emit dataChanged(index(row, 1), index(row, 4));
    }
}

void TDataListModel::DeleteRowsOf(const QString& Caption)
{
    const auto found = FIndex.find(Caption);
    if (found == FIndex.end())
        return;
    const QList<int> rows = *found;
    FIndex.erase(found);
    // Last to first, so that the rows still to go keep their numbers.
    for (auto r = rows.crbegin(); r != rows.crend(); ++r) {
        beginRemoveRows({}, *r, *r);
        FRows.erase(FRows.begin() + *r);
        endRemoveRows();
    }
    // Only the rows after the first removed one moved up: renumber those.
    const int first = rows.first();
    for (int row = first; row < Count(); ++row) {
        QList<int>& at = FIndex[FRows[row][0]];
        at.removeIf([first](int r) { return r >= first; });
    }
    for (int row = first; row < Count(); ++row)
        FIndex[FRows[row][0]].append(row);
}

void TDataListModel::DeleteRowsOf(const QStringList& Captions)
{
    QSet<QString> gone;
    for (const QString& caption : Captions)
        if (FIndex.contains(caption))
            gone.insert(caption);
    if (gone.isEmpty())
        return;
    beginResetModel();
    std::erase_if(FRows, [&](const TRow& row) { return gone.contains(row[0]); });
    FIndex.clear();
    for (int row = 0; row < Count(); ++row)
        FIndex[FRows[row][0]].append(row);
    endResetModel();
}

void TDataListModel::Clear()
{
    beginResetModel();
    FRows.clear();
    FIndex.clear();
    endResetModel();
}
