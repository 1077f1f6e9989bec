#include "UndoSteps.h"

TViewStep::TViewStep(TQuillonView& View, const QString& Caption, const TViewSnapshot& Before,
                     const TViewSnapshot& After)
    : QUndoCommand(Caption)
    , FView(View)
    , FChange(Before, After)
{
}

void TViewStep::redo()
{
    if (FDone)
        FChange.Redo(FView);
    FDone = true;
}

TJobStep::TJobStep(TJobDocument& Job, std::function<void()> Shown, const QString& Caption,
                   const TJobDocument& Before, const TJobDocument& After)
    : QUndoCommand(Caption)
    , FJob(Job)
    , FShown(std::move(Shown))
    , FChange(Before, After)
{
}

void TJobStep::undo()
{
    FChange.Undo(FJob);
    FShown();
}

void TJobStep::redo()
{
    if (FDone) {
        FChange.Redo(FJob);
        FShown();
    }
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
