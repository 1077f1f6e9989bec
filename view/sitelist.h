#pragma once

#include "siteobject.h"
#include "document/JobDocument.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// The view's ordered sites: the points of the job's current series, held by
// the job. Order is insertion or the last sort; names are unique when case
// is ignored, and found through an index rather than a scan. The index
// follows every change made through the list; after the job's series
// changed elsewhere, Bind again.
class TSiteList {
public:
    explicit TSiteList(TJobDocument& Job) { Bind(Job); }

    // The sites are Job's current series from now on.
    void Bind(TJobDocument& Job);

    int Count() const { return static_cast<int>(Items().size()); }
    // Valid until the list next changes.
    TSiteObject* At(int Index) const { return &Items()[std::size_t(Index)]; }
    TSiteObject* Find(const QString& Name) const;
    int IndexOf(const TSiteObject* Site) const { return static_cast<int>(Site - Items().data()); }

    TSiteObject& Append(TSiteObject Site);
    void Take(int Index);
    // Takes every site named in Names out in one pass, the rest keeping
    // their order; the taken ones come back in list order.
    std::vector<TSiteObject> TakeNamed(const QStringList& Names);
    void Clear();
    // Every site replaced by Points, in order.
    void Assign(std::vector<TSiteObject> Points);
    // Compare returns 1, 0 or -1 as for a three-way comparison.
    void Sort(const std::function<int(const TSiteObject&, const TSiteObject&)>& Compare);

private:
    void Reindex();
    static QString Key(const QString& Name) { return Name.toCaseFolded(); }
    std::vector<TSiteObject>& Items() const { return FJob->CurrentSeries().Points; }

    TJobDocument* FJob = nullptr;
    // Case-folded name to index.
    QHash<QString, int> FByName;
};
