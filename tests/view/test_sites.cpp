#include "view/quillonview.h"
#include "view/viewchange.h"

#include "platform/Conversions.h"
#include "ExactCompare.h"
#include "TestFiles.h"

#include <QtTest>

namespace {

// Records every event the view raises, in order, as readable lines. Detaches
// itself, since the view raises OnClearSites from its destructor.
struct TEventLog {
    QStringList Lines;
    TQuillonView* View = nullptr;

    ~TEventLog()
    {
        if (View) {
            View->OnAddSite = View->OnModSite = nullptr;
            View->OnDeleteSite = nullptr;
            View->OnClearSites = View->OnAfterMap = nullptr;
            View->OnZoom = nullptr;
        }
    }

    void Attach(TQuillonView& view)
    {
        View = &view;
        auto mod = [this](const char* kind) {
            return [this, kind](QObject*, const QString& name, const TPointF& p, bool mapping, double x, double y) {
                Lines << QStringLiteral("%1 %2 (%3,%4) %5 %6 %7")
                             .arg(QLatin1String(kind), name)
                             .arg(p.X)
                             .arg(p.Y)
                             .arg(mapping ? "true" : "false")
                             .arg(x)
                             .arg(y);
            };
        };
        view.OnAddSite = mod("add");
        view.OnModSite = mod("mod");
        view.OnDeleteSite = [this](QObject*, const QString& name) { Lines << QStringLiteral("delete ") + name; };
        view.OnClearSites = [this](QObject*) { Lines << QStringLiteral("clear"); };
        view.OnAfterMap = [this](QObject*) { Lines << QStringLiteral("aftermap"); };
        view.OnZoom = [this](QObject*, float zoom) { Lines << QStringLiteral("zoom %1").arg(zoom); };
    }
};

// Counts the paints a view receives once shown.
class TPaintCounter : public QObject {
public:
    int Paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++Paints;
        return false;
    }
};

QStringList Names(const TQuillonView& view)
{
    QStringList names;
    for (int i = 0; i < view.SiteCount(); ++i)
        names << view.GetSite(i)->Name;
    return names;
}

} // namespace

class TestSites : public QObject {
    Q_OBJECT
private slots:
    void clicksNameSmallestFreeNumber();
    void clickWithinToleranceDeletes();
    void firstSiteInListOrderWins();
    void addSiteRefusesDuplicateIgnoringCase();
    void deleteUnknownNameDoesNothing();
    void getSiteOutsideRange();
    void viewEditsTheJobItShows();
    void sortByPixelAnnouncesNewOrder();
    void sortByNumberAndData();
    void sortByUnknownColumnKeepsOrder();
    void sortByNumberWithBadNameKeepsOrder();
    void remapRaisesAfterMapThenEverySite();
    void axisValuesAndResetRemap();
    void zoomEventCarriesNewFactor();
    void withoutMappingDataAreNotNumbers();
    void destructionClearsSites();
    void changesUndoAndRedoKeepingWhatChanged_data();
    void changesUndoAndRedoKeepingWhatChanged();

private:
    TScopedConfigHome FHome;
};

void TestSites::clicksNameSmallestFreeNumber()
{
    TQuillonView view;
    TEventLog log;
    log.Attach(view);
    view.ToggleSite({10, 10});
    view.ToggleSite({50, 50});
    view.ToggleSite({90, 90});
    QCOMPARE(Names(view), (QStringList{"1", "2", "3"}));
    view.ToggleSite({51, 49});
    QCOMPARE(Names(view), (QStringList{"1", "3"}));
    view.ToggleSite({200, 200});
    view.ToggleSite({300, 300});
    QCOMPARE(Names(view), (QStringList{"1", "3", "2", "4"}));
    QCOMPARE(log.Lines.filter(QStringLiteral("add ")).size(), 5);
    QCOMPARE(log.Lines.filter(QStringLiteral("delete 2")).size(), 1);
    // An added name that only looks like a number is not the same name.
    view.AddSite(QStringLiteral("05"), 1, 1);
    view.ToggleSite({400, 400});
    QCOMPARE(Names(view).last(), QStringLiteral("5"));
}

void TestSites::clickWithinToleranceDeletes()
{
    TQuillonView view;
    QCOMPARE(view.SelectTolerance, 4);
    view.AddSite(QStringLiteral("a"), 100, 100);
    QCOMPARE(view.SiteAt({103, 97}), view.GetSite(0));
    QCOMPARE(view.SiteAt({104, 100}), nullptr);
    QCOMPARE(view.SiteAt({100, 96}), nullptr);
    view.ToggleSite({104, 100});
    QCOMPARE(view.SiteCount(), 2);
    view.ToggleSite({103, 97});
    QCOMPARE(Names(view), (QStringList{"1"}));
}

void TestSites::firstSiteInListOrderWins()
{
    TQuillonView view;
    view.AddSite(QStringLiteral("first"), 10, 10);
    view.AddSite(QStringLiteral("second"), 12, 10);
    view.ToggleSite({12, 10});
    QCOMPARE(Names(view), (QStringList{"second"}));
}

void TestSites::addSiteRefusesDuplicateIgnoringCase()
{
    TQuillonView view;
    TEventLog log;
    log.Attach(view);
    view.AddSite(QStringLiteral("Peak"), 1, 2);
    view.AddSite(QStringLiteral("PEAK"), 3, 4);
    QCOMPARE(view.SiteCount(), 1);
    QCOMPARE(view.GetSite(0)->X, 1);
    QCOMPARE(log.Lines.size(), 1);
    view.DeleteSite(QStringLiteral("peak"));
    QCOMPARE(view.SiteCount(), 0);
    QCOMPARE(log.Lines.last(), QStringLiteral("delete Peak"));
}

void TestSites::deleteUnknownNameDoesNothing()
{
    TQuillonView view;
    view.resize(50, 50);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    TPaintCounter counter;
    view.installEventFilter(&counter);
    TEventLog log;
    log.Attach(view);
    view.DeleteSite(QStringLiteral("nobody"));
    QCoreApplication::processEvents();
    QCOMPARE(counter.Paints, 0);
    QVERIFY(log.Lines.isEmpty());
    // A refused duplicate still repaints.
    view.AddSite(QStringLiteral("x"), 1, 1);
    QCoreApplication::processEvents();
    counter.Paints = 0;
    view.AddSite(QStringLiteral("x"), 1, 1);
    QCoreApplication::processEvents();
    QVERIFY(counter.Paints > 0);
}

void TestSites::getSiteOutsideRange()
{
    TQuillonView view;
    view.AddSite(QStringLiteral("a"), 1, 1);
    QVERIFY(view.GetSite(0));
    QCOMPARE(view.GetSite(1), nullptr);
    QCOMPARE(view.GetSite(-1), nullptr);
}

// The job holds the points and the mapping: what the view edits is the job's
// current series and mapping, with no copy to fall behind.
void TestSites::viewEditsTheJobItShows()
{
    TJobDocument job;
    job.AddSeries({});
    job.Series[1].Points.push_back({QStringLiteral("7"), 3, 4});
    TQuillonView view;
    view.SetAxisValues(0, 50, 10, 0);
    view.SetJob(&job);
    view.AddSite(QStringLiteral("a"), 1, 2);
    view.ToggleSite({5, 5});
    QCOMPARE(job.CurrentSeries().Points, (std::vector<TSeriesPoint>{{"a", 1, 2}, {"1", 5, 5}}));
    QCOMPARE_EXACT(job.Mapping().YTopValue, 50.0);
    view.SetAxisValues(0, 70, 10, 0);
    QCOMPARE_EXACT(job.Mapping().YTopValue, 70.0);

    job.Current = 1;
    view.SeriesChanged();
    QCOMPARE(view.GetSite(0)->Name, QStringLiteral("7"));
    view.DeleteSite(QStringLiteral("7"));
    QVERIFY(job.Series[1].Points.empty());
    QCOMPARE(job.Series[0].Points.size(), std::size_t(2));

    // Let go, the job keeps the mapping it had and the view's own is empty.
    view.SetJob(nullptr);
    view.SetAxisValues(0, 90, 10, 0);
    QCOMPARE_EXACT(job.Mapping().YTopValue, 70.0);
    QCOMPARE(view.SiteCount(), 0);
}

void TestSites::sortByPixelAnnouncesNewOrder()
{
    TQuillonView view;
    view.AddSite(QStringLiteral("1"), 30, 5);
    view.AddSite(QStringLiteral("2"), 10, 7);
    view.AddSite(QStringLiteral("3"), 20, 6);
    TEventLog log;
    log.Attach(view);
    view.SortSites(QStringLiteral("Pixel X"), false);
    QCOMPARE(Names(view), (QStringList{"2", "3", "1"}));
    QCOMPARE(log.Lines.size(), 4);
    QCOMPARE(log.Lines[0], QStringLiteral("clear"));
    QVERIFY(log.Lines[1].startsWith(QStringLiteral("add 2 (10,7)")));
    QVERIFY(log.Lines[3].startsWith(QStringLiteral("add 1 (30,5)")));
    view.SortSites(QStringLiteral("Pixel Y"), true);
    QCOMPARE(Names(view), (QStringList{"2", "3", "1"}));
    view.SortSites(QStringLiteral("Pixel X"), true);
    QCOMPARE(Names(view), (QStringList{"1", "3", "2"}));
}

void TestSites::sortByNumberAndData()
{
    TQuillonView view;
    view.SetMappingRect({0, 0, 100, 100});
    for (const auto& [name, x, y] : {std::tuple{"10", 50, 10}, std::tuple{"9", 20, 80}, std::tuple{"100", 70, 40}})
        view.AddSite(QString::fromLatin1(name), x, y);
    view.SortSites(QStringLiteral("N"), false);
    QCOMPARE(Names(view), (QStringList{"9", "10", "100"}));
    view.SortSites(QStringLiteral("N"), true);
    QCOMPARE(Names(view), (QStringList{"100", "10", "9"}));
    view.SortSites(QStringLiteral("Data X"), false);
    QCOMPARE(Names(view), (QStringList{"9", "10", "100"}));
    // Y grows upwards in data: the site lowest on the image has the least Y.
    view.SortSites(QStringLiteral("Data Y"), true);
    QCOMPARE(Names(view), (QStringList{"10", "100", "9"}));
    QCOMPARE(view.GetSite(0)->DataY, 90.0);
    // Column texts match exactly.
    view.SortSites(QStringLiteral("data y"), false);
    QCOMPARE(Names(view), (QStringList{"10", "100", "9"}));
}

void TestSites::sortByUnknownColumnKeepsOrder()
{
    TQuillonView view;
    view.AddSite(QStringLiteral("b"), 2, 2);
    view.AddSite(QStringLiteral("a"), 1, 1);
    TEventLog log;
    log.Attach(view);
    view.SortSites(QStringLiteral("Colour"), false);
    QCOMPARE(Names(view), (QStringList{"b", "a"}));
    QCOMPARE(log.Lines.size(), 3);
    QCOMPARE(log.Lines[0], QStringLiteral("clear"));
}

void TestSites::sortByNumberWithBadNameKeepsOrder()
{
    TQuillonView view;
    for (const char* name : {"5", "3", "x7", "1", "4"})
        view.AddSite(QString::fromLatin1(name), 0, 0);
    TEventLog log;
    log.Attach(view);
    try {
        view.SortSites(QStringLiteral("N"), false);
        QFAIL("no error raised");
    } catch (const EConvertError& e) {
        QCOMPARE(e.Message, QStringLiteral("'x7' is not a valid integer value"));
    }
    QCOMPARE(Names(view), (QStringList{"5", "3", "x7", "1", "4"}));
    QVERIFY(log.Lines.isEmpty());
}

void TestSites::remapRaisesAfterMapThenEverySite()
{
    TQuillonView view;
    TEventLog log;
    log.Attach(view);
    view.RemapSites();
    QCOMPARE(log.Lines, QStringList{"aftermap"});
    view.SetMappingRect({0, 0, 10, 10});
    view.AddSite(QStringLiteral("a"), 5, 5);
    view.AddSite(QStringLiteral("b"), 10, 0);
    log.Lines.clear();
    view.RemapSites();
    QCOMPARE(log.Lines, (QStringList{"aftermap", "mod a (5,5) true 50 50", "mod b (10,0) true 100 100"}));
}

void TestSites::axisValuesAndResetRemap()
{
    TQuillonView view;
    view.SetMappingRect({0, 0, 10, 10});
    view.AddSite(QStringLiteral("a"), 10, 0);
    TEventLog log;
    log.Attach(view);
    view.SetAxisValues(1, 2, 3, 4); // XLeft, YTop, XRight, YBottom
    QCOMPARE(view.XLeftValue, 1.0);
    QCOMPARE(view.YTopValue, 2.0);
    QCOMPARE(view.XRightValue, 3.0);
    QCOMPARE(view.YBottomValue, 4.0);
    QCOMPARE(log.Lines, (QStringList{"aftermap", "mod a (10,0) true 3 2"}));
    log.Lines.clear();
    view.ResetMapping();
    QCOMPARE(view.MappingRect, TRect{});
    QVERIFY(!view.AxisValuesValid());
    QCOMPARE(log.Lines, (QStringList{"aftermap", "mod a (10,0) true nan nan"}));
    // A change of the angle or the rectangle remaps too, so that what the
    // owner shows never lags behind the mapping; setting the same again
    // raises nothing.
    view.SetAxisValues(0, 100, 100, 0);
    view.SetMappingRect({0, 0, 100, 100});
    log.Lines.clear();
    view.SetAngle(90);
    QCOMPARE(log.Lines, (QStringList{"aftermap", "mod a (10,0) true -100 10"}));
    log.Lines.clear();
    view.SetMappingRect({0, 0, 100, 50});
    QCOMPARE(log.Lines, (QStringList{"aftermap", "mod a (10,0) true -50 20"}));
    log.Lines.clear();
    view.SetAngle(90);
    view.SetMappingRect({0, 0, 100, 50});
    QVERIFY(log.Lines.isEmpty());
}

void TestSites::zoomEventCarriesNewFactor()
{
    TQuillonView view;
    float seen = 0;
    view.OnZoom = [&](QObject* sender, float zoom) {
        QCOMPARE(sender, &view);
        QCOMPARE(view.Zoom, zoom);
        seen = zoom;
    };
    view.SetZoom(2.5f);
    QCOMPARE(seen, 2.5f);
}

void TestSites::withoutMappingDataAreNotNumbers()
{
    TQuillonView view;
    double x = 0;
    view.OnAddSite = [&](QObject*, const QString&, const TPointF&, bool mapping, double dX, double) {
        QVERIFY(mapping);
        x = dX;
    };
    view.ToggleSite({3, 3});
    QVERIFY(std::isnan(x));
}

void TestSites::destructionClearsSites()
{
    int clears = 0;
    {
        TQuillonView view;
        view.AddSite(QStringLiteral("a"), 1, 1);
        view.OnClearSites = [&](QObject*) { ++clears; };
    }
    QCOMPARE(clears, 1);
}

void TestSites::changesUndoAndRedoKeepingWhatChanged_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("kept");
    QTest::addColumn<int>("events");
    QTest::newRow("one point moved") << "move" << 2 << 1;
    QTest::newRow("a point added at the end") << "add" << 1 << 1;
    QTest::newRow("the last point deleted") << "delete last" << 1 << 1;
    QTest::newRow("a point deleted inside") << "delete" << 1 << -1;
    QTest::newRow("sorted") << "sort" << 2000 << -1;
    QTest::newRow("mapping and a point") << "remap" << 2 << -1;
}

// Undone and redone, the view is exactly as it was before and after the
// change; a change of a few points keeps those few, and puts them back with
// their own events rather than the whole list's.
void TestSites::changesUndoAndRedoKeepingWhatChanged()
{
    QFETCH(QString, change);
    QFETCH(int, kept);
    QFETCH(int, events);
    TQuillonView view;
    view.SetMappingRect({0, 0, 1000, 1000});
    for (int i = 0; i < 1000; ++i)
        view.AddSite(QString::number(i + 1), (i * 7) % 1000, i);
    const TViewSnapshot before = view.Snapshot();
    if (change == "move")
        view.MoveSites({QStringLiteral("500")}, 1, 0);
    else if (change == "add")
        view.AddSites({{3.5, 4}});
    else if (change.startsWith("delete"))
        view.DeleteSite(change == "delete" ? QStringLiteral("300") : QStringLiteral("1000"));
    else if (change == "sort")
        view.SortSites(QStringLiteral("Pixel Y"), true);
    else {
        view.SetAxisValues(0, 5, 5, 0);
        view.MoveSites({QStringLiteral("2")}, 0, 1);
    }
    const TViewSnapshot after = view.Snapshot();
    const TViewChange step(before, after);
    QCOMPARE(int(step.Kept()), kept);
    TEventLog log;
    log.Attach(view);
    step.Undo(view);
    QVERIFY(view.Snapshot() == before);
    if (events >= 0)
        QCOMPARE(log.Lines.size(), events);
    step.Redo(view);
    QVERIFY(view.Snapshot() == after);
}

QTEST_MAIN(TestSites)
#include "test_sites.moc"
