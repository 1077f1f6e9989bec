#pragma once

#include "view/viewsnapshot.h"

#include <QUndoCommand>

#include <functional>

// A change of the view's points or mapping, undone and redone by restoring
// the state before or after it through Restore. Pushed once done: the first
// redo does nothing.
class TViewStep : public QUndoCommand {
public:
    using TRestore = std::function<void(const TViewSnapshot&)>;
    TViewStep(TRestore Restore, const QString& Caption, TViewSnapshot Before, TViewSnapshot After);
    void undo() override;
    void redo() override;

private:
    TRestore FRestore;
    TViewSnapshot FBefore;
    TViewSnapshot FAfter;
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
