// Session files as strangers write them: any bytes either load or raise a
// Quillon error, and what loads becomes a job that is exported and written
// back, and is applied to a view whose mapping arithmetic then runs on it,
// as loading in the window does.
#include "document/JobDocument.h"
#include "document/SeriesCsv.h"
#include "document/SeriesJson.h"
#include "document/SessionFile.h"
#include "platform/QuillonError.h"
#include "view/quillonview.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

TQuillonView& View()
{
    static QTemporaryDir home;
    static char name[] = "fuzz_session";
    static char* argv[] = {name, nullptr};
    static int argc = 1;
    static const bool ready = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("XDG_CONFIG_HOME", qPrintable(home.path()), 1);
        return true;
    }();
    (void)ready;
    static QApplication application(argc, argv);
    static TQuillonView view;
    return view;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TSession s;
    try {
        s = ParseSession(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), QStringLiteral("fuzz.qsf"));
    } catch (const EQuillonError&) {
        return 0;
    }
    TQuillonView& v = View();
    v.ClearSites();
    const TMapping& m = s.Mapping;
    v.SetMappingRect(m.MappingRect);
    v.SetAxisValues(m.XLeftValue, m.YTopValue, m.XRightValue, m.YBottomValue);
    v.AxisXMap = s.AxisXMap == amLog10 ? amLog10 : amLinear;
    v.AxisYMap = s.AxisYMap == amLog10 ? amLog10 : amLinear;
    v.SetAxisUnits(m.XUnit, m.YUnit);
    v.SetCalibration(m.Calibration);
    TJobDocument job;
    job.Apply(s);
    const TSeries& current = job.CurrentSeries();
    for (const TSeriesPoint& p : current.Points)
        v.AddSite(p.Name, p.X, p.Y);
    v.RemapSites();
    v.SetAngle(m.Angle);
    v.SetZoom(s.Zoom);
    // Every series' exports and the session written back.
    AllSeriesCsv(job, true);
    AllSeriesJson(job);
    job.DataText(u' ', 6, 3);
    // What was read is written so that it reads again.
    try {
        ParseSession(SessionText(job, {}), QStringLiteral("again.qsf"));
    } catch (const EQuillonError&) {
        __builtin_trap();
    }
    for (const TSeriesPoint& p : current.Points) {
        const TPoint at{RoundEven(p.X), RoundEven(p.Y)};
        TDataPoint exact;
        v.PixelToData(TPointF{p.X, p.Y}, exact);
        TDataPoint d;
        v.PixelToData(at, d);
        v.HitTestEdges(at);
        v.ClientToImage(v.UnrotateScreenPoint(at));
        v.ConstrainDrag(at.X, at.Y, v.HitTestEdges(at));
        TPoint back;
        v.DataToPixel(d, back);
    }
    return 0;
}
