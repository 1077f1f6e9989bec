#include "JobChange.h"

TJobChange::TJobChange(const TJobDocument& Before, const TJobDocument& After)
    : FBefore(Before)
    , FAfter(After)
    , FStretch(TListStretch::Between(Before.Series, After.Series))
{
    FBefore.Series = FStretch.Inside(Before.Series);
    FAfter.Series = FStretch.Inside(After.Series);
}

TJobDocument TJobChange::Made(const TJobDocument& Now, const TJobDocument& Kept) const
{
    TJobDocument job = Kept;
    job.Series = FStretch.Spliced(Now.Series, Kept.Series);
    return job;
}
