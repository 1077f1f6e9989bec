#pragma once

#include "siteobject.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

// The view's ordered sites. Order is insertion or the last sort; names are
// unique when case is ignored, and found through an index rather than a scan.
class TSiteList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    TSiteObject* At(int Index) const { return FItems[Index].get(); }
    TSiteObject* Find(const QString& Name) const;
    int IndexOf(const TSiteObject* Site) const;

    void Append(std::unique_ptr<TSiteObject> Site);
    std::unique_ptr<TSiteObject> Take(int Index);
    // Takes every site named in Names out in one pass, the rest keeping
    // their order; the taken ones come back in list order.
    std::vector<std::unique_ptr<TSiteObject>> TakeNamed(const QStringList& Names);
    void Clear();
    // Compare returns 1, 0 or -1 as for a three-way comparison.
    void Sort(const std::function<int(const TSiteObject&, const TSiteObject&)>& Compare);

private:
    static QString Key(const QString& Name) { return Name.toCaseFolded(); }

    std::vector<std::unique_ptr<TSiteObject>> FItems;
    QHash<QString, TSiteObject*> FByName;
};
