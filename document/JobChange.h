#pragma once

#include "JobDocument.h"
#include "ListStretch.h"

#include <cstddef>
#include <vector>

// A change of the job's series (made, renamed, deleted or chosen), kept as
// what it changed: which series was current before and after, and only the
// stretch of the series list that differs (between the series both share at
// its start and at its end). Choosing another series keeps no series at
// all; renaming one keeps that one twice. Undone and redone on the job as
// it stands.
class TJobChange {
public:
    TJobChange(const TJobDocument& Before, const TJobDocument& After);

    void Undo(TJobDocument& Job) const { Put(Job, FBefore); }
    void Redo(TJobDocument& Job) const { Put(Job, FAfter); }
    // How many series it keeps.
    std::size_t Kept() const { return FBefore.Series.size() + FAfter.Series.size(); }

private:
    struct TSide {
        std::vector<TSeries> Series;
        int Current = 0;
    };
    void Put(TJobDocument& Job, const TSide& Side) const;

    TSide FBefore;
    TSide FAfter;
    TListStretch FStretch;
};
