// The main window's desktop conveniences: opening whole files (command line,
// drop, recent list), pasting a picture, zooming by steps and by the wheel,
// the data list's keys, and the window's remembered placement.
#include "formMain.h"

#include "FileKind.h"
#include "StandardErrorBox.h"
#include "WindowPlacement.h"
#include "platform/FileError.h"
#include "view/zoomsteps.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStandardPaths>
#include <QTableView>
#include <QTextEdit>
#include <QWheelEvent>

namespace {

// The one local file a drop carries, or "".
QString DroppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return {};
    return data->urls().first().toLocalFile();
}

bool IsListCopyKey(const QKeyEvent* key)
{
    return key->matches(QKeySequence::Copy);
}

bool IsListDeleteKey(const QKeyEvent* key)
{
    return key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier;
}

} // namespace

bool Tmainform::OpenFile(const QString& FileName)
{
    if (!MayDiscardChanges())
        return false;
    bool opened = false;
    RunGuarded(this, [&] {
        if (FileKindOf(FileName) == fkSession) {
            LoadSessionFile(FileName);
            QuillonView->SetMouseAction(maRubberBand);
            ShowPixelScale();
            opened = true;
        } else {
            opened = LoadImageFile(FileName);
        }
    });
    // A file that has gone stays out of the list; one that failed for
    // another reason may open another time.
    if (!opened && !QFileInfo::exists(FileName))
        Recent.Remove(FileName);
    UpdateCommands();
    return opened;
}

void Tmainform::NoteRecent(const QString& FileName)
{
    // A list not kept loses the user nothing they opened.
    Recent.Add(FileName);
}

void Tmainform::FillRecentMenu()
{
    mnuRecent->clear();
    const QStringList files = Recent.Files();
    for (int i = 0; i < files.size(); ++i) {
        QString caption = QDir::toNativeSeparators(files[i]);
        caption.replace(u'&', QStringLiteral("&&"));
        QAction* item = mnuRecent->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(caption));
        connect(item, &QAction::triggered, this, [this, file = files[i]] { OpenFile(file); });
    }
    if (files.isEmpty())
        mnuRecent->addAction(QStringLiteral("(none)"))->setEnabled(false);
    mnuRecent->addSeparator();
    QAction* clear = mnuRecent->addAction(QStringLiteral("Clear Recent List"));
    clear->setEnabled(!files.isEmpty());
    connect(clear, &QAction::triggered, this, [this] {
        if (!Recent.Clear())
            ShowStandardError(this, QStringLiteral("The recent list could not be cleared: %1").arg(Recent.ErrorString()));
    });
}

bool Tmainform::FocusInTextEdit()
{
    const QWidget* focus = QApplication::focusWidget();
    return qobject_cast<const QLineEdit*>(focus) || qobject_cast<const QTextEdit*>(focus) ||
           qobject_cast<const QPlainTextEdit*>(focus) || qobject_cast<const QAbstractSpinBox*>(focus);
}

bool Tmainform::ClipboardHoldsPicture()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && (data->hasImage() || !DroppedFile(data).isEmpty());
}

void Tmainform::PastePicture(const QImage& Picture)
{
    // Kept as a file, so that a session saved later still finds its picture.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                           QStringLiteral("/Pasted");
    const QString file = folder + QStringLiteral("/pasted-%1.png")
                                      .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")));
    if (Picture.isNull())
        throw EFileError(QStringLiteral("The clipboard holds no picture that can be read."));
    if (!MayDiscardChanges())
        return;
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !Picture.save(&buffer, "PNG"))
        throw EFileError(QStringLiteral("The clipboard's picture could not be made a PNG file."));
    QDir().mkpath(folder);
    // Written as every other file is, so that a full disk says so.
    SaveTextFile(file, png);
    LoadImageFile(file);
}

void Tmainform::acEditPasteExecute()
{
    if (auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget()))
        line->paste();
    else if (!FocusInTextEdit() && ClipboardHoldsPicture()) {
        // A file copied in a file manager opens as if dropped: a drawing
        // keeps its paths, which its pixels would not.
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (const QString file = DroppedFile(data); !file.isEmpty())
            OpenFile(file);
        else
            PastePicture(qvariant_cast<QImage>(data->imageData()));
    }
}

void Tmainform::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFile(event->mimeData()).isEmpty() || event->mimeData()->hasImage())
        event->acceptProposedAction();
}

void Tmainform::dropEvent(QDropEvent* event)
{
    const QString file = DroppedFile(event->mimeData());
    if (!file.isEmpty()) {
        event->acceptProposedAction();
        OpenFile(file);
    } else if (event->mimeData()->hasImage()) {
        event->acceptProposedAction();
        RunGuarded(this, [&] { PastePicture(qvariant_cast<QImage>(event->mimeData()->imageData())); });
        UpdateCommands();
    }
}

void Tmainform::ZoomBy(int Direction)
{
    const QWidget* viewport = ScrollBox->viewport();
    ZoomAbout(QuillonView->mapFrom(viewport, viewport->rect().center()), Direction);
}

void Tmainform::ZoomAbout(QPointF At, int Direction)
{
    // The picture point under At stays where it is on screen.
    const float before = QuillonView->Zoom;
    const float after = ZoomStep(before, Direction);
    if (after == before)
        return;
    const QPointF onScreen = At + QuillonView->pos();
    const QPointF picture = At / double(before);
    QuillonView->SetZoom(after);
    ScrollBox->horizontalScrollBar()->setValue(qRound(picture.x() * double(after) - onScreen.x()));
    ScrollBox->verticalScrollBar()->setValue(qRound(picture.y() * double(after) - onScreen.y()));
}

bool Tmainform::ViewWheel(QWheelEvent* Event)
{
    if (!(Event->modifiers() & Qt::ControlModifier))
        return false;
    // Fine-grained wheels and touchpads step once a notch's worth.
    FWheelRest += Event->angleDelta().y();
    while (std::abs(FWheelRest) >= QWheelEvent::DefaultDeltasPerStep) {
        const int direction = FWheelRest > 0 ? 1 : -1;
        FWheelRest -= direction * QWheelEvent::DefaultDeltasPerStep;
        ZoomAbout(Event->position(), direction);
    }
    return true;
}

bool Tmainform::ListKey(QEvent* Event)
{
    auto* key = static_cast<QKeyEvent*>(Event);
    const bool copy = IsListCopyKey(key);
    const bool erase = IsListDeleteKey(key);
    if (!copy && !erase)
        return false;
    // The list takes these keys before the Edit menu's shortcuts do.
    if (Event->type() == QEvent::ShortcutOverride) {
        Event->accept();
        return true;
    }
    if (copy) {
        RunGuarded(this, [this] { CopySelectedRows(); });
        UpdateCommands();
    } else if (ListView->selectionModel()->hasSelection()) {
        acDeleteSelectedPoints->trigger();
    }
    return true;
}

QString Tmainform::RowText(int Row, QChar Separator) const
{
    const TQuillonViewSettings& s = *QuillonView->Settings;
    return Document.DataLine(Document.CurrentSeries().Points[std::size_t(Row)], Separator, s.NumberPrecision,
                             s.NumberDigits);
}

void Tmainform::CopySelectedRows()
{
    const QList<int> rows = SelectedRows();
    if (rows.isEmpty())
        return;
    QString text;
    for (int row : rows)
        text += RowText(row, u'\t');
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

void Tmainform::ShowSortColumn(int Column, bool Descending)
{
    QHeaderView* header = ListView->horizontalHeader();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(Column, Descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void Tmainform::ShowPictureStart()
{
    // A new picture shows from its top left corner, and the bars say so.
    ScrollBox->horizontalScrollBar()->setValue(0);
    ScrollBox->verticalScrollBar()->setValue(0);
    QuillonView->move(0, 0);
}

void Tmainform::RestorePlacement()
{
    const TWindowPlacement placement = ReadWindowPlacement();
    QRect geometry = placement.Geometry;
    const QScreen* screen = geometry.isEmpty() ? QGuiApplication::primaryScreen()
                                               : QGuiApplication::screenAt(geometry.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    if (geometry.isEmpty())
        geometry = QRect(available.center() - QPoint(400, 300), QSize(800, 600));
    // The frame is not known before the window is shown; KeepFrameOnScreen
    // makes room for it then.
    setGeometry(FitToScreen(geometry, available, QMargins()));
    // The splitter shares out sizes only once it is laid out, when shown.
    if (placement.SplitterSizes.size() == Splitter1->count())
        FStartSplitter = placement.SplitterSizes;
    FStartMaximized = placement.Maximized;
}

void Tmainform::SavePlacement() const
{
    WriteWindowPlacement({normalGeometry(), isMaximized(), Splitter1->sizes()});
}

void Tmainform::KeepFrameOnScreen()
{
    // The real frame is known once shown: its title bar must be reachable.
    const QScreen* screen = this->screen();
    if (!screen || isMaximized())
        return;
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                           frame.bottom() - client.bottom());
    const QRect fitted = FitToScreen(client, screen->availableGeometry(), margins);
    if (fitted != client)
        setGeometry(fitted);
}
