#include "JobChange.h"

#include <algorithm>

TJobChange::TJobChange(const TJobDocument& Before, const TJobDocument& After)
    : FBefore(Before)
    , FAfter(After)
{
    const std::vector<TSeries>& b = Before.Series;
    const std::vector<TSeries>& a = After.Series;
    const std::size_t shorter = std::min(b.size(), a.size());
    while (FStart < shorter && b[FStart] == a[FStart])
        ++FStart;
    while (FEnd < shorter - FStart && b[b.size() - 1 - FEnd] == a[a.size() - 1 - FEnd])
        ++FEnd;
    // Fresh lists, so that the whole ones' room goes.
    FBefore.Series = std::vector<TSeries>(b.begin() + std::ptrdiff_t(FStart), b.end() - std::ptrdiff_t(FEnd));
    FAfter.Series = std::vector<TSeries>(a.begin() + std::ptrdiff_t(FStart), a.end() - std::ptrdiff_t(FEnd));
}

TJobDocument TJobChange::Made(const TJobDocument& Now, const TJobDocument& Kept) const
{
    TJobDocument job = Kept;
    job.Series.assign(Now.Series.begin(), Now.Series.begin() + std::ptrdiff_t(FStart));
    job.Series.insert(job.Series.end(), Kept.Series.begin(), Kept.Series.end());
    job.Series.insert(job.Series.end(), Now.Series.end() - std::ptrdiff_t(FEnd), Now.Series.end());
    return job;
}
