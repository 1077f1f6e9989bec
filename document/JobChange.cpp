#include "JobChange.h"

TJobChange::TJobChange(const TJobDocument& Before, const TJobDocument& After)
    : FStretch(TListStretch::Between(Before.Series, After.Series))
{
    FBefore = {FStretch.Inside(Before.Series), Before.Current};
    FAfter = {FStretch.Inside(After.Series), After.Current};
}

void TJobChange::Put(TJobDocument& Job, const TSide& Side) const
{
    FStretch.Splice(Job.Series, Side.Series);
    Job.Current = Side.Current;
}
