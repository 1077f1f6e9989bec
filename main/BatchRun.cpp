#include "BatchRun.h"

#include "BatchInputs.h"
#include "BatchPicture.h"
#include "StandardErrorBox.h"
#include "document/JobDocument.h"
#include "document/SeriesCsv.h"
#include "document/SessionFile.h"
#include "platform/TextFile.h"
#include "view/quillonviewsettings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QTextStream>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include <csignal>
#include <sched.h>

namespace {

using TTemplates = QHash<QString, std::shared_ptr<const TJobDocument>>;

// Each template read once; none, with why, when one cannot be used.
std::optional<TTemplates> ReadTemplates(const std::vector<TBatchItem>& Items, const TBatchRequest& Request,
                                        const TSeriesLook& Look, QTextStream& Errors)
{
    TTemplates templates;
    for (const TBatchItem& item : Items) {
        if (templates.contains(item.Template))
            continue;
        auto job = std::make_shared<TJobDocument>();
        if (!item.Template.isEmpty()) {
            try {
                job->Apply(ReadSession(item.Template, Look));
            } catch (...) {
                Errors << QStringLiteral("Cannot use the template %1: %2")
                              .arg(item.Template, ExceptionMessage(std::current_exception()))
                       << Qt::endl;
                return std::nullopt;
            }
            if (const QString step = job->Mapping().MissingStep(); !step.isEmpty() && !Request.AutoAxes) {
                Errors << QStringLiteral("The template %1 has no map yet: %2.").arg(item.Template, step) << Qt::endl;
                return std::nullopt;
            }
        }
        templates.insert(item.Template, job);
    }
    return templates;
}

int CoreCount()
{
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

QString Duration(double Seconds)
{
    const qint64 s = qint64(Seconds + 0.5);
    return s >= 3600 ? QStringLiteral("%1:%2:%3").arg(s / 3600).arg(s / 60 % 60, 2, 10, QChar(u'0')).arg(s % 60, 2, 10, QChar(u'0'))
                     : QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QChar(u'0'));
}

QString Shown(const QString& Picture)
{
    const QString relative = QDir::current().relativeFilePath(Picture);
    return relative.startsWith(QStringLiteral("..")) ? Picture : relative;
}

QByteArray ReportText(const std::vector<TBatchItem>& Items, const std::vector<std::optional<TBatchResult>>& Results)
{
    QByteArray out = "picture,status,points,seconds,message\r\n";
    for (std::size_t i = 0; i < Items.size(); ++i)
        if (const std::optional<TBatchResult>& r = Results[i])
            out += CsvField(Items[i].Picture) + ',' + BatchStatusText(r->Status).toUtf8() + ',' +
                   QByteArray::number(r->Points) + ',' + QByteArray::number(r->Seconds, 'f', 3) + ',' +
                   CsvField(r->Message) + "\r\n";
    return out;
}

// What the threads share: the next picture to take, whether to stop, and
// the pictures finished since the main thread last looked.
struct TShared {
    std::atomic<std::size_t> Next{0};
    std::atomic<bool> Stop{false};
    std::atomic<int> Running{0};
    std::mutex Lock;
    std::vector<std::size_t> Finished;
};

} // namespace

TBatchExit RunBatch(const TBatchRequest& Request, QIODevice& Input, QTextStream& Errors, bool Terminal)
{
    const TQuillonViewSettings settings;
    QString problem;
    const std::vector<TBatchItem> all = BatchItems(Request, Input, problem);
    if (!problem.isEmpty() || all.empty()) {
        Errors << (problem.isEmpty() ? QStringLiteral("There are no pictures to run.") : problem) << Qt::endl;
        return beCannotStart;
    }
    const std::vector<TBatchItem> items = ShardOf(all, Request.Shard, Request.Shards);
    const std::optional<TTemplates> templates = ReadTemplates(items, Request, settings.Look(), Errors);
    if (!templates)
        return beCannotStart;
    if (!QDir().mkpath(Request.OutDir)) {
        Errors << QStringLiteral("Cannot make the folder %1.").arg(Request.OutDir) << Qt::endl;
        return beCannotStart;
    }
    const TBatchOutput output{QDir(Request.OutDir).absolutePath(), Request.Format, Request.AutoAxes,
                              settings.NumberPrecision, settings.NumberDigits, settings.Look()};

    // The signals wait for the main thread alone; the threads started below
    // take the mask with them.
    sigset_t stopping, before;
    sigemptyset(&stopping);
    sigaddset(&stopping, SIGINT);
    sigaddset(&stopping, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopping, &before);

    const std::size_t n = items.size();
    std::vector<std::optional<TBatchResult>> results(n);
    TShared shared;
    const int jobs = int(std::min<std::size_t>(std::size_t(Request.Jobs > 0 ? Request.Jobs : CoreCount()), n));
    std::vector<std::thread> threads;
    shared.Running = jobs;
    for (int t = 0; t < jobs; ++t)
        threads.emplace_back([&] {
            for (std::size_t i; !shared.Stop && (i = shared.Next++) < n;) {
                TBatchResult result = RunBatchItem(items[i], *templates->value(items[i].Template), output);
                if (result.Status == TBatchResult::bsFailed && shared.Stop)
                    result.Status = TBatchResult::bsStopped;
                const std::lock_guard hold(shared.Lock);
                results[i] = result;
                shared.Finished.push_back(i);
            }
            --shared.Running;
        });

    QElapsedTimer clock;
    clock.start();
    std::size_t done = 0, failed = 0, doubtful = 0;
    const timespec tick{0, 100'000'000};
    for (bool last = false; !last;) {
        last = shared.Running == 0;
        if (const int signal = sigtimedwait(&stopping, nullptr, &tick); signal > 0) {
            if (shared.Stop)
                std::_Exit(beInterrupted);
            shared.Stop = true;
            Errors << (Terminal ? QStringLiteral("\r\x1b[K") : QString())
                   << QStringLiteral("Stopping: the pictures under way finish and no other starts (again to stop at "
                                     "once).")
                   << Qt::endl;
        }
        std::vector<std::size_t> finished;
        {
            const std::lock_guard hold(shared.Lock);
            finished.swap(shared.Finished);
        }
        for (const std::size_t i : finished) {
            const TBatchResult& r = *results[i];
            ++done;
            const bool bad = r.Status != TBatchResult::bsDone;
            failed += bad;
            doubtful += r.Status == TBatchResult::bsDoubtful;
            const QString line = QStringLiteral("%1: %2, %3 points, %4 s%5")
                                     .arg(Shown(items[i].Picture), BatchStatusText(r.Status))
                                     .arg(r.Points)
                                     .arg(r.Seconds, 0, 'f', 2)
                                     .arg(r.Message.isEmpty() || !bad ? QString() : QStringLiteral(": ") + r.Message);
            if (!Terminal)
                Errors << QStringLiteral("[%1/%2] ").arg(done).arg(n) << line << Qt::endl;
            else if (bad)
                Errors << QStringLiteral("\r\x1b[K") << line << Qt::endl;
        }
        if (Terminal) {
            const double seconds = double(clock.elapsed()) / 1000;
            const double rate = seconds > 0 ? double(done) / seconds : 0;
            Errors << QStringLiteral("\r\x1b[K%1/%2 done, %3 failed, %4 doubtful, %5 a second, %6 left")
                          .arg(done)
                          .arg(n)
                          .arg(failed - doubtful)
                          .arg(doubtful)
                          .arg(rate, 0, 'f', 1)
                          .arg(rate > 0 ? Duration(double(n - done) / rate) : QStringLiteral("?:??"));
            Errors.flush();
        }
    }
    for (std::thread& thread : threads)
        thread.join();
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    if (Terminal)
        Errors << Qt::endl;

    const QString report = QDir(Request.OutDir).filePath(BatchReportName(Request));
    bool reported = true;
    try {
        SaveTextFile(report, ReportText(items, results));
    } catch (...) {
        Errors << ExceptionMessage(std::current_exception()) << Qt::endl;
        reported = false;
    }
    const double seconds = double(clock.elapsed()) / 1000;
    Errors << QStringLiteral("%1 of %2 pictures done in %3 (%4 a second), %5 not done. Report: %6")
                  .arg(done - failed)
                  .arg(n)
                  .arg(Duration(seconds))
                  .arg(seconds > 0 ? double(done) / seconds : 0, 0, 'f', 2)
                  .arg(n - (done - failed))
                  .arg(report)
           << Qt::endl;
    for (std::size_t i = 0; i < n; ++i)
        if (results[i] && results[i]->Status != TBatchResult::bsDone)
            Errors << QStringLiteral("  %1: %2: %3")
                          .arg(Shown(items[i].Picture), BatchStatusText(results[i]->Status), results[i]->Message)
                   << Qt::endl;
    if (done < n) {
        Errors << QStringLiteral("Stopped before %1 pictures started; the report lists those that ran.").arg(n - done)
               << Qt::endl;
        return beInterrupted;
    }
    return !reported ? beCannotStart : failed == 0 ? beAllDone : beSomeFailed;
}
