#include "UndoSteps.h"

#include "view/quillonview.h"

TViewStep::TViewStep(TQuillonView* View, const QString& Caption, TViewSnapshot Before, TViewSnapshot After)
    : QUndoCommand(Caption)
    , FView(View)
    , FBefore(std::move(Before))
    , FAfter(std::move(After))
{
}

void TViewStep::undo()
{
    FView->Restore(FBefore);
}

void TViewStep::redo()
{
    if (FDone)
        FView->Restore(FAfter);
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
