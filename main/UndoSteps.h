#pragma once

#include "document/JobDocument.h"
#include "view/viewchange.h"
#include "view/viewsnapshot.h"

#include <QUndoCommand>

#include <functional>

// A change undone and redone by restoring the state before or after it
// through Restore. Pushed once done: the first redo does nothing.
template <class TState>
class TStateStep : public QUndoCommand {
public:
    using TRestore = std::function<void(const TState&)>;
    TStateStep(TRestore Restore, const QString& Caption, TState Before, TState After)
        : QUndoCommand(Caption)
        , FRestore(std::move(Restore))
        , FBefore(std::move(Before))
        , FAfter(std::move(After))
    {
    }
    void undo() override { FRestore(FBefore); }
    void redo() override
    {
        if (FDone)
            FRestore(FAfter);
        FDone = true;
    }

private:
    TRestore FRestore;
    TState FBefore;
    TState FAfter;
    bool FDone = false;
};

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
// A change of the job's series: made, renamed, deleted or chosen.
using TJobStep = TStateStep<TJobDocument>;

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
