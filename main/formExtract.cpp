#include "formExtract.h"

#include "LegendName.h"
#include "MappingArea.h"

#include "extract/Extraction.h"
#include "extract/MarkerPatches.h"
#include "extract/MatchMask.h"
#include "view/quillonview.h"
#include "widgets/colourSwatch.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QStringList>

#include <algorithm>
#include <bit>
#include <numeric>
#include <limits>
#include <utility>

namespace {

TPixelSource SourceOf(TQuillonView& View)
{
    return TPixelSource(View.Image.DisplaySource());
}

// A row of the form: Caption, From, "to", To; the caption's key goes to From.
void AddRangeRow(QFormLayout& Form, const QString& Caption, QWidget* From, QWidget* To)
{
    auto* row = new QHBoxLayout;
    row->addWidget(From);
    row->addWidget(new QLabel(QStringLiteral("to"), From->parentWidget()));
    row->addWidget(To);
    auto* label = new QLabel(Caption, From->parentWidget());
    label->setBuddy(From);
    Form.addRow(label, row);
}

long long SetBits(const QImage& Mask)
{
    long long count = 0;
    const int bytes = (Mask.width() + 7) / 8;
    for (int y = 0; y < Mask.height(); ++y) {
        const uchar* line = Mask.constScanLine(y);
        for (int i = 0; i < bytes; ++i)
            count += std::popcount(unsigned(line[i]));
    }
    return count;
}

// A mark that stands out from the colour it marks.
QColor MarkFor(const TRgb& Colour)
{
    const TRgb magenta{255, 0, 255};
    const TRgb green{0, 200, 0};
    return ColourDistance(Colour, magenta) >= ColourDistance(Colour, green) ? QColor(255, 0, 255) : QColor(0, 200, 0);
}

} // namespace

TformExtract::TformExtract(TKind Kind, TQuillonView* View, QWidget* Parent)
    : QDialog(Parent)
    , FKind(Kind)
    , FView(View)
{
    setWindowTitle(ExtractCaption());
    auto* form = new QFormLayout(this);
    form->addRow(new QLabel(Kind == ekCurve ? QStringLiteral("Click the curve in the picture to take its colour.")
                                            : QStringLiteral("Click a marker in the picture to take its colour."),
                            this));
    pnlColour = new TColourSwatch(20, this);
    pnlColour->OnClick = [this] { ChooseColour(); };
    btnChooseColour = new QPushButton(QStringLiteral("C&hoose..."), this);
    connect(btnChooseColour, &QPushButton::clicked, this, [this] { ChooseColour(); });
    auto* colourRow = new QHBoxLayout;
    colourRow->addWidget(pnlColour);
    colourRow->addWidget(btnChooseColour);
    colourRow->addStretch();
    form->addRow(QStringLiteral("Colour"), colourRow);

    seTolerance = new QSpinBox(this);
    seTolerance->setRange(0, 255);
    seTolerance->setValue(DefaultTolerance);
    seTolerance->setToolTip(QStringLiteral("How far, on any of red, green and blue, a pixel may be from the colour; "
                                           "taking a colour sets the largest at which no other colour drawn in "
                                           "the area matches"));
    connect(seTolerance, &QSpinBox::valueChanged, this, [this] { Schedule(); });
    form->addRow(QStringLiteral("&Tolerance"), seTolerance);

    if (Kind == ekCurve) {
        seStep = new QDoubleSpinBox(this);
        seStep->setRange(1, 100000);
        seStep->setDecimals(1);
        seStep->setValue(DefaultStep);
        seStep->setSuffix(QStringLiteral(" pixels"));
        seStep->setToolTip(QStringLiteral("One point each this many pixels along the plotting area's X axis"));
        form->addRow(QStringLiteral("&Step"), seStep);
    } else {
        seMinSize = new QSpinBox(this);
        seMaxSize = new QSpinBox(this);
        for (QSpinBox* size : {seMinSize, seMaxSize}) {
            size->setRange(1, std::numeric_limits<int>::max());
            size->setSuffix(QStringLiteral(" pixels"));
            connect(size, &QSpinBox::valueChanged, this, [this] { SizesChanged(); });
        }
        AddRangeRow(*form, QStringLiteral("Marker si&zes"), seMinSize, seMaxSize);
        // In the order of TMarkerAnchor.
        cbAnchor = new QComboBox(this);
        cbAnchor->addItems({QStringLiteral("Centre of the marker's box"), QStringLiteral("Centroid"),
                            QStringLiteral("By the marker's shape")});
        // As the command line places markers.
        cbAnchor->setCurrentIndex(anShape);
        cbAnchor->setToolTip(QStringLiteral("Where a point is placed on its marker; they differ for triangles, "
                                            "and by its shape an equilateral one is placed at its centroid"));
        form->addRow(QStringLiteral("&Anchor"), cbAnchor);
    }
    edFromX = new QLineEdit(this);
    edToX = new QLineEdit(this);
    for (QLineEdit* limit : {edFromX, edToX}) {
        limit->setPlaceholderText(QStringLiteral("any"));
        limit->setToolTip(QStringLiteral("A data value of X; empty for no limit"));
        connect(limit, &QLineEdit::textChanged, this, [this] { Schedule(); });
    }
    AddRangeRow(*form, QStringLiteral("Only X &from"), edFromX, edToX);
    cbxReplace = new QCheckBox(QStringLiteral("Re&place the points of this series"), this);
    cbxReplace->setToolTip(QStringLiteral("Unchecked, the points found join those the series has"));
    form->addRow(cbxReplace);

    lblPalette = new QLabel(this);
    lblPalette->setTextFormat(Qt::RichText);
    lblPalette->setWordWrap(true);
    lblPalette->setToolTip(QStringLiteral("The colours found in the plotting area, the chosen one's in bold; "
                                          "click one to take it"));
    connect(lblPalette, &QLabel::linkActivated, this, [this](const QString& link) {
        if (const std::optional<TRgb> colour = ParseRgb(link)) {
            FSeed.reset();
            SetColour(*colour);
        }
    });
    form->addRow(QStringLiteral("Colours:"), lblPalette);
    lblStatus = new QLabel(this);
    lblStatus->setWordWrap(true);
    form->addRow(lblStatus);

    auto* buttons = new QDialogButtonBox(this);
    btnExtract = buttons->addButton(QStringLiteral("&Extract"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Extract(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);

    connect(this, &QDialog::finished, this, [this] { ReleaseView(); });
    FRefresh.setSingleShot(true);
    FRefresh.setInterval(150);
    connect(&FRefresh, &QTimer::timeout, this, [this] { Refresh(); });
    FView->SetPicking([this](const TPoint& P) {
        const TPixelSource source = SourceOf(*FView);
        if (source.IsValid() && P.X >= 0 && P.Y >= 0 && P.X < source.Width() && P.Y < source.Height()) {
            FSeed = TPointF{double(P.X), double(P.Y)};
            SetColour(source.At(P.X, P.Y));
        }
    });
    Refresh();
}

TformExtract::~TformExtract()
{
    ReleaseView();
}

void TformExtract::ReleaseView()
{
    FRefresh.stop();
    if (!FView)
        return;
    FView->SetPicking(nullptr);
    FView->SetHighlight({}, {});
}

TExtractArea TformExtract::Area(QString& Problem) const
{
    TExtractArea area = MappingArea(*FView, FView->ImageWidth(), FView->ImageHeight());
    for (const auto& [edit, limit] : {std::pair{edFromX, &area.FromX}, std::pair{edToX, &area.ToX}}) {
        const QString text = edit->text().trimmed();
        if (text.isEmpty())
            continue;
        bool ok = false;
        double value = QLocale().toDouble(text, &ok);
        if (!ok)
            value = QLocale::c().toDouble(text, &ok);
        if (!ok)
            Problem = QStringLiteral("\"%1\" is no value of the X axis.").arg(text);
        else if (const QString why = XLimitProblem(*FView, value, text, *limit); !why.isEmpty())
            Problem = why;
    }
    return area;
}

const TPalette& TformExtract::PaletteOf(const TPixelSource& Source, const TExtractArea& Area)
{
    const std::pair<std::uint64_t, TExtractArea> of{FView->Image.Version(), Area};
    if (FPaletteOf != of) {
        FPalette = AreaPalette(Source, Area);
        FPaletteOf = of;
    }
    return FPalette;
}

void TformExtract::SetColour(const TRgb& Colour)
{
    FColour = Colour;
    FHasColour = true;
    pnlColour->SetColour(TColor(Colour.R | Colour.G << 8 | Colour.B << 16));
    pnlColour->setToolTip(RgbText(Colour));
    if (FView) {
        QString problem;
        const QSignalBlocker block(seTolerance);
        seTolerance->setValue(PaletteTolerance(PaletteOf(SourceOf(*FView), Area(problem)), Colour, DefaultTolerance));
    }
    Refresh();
}

void TformExtract::ShowStatus(const QString& Text)
{
    lblStatus->setText(Text);
    // The status grows by a line or two as colours are taken: the window
    // grows with it rather than clip it. A wrapped label does not tell its
    // window so by itself.
    const int needed = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width()) : sizeHint().height();
    if (needed > height())
        resize(width(), needed);
}

void TformExtract::ShowPalette(const TPalette& Palette)
{
    std::vector<std::size_t> order(Palette.Inks.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return Palette.Strokes[a] > Palette.Strokes[b]; });
    order.resize(std::min<std::size_t>(order.size(), 12));
    const int own = FHasColour ? InkOf(Palette, FColour) : -1;
    QStringList swatches;
    for (const std::size_t i : order) {
        const QString hex = RgbText(Palette.Inks[i]);
        const QString swatch =
            QStringLiteral("<a href=\"%1\" style=\"text-decoration:none; color:%1\">&#9632;&#9632;</a>&nbsp;%1").arg(hex);
        swatches << (int(i) == own ? QStringLiteral("<b>%1</b>").arg(swatch) : swatch);
    }
    lblPalette->setText(swatches.isEmpty() ? QStringLiteral("none found") : swatches.join(QStringLiteral(" &nbsp; ")));
}

QString TformExtract::PaletteText() const
{
    std::vector<TRgb> rivals = RivalInks(FPalette, FColour);
    if (rivals.empty())
        return {};
    const TLab colour = ToLab(FColour);
    std::sort(rivals.begin(), rivals.end(),
              [&](const TRgb& a, const TRgb& b) { return DeltaE(ToLab(a), colour) < DeltaE(ToLab(b), colour); });
    QStringList nearest;
    QStringList within;
    for (std::size_t i = 0; i < rivals.size(); ++i) {
        if (i < 3)
            nearest << QStringLiteral("%1 (Delta E %2)").arg(RgbText(rivals[i])).arg(DeltaE(ToLab(rivals[i]), colour), 0, 'f', 1);
        if (ColourDistance(rivals[i], FColour) <= seTolerance->value())
            within << RgbText(rivals[i]);
    }
    QString text = QStringLiteral("\nNearest other colours: %1.").arg(nearest.join(QStringLiteral(", ")));
    if (!within.isEmpty())
        text += QStringLiteral("\nWarning: %1 within the tolerance; only the pixels nearer to %2 are taken.")
                    .arg(within.join(QStringLiteral(", ")) + (within.size() == 1 ? QStringLiteral(" is") : QStringLiteral(" are")),
                         RgbText(FColour));
    return text;
}

void TformExtract::ChooseColour()
{
    const QColor start = FHasColour ? QColor(FColour.R, FColour.G, FColour.B) : QColor(Qt::black);
    const QColor chosen = QColorDialog::getColor(start, this, QStringLiteral("Colour to extract"));
    if (chosen.isValid()) {
        FSeed.reset();
        SetColour({chosen.red(), chosen.green(), chosen.blue()});
    }
}

void TformExtract::Schedule()
{
    FRefresh.start();
}

void TformExtract::Refresh()
{
    FRefresh.stop();
    if (!FView)
        return;
    const TPixelSource source = SourceOf(*FView);
    QString problem;
    const TExtractArea area = Area(problem);
    if (problem.isEmpty())
        problem = AreaProblem(source, area);
    // The area's colours, to pick from, as soon as there is an area.
    if (problem.isEmpty())
        ShowPalette(PaletteOf(source, area));
    else
        lblPalette->clear();
    if (problem.isEmpty() && !FHasColour)
        problem = QStringLiteral("No colour is chosen yet.");
    if (!problem.isEmpty()) {
        FView->SetHighlight({}, {});
        ShowStatus(problem);
        btnExtract->setEnabled(false);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const TPalette& palette = PaletteOf(source, area);
    FPictureVersion = FView->Image.Version();
    if (FKind == ekMarkers) {
        FBlobs = MarkerPatches(FindBlobs(source, area, palette, FColour, seTolerance->value()));
        const TSizeRange range = DefaultSizeRange(FBlobs);
        const QSignalBlocker blockMin(seMinSize);
        const QSignalBlocker blockMax(seMaxSize);
        seMinSize->setValue(int(std::min<long long>(range.Min, seMinSize->maximum())));
        seMaxSize->setValue(int(std::min<long long>(std::max(range.Max, 1LL), seMaxSize->maximum())));
    }
    // Found patches already hold every matching pixel; a second pass over a
    // large scan is not needed for them.
    const QImage mask = FKind == ekMarkers && FBlobs.Problem.isEmpty()
                            ? BlobMask(FBlobs, source.Width(), source.Height())
                            : MatchMask(source, area, palette, FColour, seTolerance->value());
    const long long matched = SetBits(mask);
    QApplication::restoreOverrideCursor();
    FView->SetHighlight(mask, MarkFor(FColour));
    if (FKind == ekMarkers && FBlobs.Problem.isEmpty()) {
        SizesChanged();
        return;
    }
    const QString text = FKind == ekMarkers && !FBlobs.Problem.isEmpty()
                             ? FBlobs.Problem
                             : QStringLiteral("%1 pixels of %2 in the plotting area.").arg(matched).arg(RgbText(FColour)) +
                                   PaletteText();
    ShowStatus(text);
    btnExtract->setEnabled(matched > 0 && (FKind == ekCurve || FBlobs.Problem.isEmpty()));
}

void TformExtract::SizesChanged()
{
    if (FKind != ekMarkers || !FHasColour || !FBlobs.Problem.isEmpty())
        return;
    long long within = 0;
    for (const TBlob& blob : FBlobs.Blobs)
        within += blob.Area >= seMinSize->value() && blob.Area <= seMaxSize->value();
    ShowStatus(QStringLiteral("%1 patches of %2; a typical one has %3 pixels. %4 are within the sizes.")
                           .arg(FBlobs.Blobs.size())
                           .arg(RgbText(FColour))
                           .arg(FBlobs.Typical)
                           .arg(within) +
                       PaletteText());
    btnExtract->setEnabled(within > 0);
}

QString TformExtract::ExtractCaption() const
{
    return FKind == ekCurve ? QStringLiteral("Extract Curve") : QStringLiteral("Extract Markers");
}

void TformExtract::Extract()
{
    if (!FView)
        return;
    if (FRefresh.isActive() || FView->Image.Version() != FPictureVersion)
        Refresh();
    if (!FHasColour)
        return;
    const TPixelSource source = SourceOf(*FView);
    QString problem;
    const TExtractArea area = Area(problem);
    if (!problem.isEmpty()) {
        QMessageBox::warning(this, ExtractCaption(), problem);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const TExtraction found =
        FKind == ekCurve
            ? ExtractCurve(source, area, PaletteOf(source, area), FColour, seTolerance->value(), seStep->value(), FSeed)
            : MarkerCentres(source, area, FBlobs, FColour, seTolerance->value(),
                            {seMinSize->value(), seMaxSize->value()}, TMarkerAnchor(cbAnchor->currentIndex()));
    QApplication::restoreOverrideCursor();
    if (!found.Problem.isEmpty()) {
        QMessageBox::warning(this, ExtractCaption(), found.Problem);
        return;
    }
    if (found.Points.empty()) {
        QMessageBox::information(this, ExtractCaption(), NothingFoundText(FColour));
        return;
    }
    if (OnExtract)
        OnExtract(found.Points, ExtractCaption(), cbxReplace->isChecked(), LegendNameOf(source, found.Report));
    // A doubtful result stays in view beside the dialog, to be checked
    // against the picture, undone or tried again.
    if (found.Report.Doubtful()) {
        ShowStatus(found.Report.Text(found.Points.size()));
        return;
    }
    accept();
}
