#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QStringList>

#include <array>
#include <vector>

// The rows of the data list: a caption (the site name) and four texts, kept
// in step with the view's events. Rows are found by caption through an index,
// so that an event about one site does not scan the list.
class TDataListModel : public QAbstractTableModel {
public:
    using TRow = std::array<QString, 5>;

    static QStringList Captions();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void AddRow(const TRow& Row);
    // Many rows at the end in one insertion, so that the view lays out once.
    void AddRows(std::vector<TRow> Rows);
    // Rewrites the four texts of every row with this exact caption.
    void SetRowsOf(const QString& Caption, const TRow& Row);
    // Removes every row with this exact caption.
    void DeleteRowsOf(const QString& Caption);
    // The same for many captions at once, in one pass over the rows.
    void DeleteRowsOf(const QStringList& Captions);
    void Clear();

    int Count() const { return static_cast<int>(FRows.size()); }
    const QString& Cell(int Row, int Column) const { return FRows[Row][Column]; }

private:
    std::vector<TRow> FRows;
    QHash<QString, QList<int>> FIndex; // caption -> rows, ascending
};
