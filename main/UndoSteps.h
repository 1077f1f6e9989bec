#pragma once

#include "document/JobChange.h"
#include "document/JobDocument.h"
#include "view/viewchange.h"
#include "view/viewsnapshot.h"

#include <QUndoCommand>

#include <functional>

// A change of the view's points or mapping, kept as what it changed.
class TViewStep : public QUndoCommand {
public:
    TViewStep(TQuillonView& View, const QString& Caption, const TViewSnapshot& Before, const TViewSnapshot& After);
    void undo() override { FChange.Undo(FView); }
    void redo() override;
    const TViewChange& Change() const { return FChange; }

private:
    TQuillonView& FView;
    TViewChange FChange;
    bool FDone = false;
};
// A change of the job's series (made, renamed, deleted or chosen), kept as
// what it changed and applied to the job as it stands; Shown then tells
// whoever shows the job.
class TJobStep : public QUndoCommand {
public:
    TJobStep(TJobDocument& Job, std::function<void()> Shown, const QString& Caption, const TJobDocument& Before,
             const TJobDocument& After);
    void undo() override;
    void redo() override;

private:
    TJobDocument& FJob;
    std::function<void()> FShown;
    TJobChange FChange;
    bool FDone = false;
};

// A flip or an inversion of the picture: each is its own inverse.
class TImageStep : public QUndoCommand {
public:
    TImageStep(const QString& Caption, std::function<void()> Apply);
    void undo() override { FApply(); }
    void redo() override;

private:
    std::function<void()> FApply;
    bool FDone = false;
};
