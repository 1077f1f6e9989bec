#pragma once

#include "JobDocument.h"
#include "ListStretch.h"

#include <cstddef>

// A change of the job's series, kept as what it changed: the job before and
// after with only the stretch of its series list that differs (between the
// series both share at its start and at its end). Choosing another series
// keeps no series at all; renaming one keeps that one twice.
class TJobChange {
public:
    TJobChange(const TJobDocument& Before, const TJobDocument& After);

    // The job before the change, made from the job as it stands after it,
    // and the other way round.
    TJobDocument Before(const TJobDocument& Now) const { return Made(Now, FBefore); }
    TJobDocument After(const TJobDocument& Now) const { return Made(Now, FAfter); }
    // How many series it keeps.
    std::size_t Kept() const { return FBefore.Series.size() + FAfter.Series.size(); }

private:
    TJobDocument Made(const TJobDocument& Now, const TJobDocument& Kept) const;

    TJobDocument FBefore;
    TJobDocument FAfter;
    TListStretch FStretch;
};
