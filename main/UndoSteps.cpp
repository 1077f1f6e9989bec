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
