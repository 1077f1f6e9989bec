#include "PictureWait.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>

namespace {

// A wait shorter than this passes unremarked.
constexpr qint64 NoticeableMs = 300;

bool IsInput(QEvent::Type Type)
{
    switch (Type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::Drop:
    case QEvent::DragEnter:
    case QEvent::DragMove:
        return true;
    default:
        return false;
    }
}

} // namespace

TPictureWait::TPictureWait(QMainWindow& Window) : FWindow(Window) {}

TPictureWait::~TPictureWait()
{
    if (FActive)
        End();
}

void TPictureWait::Begin(const QString& FileName)
{
    FFileName = FileName;
    FCancelled = false;
    FActive = true;
    FClock.start();
    qApp->installEventFilter(this);
}

bool TPictureWait::Waiting()
{
    if (!FPanel && FClock.elapsed() >= NoticeableMs)
        Show();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return !FCancelled;
}

void TPictureWait::End()
{
    if (!FActive)
        return;
    FActive = false;
    qApp->removeEventFilter(this);
    if (FPanel) {
        delete FPanel;
        QApplication::restoreOverrideCursor();
    }
}

void TPictureWait::Show()
{
    auto* panel = new QWidget;
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Opening %1... Esc cancels").arg(QFileInfo(FFileName).fileName())));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("bCancelLoad"));
    connect(cancel, &QPushButton::clicked, this, [this] { FCancelled = true; });
    layout->addWidget(cancel);
    FWindow.statusBar()->addPermanentWidget(panel);
    FPanel = panel;
    QApplication::setOverrideCursor(Qt::BusyCursor);
}

bool TPictureWait::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::Close && Watched == &FWindow) {
        FCancelled = true;
        Event->ignore();
        return true;
    }
    if (!IsInput(Event->type()))
        return false;
    if (Event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Escape) {
        FCancelled = true;
        return true;
    }
    // The Cancel button alone takes the pointer.
    auto* widget = qobject_cast<QWidget*>(Watched);
    const bool onPanel = FPanel && widget && (widget == FPanel || FPanel->isAncestorOf(widget));
    return !onPanel;
}
