#include "sitelist.h"

#include <QSet>

#include <algorithm>

TSiteObject* TSiteList::Find(const QString& Name) const
{
    return FByName.value(Key(Name), nullptr);
}

int TSiteList::IndexOf(const TSiteObject* Site) const
{
    const auto found = std::find_if(FItems.begin(), FItems.end(),
                                    [Site](const auto& item) { return item.get() == Site; });
    return found == FItems.end() ? -1 : static_cast<int>(found - FItems.begin());
}

void TSiteList::Append(std::unique_ptr<TSiteObject> Site)
{
    FByName.insert(Key(Site->Name), Site.get());
    FItems.push_back(std::move(Site));
}

std::unique_ptr<TSiteObject> TSiteList::Take(int Index)
{
    std::unique_ptr<TSiteObject> site = std::move(FItems[Index]);
    FItems.erase(FItems.begin() + Index);
    FByName.remove(Key(site->Name));
    return site;
}

std::vector<std::unique_ptr<TSiteObject>> TSiteList::TakeNamed(const QStringList& Names)
{
    QSet<const TSiteObject*> named;
    for (const QString& name : Names)
        if (const TSiteObject* site = Find(name))
            named.insert(site);
    std::vector<std::unique_ptr<TSiteObject>> taken;
    auto kept = FItems.begin();
    for (auto& item : FItems) {
        if (named.contains(item.get())) {
            FByName.remove(Key(item->Name));
            taken.push_back(std::move(item));
        } else {
            *kept++ = std::move(item);
        }
    }
    FItems.erase(kept, FItems.end());
    return taken;
}

void TSiteList::Clear()
{
    FItems.clear();
    FByName.clear();
}

void TSiteList::Sort(const std::function<int(const TSiteObject&, const TSiteObject&)>& Compare)
{
    std::stable_sort(FItems.begin(), FItems.end(),
                     [&](const auto& a, const auto& b) { return Compare(*a, *b) < 0; });
}
