#pragma once

#include "view/viewsnapshot.h"

#include <QUndoCommand>

#include <functional>

class TQuillonView;

// A change of the view's points or mapping, undone and redone by restoring
// the state before or after it. Pushed once done: the first redo does
// nothing.
class TViewStep : public QUndoCommand {
public:
    TViewStep(TQuillonView* View, const QString& Caption, TViewSnapshot Before, TViewSnapshot After);
    void undo() override;
    void redo() override;

private:
    TQuillonView* FView;
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
