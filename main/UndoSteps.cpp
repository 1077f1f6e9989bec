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

TJobStep::TJobStep(TNow Now, TShow Show, const QString& Caption, const TJobDocument& Before,
                   const TJobDocument& After)
    : QUndoCommand(Caption)
    , FNow(std::move(Now))
    , FShow(std::move(Show))
    , FChange(Before, After)
{
}

void TJobStep::redo()
{
    if (FDone)
        FShow(FChange.After(FNow()));
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
