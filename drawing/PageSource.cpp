#include "PageSource.h"

#include "RecordingDevice.h"
#include "SvgUses.h"

#include <QPainter>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QSvgRenderer>
#include <poppler-qt6.h>

#include <cmath>

namespace {

class TPdfPages : public TPageSource {
public:
    explicit TPdfPages(std::unique_ptr<Poppler::Document> Document) : FDocument(std::move(Document))
    {
        FDocument->setRenderHint(Poppler::Document::Antialiasing);
        FDocument->setRenderHint(Poppler::Document::TextAntialiasing);
    }
    int Pages() const override { return FDocument->numPages(); }
    QSizeF PageSize(int Page) const override { return Get(Page)->pageSizeF(); }
    QImage Render(int Page, QSize Size) const override
    {
        FDocument->setRenderBackend(Poppler::Document::SplashBackend);
        const auto page = Get(Page);
        const QSizeF points = page->pageSizeF();
        QImage image = page->renderToImage(72.0 * Size.width() / points.width(), 72.0 * Size.height() / points.height(),
                                           0, 0, Size.width(), Size.height());
        return image.convertToFormat(QImage::Format_RGB32);
    }
    void Record(int Page, QSize Size, TDrawing& Into) const override
    {
        FDocument->setRenderBackend(Poppler::Document::QPainterBackend);
        const auto page = Get(Page);
        const QSizeF points = page->pageSizeF();
        const double sx = Size.width() / points.width(), sy = Size.height() / points.height();
        TRecordingDevice device(Size.width(), Size.height(), 72.0 * sx, Into);
        QPainter painter(&device);
        page->renderToPainter(&painter, 72.0 * sx, 72.0 * sy, 0, 0, Size.width(), Size.height());
        painter.end();
        for (const auto& box : page->textList()) {
            const QRectF b = box->boundingBox();
            Into.Texts.push_back(
                {box->text(), QRectF(b.x() * sx - 0.5, b.y() * sy - 0.5, b.width() * sx, b.height() * sy)});
        }
    }

private:
    std::unique_ptr<Poppler::Page> Get(int Page) const { return FDocument->page(Page - 1); }
    std::unique_ptr<Poppler::Document> FDocument;
};

// Points in one of the lengths an SVG's size is given in: CSS units, a
// unitless length being the web's pixel, 96 an inch.
double SvgLength(const QString& Text)
{
    static const QRegularExpression length(QStringLiteral("^\\s*([0-9.eE+-]+)\\s*(pt|px|in|mm|cm|pc)?\\s*$"));
    const QRegularExpressionMatch m = length.match(Text);
    if (!m.hasMatch())
        return 0;
    const double value = m.captured(1).toDouble();
    const QString unit = m.captured(2);
    const double perUnit = unit == QStringLiteral("pt")   ? 1.0
                           : unit == QStringLiteral("in") ? 72.0
                           : unit == QStringLiteral("mm") ? 72.0 / 25.4
                           : unit == QStringLiteral("cm") ? 72.0 / 2.54
                           : unit == QStringLiteral("pc") ? 12.0
                                                          : 72.0 / 96.0;
    return std::isfinite(value) && value > 0 ? value * perUnit : 0;
}

// The page's size as its root element gives it; the renderer's own size,
// as web pixels, where that gives none or gives it in percent.
QSizeF SvgPageSize(const QByteArray& Bytes, QSize Default)
{
    QXmlStreamReader xml(Bytes);
    while (xml.readNextStartElement()) {
        if (xml.name() != QStringLiteral("svg"))
            break;
        const double w = SvgLength(xml.attributes().value(QStringLiteral("width")).toString());
        const double h = SvgLength(xml.attributes().value(QStringLiteral("height")).toString());
        if (w > 0 && h > 0)
            return {w, h};
        break;
    }
    return QSizeF(Default) * (72.0 / 96.0);
}

// Whether the page keeps its drawing's proportions, as an SVG does unless
// its root says preserveAspectRatio="none" (fitted whole and centred; the
// other alignments are placed as the centred one).
bool SvgKeepsAspect(const QByteArray& Bytes)
{
    QXmlStreamReader xml(Bytes);
    if (!xml.readNextStartElement() || xml.name() != QStringLiteral("svg"))
        return true;
    return !xml.attributes().value(QStringLiteral("preserveAspectRatio")).trimmed().startsWith(QStringLiteral("none"));
}

class TSvgPages : public TPageSource {
public:
    explicit TSvgPages(const QByteArray& Bytes)
        : FRenderer(SvgUsesInlined(Bytes)), FSize(SvgPageSize(Bytes, FRenderer.defaultSize()))
    {
        if (SvgKeepsAspect(Bytes))
            FRenderer.setAspectRatioMode(Qt::KeepAspectRatio);
    }
    bool Valid() const { return FRenderer.isValid() && !FSize.isEmpty(); }
    int Pages() const override { return 1; }
    QSizeF PageSize(int) const override { return FSize; }
    QImage Render(int, QSize Size) const override
    {
        QImage image(Size, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        FRenderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(Size)));
        return image;
    }
    void Record(int, QSize Size, TDrawing& Into) const override
    {
        TRecordingDevice device(Size.width(), Size.height(), 72.0 * Size.width() / FSize.width(), Into);
        QPainter painter(&device);
        FRenderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(Size)));
    }

private:
    mutable QSvgRenderer FRenderer;
    QSizeF FSize;
};

} // namespace

QSize PagePixels(QSizeF Points, double Dpi)
{
    return QSize(int(std::lround(Points.width() * Dpi / 72.0)), int(std::lround(Points.height() * Dpi / 72.0)));
}

std::unique_ptr<TPageSource> TPageSource::Open(const QByteArray& Bytes, QString& Why)
{
    if (Bytes.startsWith("%PDF-") || Bytes.left(1024).contains("%PDF-")) {
        std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(Bytes);
        if (!document) {
            Why = QStringLiteral("it is no PDF that can be read");
            return nullptr;
        }
        if (document->isLocked()) {
            Why = QStringLiteral("the PDF is protected by a password");
            return nullptr;
        }
        if (document->numPages() < 1) {
            Why = QStringLiteral("the PDF has no pages");
            return nullptr;
        }
        return std::make_unique<TPdfPages>(std::move(document));
    }
    auto svg = std::make_unique<TSvgPages>(Bytes);
    if (svg->Valid())
        return svg;
    Why = QStringLiteral("it is neither a PDF nor an SVG drawing that can be read");
    return nullptr;
}
