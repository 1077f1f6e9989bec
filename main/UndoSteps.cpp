#include "UndoSteps.h"

TViewStep::TViewStep(TRestore Restore, const QString& Caption, TViewSnapshot Before, TViewSnapshot After)
    : QUndoCommand(Caption)
    , FRestore(std::move(Restore))
    , FBefore(std::move(Before))
    , FAfter(std::move(After))
{
}

void TViewStep::undo()
{
    FRestore(FBefore);
}

void TViewStep::redo()
{
    if (FDone)
        FRestore(FAfter);
    FDone = true;
}

TImageStep::TImageStep(const QString& Caption, std::function<void()> Apply)
    : QUndoCommand(Caption)
    , FApply(std::move(Apply))
{
}

void TImageStep::redo()
{
    if (FDone)
        FApply();
    FDone = true;
}
