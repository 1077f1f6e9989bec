// Run from an installed bin/ by test_install: finds the source manager as the
// program does and scans one picture through SANE's test backend. Prints the
// folder the source manager came from; exit status 0 when a picture came.
#include "twain/FerroTwain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    TFerroTwain twain;
    twain.TransferMode = ttmNative;
    out << twain.FindLibraryFolder() << '\n';
    if (!twain.LoadLibrary() || !twain.LoadSourceManager() || twain.GetSourceCount() < 1)
        return 1;
    QImage got;
    twain.OnTwainAcquire = [&](void*, int, const QImage& image, bool&) { got = image; };
    TTwainSource* source = twain.Source(0);
    source->ShowUI = false;
    source->SetLoaded(true);
    source->SetEnabled(true);
    QElapsedTimer waited;
    waited.start();
    while (got.isNull() && waited.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    out << got.width() << 'x' << got.height() << '\n';
    return got.width() > 10 && got.height() > 10 ? 0 : 2;
}
