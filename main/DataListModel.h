#pragma once

#include "document/viewmapping.h"
#include "platform/WinTypes.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>
#include <vector>

// The rows of the data list: a site's name, position and data values, kept in
// step with the view's events. Rows are found by name through an index, so
// that an event about one site does not scan the list. A row's texts are made
// when first asked for, with the format the row was written under, so that a
// list of many points costs only what is shown.
class TDataListModel : public QAbstractTableModel {
public:
    // What a row's numbers are written with; fixed when the row is written.
    struct TFormat {
        TViewMapping Mapping;
        int Precision = 0;
        int Digits = 0;
    };

    struct TRow {
        QString Name;
        TPointF Pixel;
        bool Mapped = false;
        double X = 0;
        double Y = 0;
        std::shared_ptr<const TFormat> Format; // needed when Mapped
    };

    static QStringList Captions();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void AddRow(TRow Row);
    // Rewrites every row with this exact name.
    void SetRowsOf(const QString& Name, const TRow& Row);
    // Removes every row with this exact name.
    void DeleteRowsOf(const QString& Name);
    // The same for many names at once, in one pass over the rows.
    void DeleteRowsOf(const QStringList& Names);
    void Clear();

    // Between these, changes reach the views as one: a reset when rows went
    // or the list was cleared, else one insertion of the added rows and one
    // change over the rewritten ones. They nest.
    void BeginUpdate();
    void EndUpdate();
    class TUpdate {
    public:
        explicit TUpdate(TDataListModel& Model) : FModel(Model) { FModel.BeginUpdate(); }
        ~TUpdate() { FModel.EndUpdate(); }
        TUpdate(const TUpdate&) = delete;
        TUpdate& operator=(const TUpdate&) = delete;

    private:
        TDataListModel& FModel;
    };

    int Count() const { return static_cast<int>(FRows.size()); }
    // Column 0 is the name; 1 and 2 the data values, empty when the row was
    // written without a mapping; 3 and 4 the pixel position.
    QString Cell(int Row, int Column) const;

private:
    struct TEntry {
        TRow Row;
        mutable std::optional<std::array<QString, 4>> Texts;
    };

    const std::array<QString, 4>& TextsOf(const TEntry& Entry) const;
    // Starts the views' reset once in an update, before the first change
    // that moves rows.
    void RowsWillMove();
    void Reindex(int From);
    void CompleteIndex();

    std::vector<TEntry> FRows;
    QHash<QString, QList<int>> FIndex; // name -> rows, ascending
    bool FIndexComplete = true;        // else made again when next needed
    int FShown = 0;                    // rows the views have been told of
    int FUpdates = 0;
    bool FResetting = false;
    int FChangedFirst = -1, FChangedLast = -1; // shown rows rewritten in an update
};
