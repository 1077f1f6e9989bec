#pragma once

#include "extract/ExtractArea.h"
#include "extract/MarkerExtraction.h"
#include "platform/WinTypes.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class TColourSwatch;
class TQuillonView;

// Extract Curve and Extract Markers: the colour sought, picked by a click
// on the picture or chosen in a colour dialog, its tolerance, and the step
// or the marker sizes. While it is open the matching pixels are shown over
// the picture; it stays beside the window so that the picture can be
// clicked.
class TformExtract : public QDialog {
    Q_OBJECT

public:
    enum TKind { ekCurve, ekMarkers };
    TformExtract(TKind Kind, TQuillonView* View, QWidget* Parent = nullptr);
    ~TformExtract() override;

    void SetColour(const TRgb& Colour);
    // The points found, in picture pixels and turned-X order, with the name
    // of the step, and whether they take the place of the series' points;
    // the dialog closes after, unless the result is doubtful.
    // The points found, and the name the legend gives them ("" for none).
    std::function<void(const std::vector<TPointF>& Points, const QString& Caption, bool Replace, const QString& Name)>
        OnExtract;
    // Runs the extraction with the controls' values.
    void Extract();
    // Shows the matches for the present values at once rather than after
    // the short wait that typing goes through.
    void Refresh();

private:
    friend class TestExtractWindow;

    // Gives the view its clicks back and takes the highlight away.
    void ReleaseView();
    void Schedule();
    void ChooseColour();
    void SizesChanged();
    QString ExtractCaption() const;
    // The other colours drawn in the area nearest to the one sought, and a
    // warning when one is within the tolerance.
    QString PaletteText() const;
    void ShowPalette(const TPalette& Palette);
    void ShowStatus(const QString& Text);
    // The plotting area cut to the X limits typed, or why they cannot be.
    TExtractArea Area(QString& Problem) const;
    // The area's palette, found again only when the picture or the area
    // has changed since.
    const TPalette& PaletteOf(const TPixelSource& Source, const TExtractArea& Area);

    TKind FKind;
    // The window may take its view down first.
    QPointer<TQuillonView> FView;
    TRgb FColour;
    bool FHasColour = false;
    // Where the colour was taken from the picture: the curve to follow.
    std::optional<TPointF> FSeed;
    TBlobSearch FBlobs;
    TPalette FPalette;
    // The picture and area FPalette was found in.
    std::optional<std::pair<std::uint64_t, TExtractArea>> FPaletteOf;
    // The picture the matches were found in.
    std::uint64_t FPictureVersion = 0;
    QTimer FRefresh;

    TColourSwatch* pnlColour;
    QPushButton* btnChooseColour;
    QSpinBox* seTolerance;
    QDoubleSpinBox* seStep = nullptr;
    QSpinBox* seMinSize = nullptr;
    QSpinBox* seMaxSize = nullptr;
    QComboBox* cbAnchor = nullptr;
    QLineEdit* edFromX;
    QLineEdit* edToX;
    QCheckBox* cbxReplace;
    QLabel* lblStatus;
    QLabel* lblPalette;
    QPushButton* btnExtract;
};
