#include "sitelist.h"

#include <algorithm>

void TSiteList::Bind(TJobDocument& Job)
{
    FJob = &Job;
    Reindex();
}

void TSiteList::Reindex()
{
    FByName.clear();
    const std::vector<TSiteObject>& items = Items();
    FByName.reserve(qsizetype(items.size()));
    for (std::size_t i = 0; i < items.size(); ++i)
        FByName.insert(Key(items[i].Name), int(i));
}

TSiteObject* TSiteList::Find(const QString& Name) const
{
    const auto found = FByName.constFind(Key(Name));
    return found == FByName.constEnd() ? nullptr : At(*found);
}

TSiteObject& TSiteList::Append(TSiteObject Site)
{
    std::vector<TSiteObject>& items = Items();
    FByName.insert(Key(Site.Name), int(items.size()));
    items.push_back(std::move(Site));
    return items.back();
}

void TSiteList::Take(int Index)
{
    std::vector<TSiteObject>& items = Items();
    FByName.remove(Key(items[std::size_t(Index)].Name));
    items.erase(items.begin() + Index);
    for (std::size_t i = std::size_t(Index); i < items.size(); ++i)
        FByName[Key(items[i].Name)] = int(i);
}

std::vector<TSiteObject> TSiteList::TakeNamed(const QStringList& Names)
{
    std::vector<TSiteObject>& items = Items();
    std::vector<bool> named(items.size());
    for (const QString& name : Names)
        if (const auto found = FByName.constFind(Key(name)); found != FByName.constEnd())
            named[std::size_t(*found)] = true;
    std::vector<TSiteObject> taken;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (named[i])
            taken.push_back(std::move(items[i]));
        else if (kept++ != i)
            items[kept - 1] = std::move(items[i]);
    }
    items.erase(items.begin() + std::ptrdiff_t(kept), items.end());
    if (!taken.empty())
        Reindex();
    return taken;
}

void TSiteList::Clear()
{
    Items().clear();
    FByName.clear();
}

void TSiteList::Assign(std::vector<TSiteObject> Points)
{
    Items() = std::move(Points);
    Reindex();
}

void TSiteList::Sort(const std::function<int(const TSiteObject&, const TSiteObject&)>& Compare)
{
    std::vector<TSiteObject>& items = Items();
    std::stable_sort(items.begin(), items.end(), [&](const auto& a, const auto& b) { return Compare(a, b) < 0; });
    Reindex();
}
