// The main window's editing safety: undo and redo of every change to the
// points, the mapping and the picture, moving points by keys, the typed
// plotting area, the title's mark of unsaved work and the question before it
// would be lost.
#include "formMain.h"

#include "StandardErrorBox.h"
#include "UndoSteps.h"
#include "UnsavedWork.h"
#include "widgets/formPlottingArea.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>

void Tmainform::CreateUndo()
{
    acUndo = UndoStack.createUndoAction(this);
    acUndo->setObjectName(QStringLiteral("acUndo"));
    acUndo->setShortcuts(QKeySequence::Undo);
    acRedo = UndoStack.createRedoAction(this);
    acRedo->setObjectName(QStringLiteral("acRedo"));
    acRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    connect(&UndoStack, &QUndoStack::cleanChanged, this, [this] { UpdateTitle(); });
    connect(&UndoStack, &QUndoStack::indexChanged, this, [this] { UpdateCommands(); });
    // Points selected in the list move a pixel at a time; the plain arrows
    // still move the pointer.
    const std::pair<Qt::Key, QPoint> steps[] = {
        {Qt::Key_Left, {-1, 0}}, {Qt::Key_Right, {1, 0}}, {Qt::Key_Up, {0, -1}}, {Qt::Key_Down, {0, 1}}};
    for (const auto& entry : steps) {
        const QPoint step = entry.second;
        auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | entry.first), this);
        connect(shortcut, &QShortcut::activated, this,
                [this, step] { RunGuarded(this, [&] { MoveSelectedPoints(step.x(), step.y()); }); });
    }
    UpdateTitle();
}

void Tmainform::Record(const QString& Caption, const std::function<void()>& Change)
{
    TViewSnapshot before = QuillonView->Snapshot();
    Change();
    PushStep(std::move(before), [&](const TViewSnapshot&, const TViewSnapshot&) { return Caption; });
}

void Tmainform::PushStep(TViewSnapshot Before, const TStepNamer& Name)
{
    TViewSnapshot after = QuillonView->Snapshot();
    if (Before == after)
        return;
    const QString caption = Name(Before, after);
    UndoStack.push(new TViewStep(*QuillonView, caption, Before, after));
}

Tmainform::TStepNamer Tmainform::NamedByChange(const QString& Fallback)
{
    return [Fallback](const TViewSnapshot& Before, const TViewSnapshot& After) {
        return StepCaption(Before, After, Fallback);
    };
}

void Tmainform::RecordImage(const QString& Caption, const std::function<void()>& Apply)
{
    Apply();
    UndoStack.push(new TImageStep(Caption, Apply));
}

void Tmainform::GestureStarts()
{
    FGestureBefore = QuillonView->Snapshot();
}

void Tmainform::QuillonViewGestureEnd(QObject*)
{
    if (!FGestureBefore)
        return;
    TViewSnapshot before = std::move(*FGestureBefore);
    FGestureBefore.reset();
    PushStep(std::move(before), NamedByChange(QStringLiteral("Mapping")));
}

void Tmainform::MoveSelectedPoints(int DX, int DY)
{
    const QStringList names = SelectedNames();
    if (names.isEmpty())
        return;
    TViewSnapshot before = QuillonView->Snapshot();
    QuillonView->MoveSites(names, DX, DY);
    PushStep(std::move(before), NamedByChange(QStringLiteral("Move Points")));
}

void Tmainform::acPlottingAreaExecute()
{
    TQuillonView* v = QuillonView;
    TfrmPlottingArea dialog(this);
    dialog.SetArea(v->MappingRect, v->Angle, v->ImageWidth(), v->ImageHeight());
    if (dialog.exec() != QDialog::Accepted)
        return;
    Record(QStringLiteral("Plotting Area"), [&] {
        v->SetMappingRect(dialog.Area());
        v->SetAngle(dialog.Angle());
        v->RemapSites();
    });
    ShowPointer();
}

void Tmainform::StartHistory(const QString& SessionFile)
{
    UndoStack.clear();
    FSessionFile = SessionFile;
    UpdateTitle();
}

void Tmainform::MarkSaved(const QString& SessionFile)
{
    UndoStack.setClean();
    FSessionFile = SessionFile;
    UpdateTitle();
}

void Tmainform::UpdateTitle()
{
    const QString name = FSessionFile.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(FSessionFile).fileName();
    setWindowTitle(QStringLiteral("%1[*] - Quillon").arg(name));
    setWindowModified(!UndoStack.isClean());
}

bool Tmainform::MayDiscardChanges()
{
    if (UndoStack.isClean() || !AskBeforeDiscarding())
        return true;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quillon"),
                    QStringLiteral("%1 has changes that are not saved. Save them first?")
                        .arg(FSessionFile.isEmpty() ? QStringLiteral("The session") : FSessionFile),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Save);
    auto* dontAsk = new QCheckBox(QStringLiteral("Don't ask again"), &box);
    box.setCheckBox(dontAsk);
    const int answer = box.exec();
    if (answer == QMessageBox::Cancel)
        return false;
    if (dontAsk->isChecked())
        SetAskBeforeDiscarding(false);
    if (answer == QMessageBox::Discard)
        return true;
    bool saved = false;
    RunGuarded(this, [&] {
        const QString file = FSessionFile.isEmpty() ? AskSessionFileName() : FSessionFile;
        if (file.isEmpty())
            return;
        SaveSessionFile(file);
        saved = true;
    });
    return saved;
}

void Tmainform::ShowPointer()
{
    const TPoint& p = QuillonView->MouseImagePoint;
    pnlPointer->setText(QStringLiteral("Pixel: %1, %2  Angle: %3°")
                            .arg(p.X)
                            .arg(p.Y)
                            .arg(NumberText(QuillonView->Angle)));
}
