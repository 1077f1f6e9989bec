#include "formPreferences.h"

#include "document/axisvalues.h"
#include "view/quillonviewsettings.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QComboBox* ScaleList(QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->addItems({QStringLiteral("Linear"), QStringLiteral("Logarithmic (Base 10)")});
    list->setCurrentIndex(0);
    return list;
}

QLabel* Bold(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

TfrmPreferences::TfrmPreferences(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Preferences"));
    resize(464, 298);

    pcPreferences = new QTabWidget(this);

    tsImage = new QWidget;
    cbxFitOnImageLoad = new QCheckBox(QStringLiteral("Fit to page on image loading"), tsImage);
    ksAngleIncrement = new TKSFloatEdit(tsImage);
    ksAngleIncrement->MinValue = 0;
    ksAngleIncrement->MaxValue = TQuillonViewSettings::MaxAngleIncrement;
    ksAngleIncrement->UseMinBound = true;
    ksAngleIncrement->UseMaxBound = true;
    ksAngleIncrement->SetValidate(vdNone);
    auto* general = new QFormLayout(tsImage);
    general->addRow(cbxFitOnImageLoad);
    general->addRow(QStringLiteral("Angle Increment"), ksAngleIncrement);
    cbxAskToSave = new QCheckBox(QStringLiteral("Ask to save changes before they would be lost"), tsImage);
    cbxAskToSave->setChecked(true);
    general->addRow(cbxAskToSave);
    cbxSubPixelClicks = new QCheckBox(QStringLiteral("Sub-pixel clicks when zoomed in"), tsImage);
    general->addRow(cbxSubPixelClicks);
    pcPreferences->addTab(tsImage, QStringLiteral("General"));

    tsPoints = new QWidget;
    cbxDrawPoints = new QCheckBox(QStringLiteral("Draw points"), tsPoints);
    cbPointType = new QComboBox(tsPoints);
    cbPointType->setMaxVisibleItems(10);
    ksiPointSize = new TKSIntegerEdit(tsPoints);
    ksiPointSize->MinValue = TQuillonViewSettings::MinPointSize;
    ksiPointSize->MaxValue = TQuillonViewSettings::MaxPointSize;
    ksiPointSize->UseMinBound = true;
    ksiPointSize->UseMaxBound = true;
    ksiPointSize->SetValidate(vdSilent);
    pnlPointColour = new TColourSwatch(22, tsPoints);
    pnlFillColour = new TColourSwatch(22, tsPoints);
    cbxPointSolid = new QCheckBox(QStringLiteral("Fill Point"), tsPoints);
    auto* fill = new QHBoxLayout;
    fill->addWidget(pnlFillColour);
    fill->addWidget(cbxPointSolid);
    fill->addStretch();
    auto* points = new QFormLayout(tsPoints);
    points->addRow(cbxDrawPoints);
    points->addRow(QStringLiteral("Point Type"), cbPointType);
    points->addRow(QStringLiteral("Point Size"), ksiPointSize);
    points->addRow(QStringLiteral("Outline Color"), pnlPointColour);
    points->addRow(QStringLiteral("Fill Color"), fill);
    pcPreferences->addTab(tsPoints, QStringLiteral("Points"));

    tsLines = new QWidget;
    cbxDrawLine = new QCheckBox(QStringLiteral("Draw line"), tsLines);
    pnlLineColour = new TColourSwatch(21, tsLines);
    auto* lines = new QFormLayout(tsLines);
    lines->addRow(cbxDrawLine);
    lines->addRow(QStringLiteral("Line Color"), pnlLineColour);
    pcPreferences->addTab(tsLines, QStringLiteral("Line"));

    tsDimensions = new QWidget;
    ksfL = new TKSFloatEdit(tsDimensions);
    ksfR = new TKSFloatEdit(tsDimensions);
    cbXAxis = ScaleList(tsDimensions);
    ksfB = new TKSFloatEdit(tsDimensions);
    ksfT = new TKSFloatEdit(tsDimensions);
    cbyaxis = ScaleList(tsDimensions);
    auto* dims = new QGridLayout(tsDimensions);
    dims->addWidget(Bold(QStringLiteral("X Axis"), tsDimensions), 0, 0, 1, 4);
    dims->addWidget(new QLabel(QStringLiteral("Left"), tsDimensions), 1, 0);
    dims->addWidget(ksfL, 1, 1);
    dims->addWidget(new QLabel(QStringLiteral("Right"), tsDimensions), 1, 2);
    dims->addWidget(ksfR, 1, 3);
    dims->addWidget(cbXAxis, 2, 1, 1, 3);
    dims->addWidget(Bold(QStringLiteral("Y Axis"), tsDimensions), 3, 0, 1, 4);
    dims->addWidget(new QLabel(QStringLiteral("Bottom"), tsDimensions), 4, 0);
    dims->addWidget(ksfB, 4, 1);
    dims->addWidget(new QLabel(QStringLiteral("Top"), tsDimensions), 4, 2);
    dims->addWidget(ksfT, 4, 3);
    dims->addWidget(cbyaxis, 5, 1, 1, 3);
    dims->setRowStretch(6, 1);
    pcPreferences->addTab(tsDimensions, QStringLiteral("Dimensions"));

    bOK = new QPushButton(QStringLiteral("OK"), this);
    bOK->setDefault(true);
    bCancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* pnlBottom = new QHBoxLayout;
    pnlBottom->addStretch();
    pnlBottom->addWidget(bOK);
    pnlBottom->addWidget(bCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pcPreferences);
    layout->addLayout(pnlBottom);

    connect(bOK, &QPushButton::clicked, this, [this] { bOKClick(); });
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
    pnlPointColour->OnClick = [this] { PickColour(pnlPointColour); };
    pnlFillColour->OnClick = [this] { PickColour(pnlFillColour); };
    pnlLineColour->OnClick = [this] { PickColour(pnlLineColour); };
}

void TfrmPreferences::SetupForPreferences()
{
    setWindowTitle(QStringLiteral("Preferences"));
    pcPreferences->removeTab(pcPreferences->indexOf(tsDimensions));
}

void TfrmPreferences::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The first value typed replaces the first field's, rather than going to
    // the page tab.
    if (FDimensions) {
        ksfL->setFocus();
        ksfL->selectAll();
    }
}

void TfrmPreferences::SetupForDimensions()
{
    setWindowTitle(QStringLiteral("Dimensions"));
    for (QWidget* page : {tsImage, tsPoints, tsLines})
        pcPreferences->removeTab(pcPreferences->indexOf(page));
    FDimensions = true;
}

void TfrmPreferences::SettingsToControls(const TQuillonViewSettings& Settings)
{
    cbxFitOnImageLoad->setChecked(Settings.FitOnImageLoad);
    cbxSubPixelClicks->setChecked(Settings.SubPixelClicks);
    ksAngleIncrement->SetValue(Settings.AngleIncrement);
    cbxDrawPoints->setChecked(Settings.DrawPoints);
    cbPointType->clear();
    cbPointType->addItems(TQuillonViewSettings::PointTypeNames());
    cbPointType->setCurrentIndex(Settings.PointType);
    ksiPointSize->SetValue(Settings.PointSize);
    pnlPointColour->SetColour(Settings.PointColour);
    pnlFillColour->SetColour(Settings.PointFillColour);
    cbxPointSolid->setChecked(Settings.PointSolid);
    cbxDrawLine->setChecked(Settings.DrawLine);
    pnlLineColour->SetColour(Settings.LineColour);
}

void TfrmPreferences::ControlsToSettings(TQuillonViewSettings& Settings) const
{
    Settings.FitOnImageLoad = cbxFitOnImageLoad->isChecked();
    Settings.SubPixelClicks = cbxSubPixelClicks->isChecked();
    Settings.AngleIncrement = ksAngleIncrement->Value;
    Settings.DrawPoints = cbxDrawPoints->isChecked();
    Settings.SetPointType(cbPointType->currentIndex());
    Settings.PointSize = ksiPointSize->Value;
    Settings.PointColour = pnlPointColour->Colour();
    Settings.PointFillColour = pnlFillColour->Colour();
    Settings.PointSolid = cbxPointSolid->isChecked();
    Settings.DrawLine = cbxDrawLine->isChecked();
    Settings.LineColour = pnlLineColour->Colour();
}

void TfrmPreferences::PickColour(TColourSwatch* swatch)
{
    const QColor chosen = QColorDialog::getColor(ToQColor(swatch->Colour()), this);
    if (chosen.isValid())
        swatch->SetColour(FromQColor(chosen));
}

QString TfrmPreferences::DimensionsError() const
{
    const std::pair<const TKSFloatEdit*, QString> edits[] = {
        {ksfL, QStringLiteral("left")}, {ksfR, QStringLiteral("right")},
        {ksfB, QStringLiteral("bottom")}, {ksfT, QStringLiteral("top")}};
    for (const auto& [edit, name] : edits)
        if (edit->TextRefused())
            return QStringLiteral("The %1 value must be a finite number.").arg(name);
    return AxisValuesProblem(ksfL->Value, ksfR->Value, ksfB->Value, ksfT->Value, cbXAxis->currentIndex() == 1,
                             cbyaxis->currentIndex() == 1);
}

void TfrmPreferences::bOKClick()
{
    if (pcPreferences->indexOf(tsDimensions) < 0) {
        accept();
        return;
    }
    // The checks read committed values: commit what is being typed.
    if (auto* edit = dynamic_cast<TKSNumericEdit*>(focusWidget()))
        edit->Commit();
    const QString error = DimensionsError();
    if (error.isEmpty()) {
        accept();
        return;
    }
    QMessageBox::critical(this, QStringLiteral("Error"), error);
}
