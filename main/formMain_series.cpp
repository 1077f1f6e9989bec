// The job's several series: the Series menu, the tool bar's chooser, and
// the view moving from one series to another.
#include "formMain.h"

#include "StandardErrorBox.h"

#include <QAction>
#include <QComboBox>
#include <QInputDialog>
#include <QMessageBox>
#include <QSignalBlocker>

void Tmainform::CreateSeriesCommands()
{
    acSeriesNew = Command(QStringLiteral("acSeriesNew"), QStringLiteral("&New Series"), [this] { acSeriesNewExecute(); });
    acSeriesRename = Command(QStringLiteral("acSeriesRename"), QStringLiteral("&Rename Series..."),
                             [this] { acSeriesRenameExecute(); });
    acSeriesDelete = Command(QStringLiteral("acSeriesDelete"), QStringLiteral("&Delete Series"),
                             [this] { acSeriesDeleteExecute(); });
    acSeriesNext = Command(QStringLiteral("acSeriesNext"), QStringLiteral("Ne&xt Series"),
                           [this] { SelectSeries(Document.Current + 1); });
    acSeriesNext->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown));
    acSeriesPrevious = Command(QStringLiteral("acSeriesPrevious"), QStringLiteral("&Previous Series"),
                               [this] { SelectSeries(Document.Current - 1); });
    acSeriesPrevious->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp));
    acExportAllSeries = Command(QStringLiteral("acExportAllSeries"), QStringLiteral("&Export All Series..."),
                                [this] { acExportAllSeriesExecute(); });

    cbSeries = new QComboBox(this);
    cbSeries->setObjectName(QStringLiteral("cbSeries"));
    cbSeries->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(cbSeries, &QComboBox::activated, this, [this](int index) {
        RunGuarded(this, [&] { SelectSeries(index); });
        UpdateCommands();
        // Back to the picture, so that Insert and the arrow keys go on.
        QuillonView->setFocus();
    });
    FillSeriesChooser();
}

void Tmainform::ShowSeries()
{
    QuillonView->Settings->SetLook(Document.CurrentSeries().Look);
    QuillonView->SeriesChanged();
    ShowOtherSeries();
    FillSeriesChooser();
}

void Tmainform::ShowLoadedDocument(TJobDocument& Loaded)
{
    TQuillonView& v = *QuillonView;
    const TViewMapping& m = Loaded.Mapping();
    const TDataListModel::TUpdate update(*ListModel);
    v.ClearSites();
    // The current series comes in through the view, with its events; until
    // then it is as empty as the series the view has just cleared.
    std::vector<TSeriesPoint> points = std::move(Loaded.CurrentSeries().Points);
    Loaded.CurrentSeries().Points.clear();
    Document.Series = std::move(Loaded.Series);
    Document.Current = Loaded.Current;
    Document.ImageFileName = Loaded.ImageFileName;
    Document.ImagePage = Loaded.ImagePage;
    Document.ImageResolution = Loaded.ImageResolution;
    v.Settings->SetLook(Document.CurrentSeries().Look);
    ShowOtherSeries();
    v.SetMappingRect(m.MappingRect);
    v.SetAxisValues(m.XLeftValue, m.YTopValue, m.XRightValue, m.YBottomValue);
    v.SetAxisKinds(m.AxisXMap, m.AxisYMap);
    v.SetAxisUnits(m.XUnit, m.YUnit);
    v.SetCalibration(m.Calibration);
    v.AddNamedSites(points);
    v.RemapSites();
    v.SetAngle(m.Angle);
    v.SetZoom(m.Zoom);
    FillSeriesChooser();
}

void Tmainform::ShowOtherSeries()
{
    std::vector<TQuillonView::TSeriesShape> shapes;
    for (std::size_t i = 0; i < Document.Series.size(); ++i) {
        if (int(i) == Document.Current)
            continue;
        const TSeries& series = Document.Series[i];
        TQuillonView::TSeriesShape shape{series.Look, {}};
        shape.Points.reserve(series.Points.size());
        for (const TSeriesPoint& p : series.Points)
            shape.Points.push_back({p.X, p.Y});
        shapes.push_back(std::move(shape));
    }
    QuillonView->SetOtherSeries(std::move(shapes));
}

void Tmainform::FillSeriesChooser()
{
    const QSignalBlocker quiet(cbSeries);
    cbSeries->clear();
    for (const TSeries& series : Document.Series)
        cbSeries->addItem(series.Name);
    cbSeries->setCurrentIndex(Document.Current);
}

void Tmainform::RecordJob(const QString& Caption, const std::function<void(TJobDocument&)>& Change)
{
    const TJobDocument before = Document;
    Change(Document);
    ShowSeries();
    UndoStack.push(new TJobStep(Document, [this] { ShowSeries(); }, Caption, before, Document));
}

void Tmainform::SelectSeries(int Index)
{
    if (Index < 0 || Index >= int(Document.Series.size()) || Index == Document.Current)
        return;
    RecordJob(QStringLiteral("Choose %1").arg(Document.Series[std::size_t(Index)].Name),
              [Index](TJobDocument& job) { job.Current = Index; });
}

void Tmainform::acSeriesNewExecute()
{
    RecordJob(QStringLiteral("New Series"), [](TJobDocument& job) {
        job.Current = job.AddSeries(TQuillonViewSettings::StoredLook());
    });
}

void Tmainform::acSeriesRenameExecute()
{
    const int index = Document.Current;
    QString name = Document.CurrentSeries().Name;
    for (;;) {
        bool ok = false;
        name = QInputDialog::getText(this, QStringLiteral("Rename Series"), QStringLiteral("Name:"),
                                     QLineEdit::Normal, name, &ok)
                   .trimmed();
        if (!ok || name == Document.CurrentSeries().Name)
            return;
        const QString problem = Document.RenameProblem(index, name);
        if (problem.isEmpty())
            break;
        QMessageBox::warning(this, QStringLiteral("Rename Series"), problem);
    }
    RecordJob(QStringLiteral("Rename Series"), [index, name](TJobDocument& job) { job.RenameSeries(index, name); });
}

void Tmainform::acSeriesDeleteExecute()
{
    if (Document.Series.size() < 2)
        return;
    const QString name = Document.CurrentSeries().Name;
    const int points = QuillonView->SiteCount();
    const QString count = points == 1 ? QStringLiteral("1 point") : QStringLiteral("%1 points").arg(points);
    if (points > 0 &&
        QMessageBox::question(this, QStringLiteral("Delete Series"),
                              QStringLiteral("Delete the series \"%1\" and its %2?").arg(name, count),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    RecordJob(QStringLiteral("Delete %1").arg(name), [](TJobDocument& job) { job.DeleteSeries(job.Current); });
}
