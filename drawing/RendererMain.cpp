// The renderer program, started afresh for each page as the decoder is for
// each picture (DecoderRecord.h's descriptors), with the drawing's name, the
// page (0 for the sheet of thumbnails) and the resolution as its arguments.
// It confines itself before it reads a byte of the drawing.
#include "RendererChild.h"

#include "image/DecoderChild.h"
#include "image/DecoderRecord.h"

#include <QGuiApplication>
#include <QtGlobal>

#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    close_range(DecoderResultFd + 1, ~0U, 0);
    const int page = std::atoi(argv[2]);
    const double dpi = std::atof(argv[3]);
    if (page < 0 || !(dpi >= 1 && dpi <= 10000))
        return RefuseToDecode(QStringLiteral("no page %1 at %2 dots an inch").arg(argv[2], argv[3]));
    // An SVG's text is drawn in the system's fonts, which need the
    // application; no window is ever shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Its answer is its record; Qt's remarks on the way are no one's business.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    int qtArgc = 1;
    QGuiApplication application(qtArgc, argv);
    const QString refused = ConfineRenderer();
    return refused.isEmpty() ? RunRenderer(page, dpi) : RefuseToDecode(refused);
}
