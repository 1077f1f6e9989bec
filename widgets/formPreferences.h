#pragma once

#include "colourSwatch.h"
#include "ksFloatEdit.h"
#include "ksIntegerEdit.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;
class QTabWidget;
class TQuillonViewSettings;

// One modal dialog in two roles: Preferences (pages General, Points, Line,
// editing the view settings) and Dimensions (the axis values and kinds, with
// checks before it may close).
class TfrmPreferences : public QDialog {
    Q_OBJECT

public:
    explicit TfrmPreferences(QWidget* parent = nullptr);

    void SetupForPreferences();
    void SetupForDimensions();
    void SettingsToControls(const TQuillonViewSettings& Settings);
    void ControlsToSettings(TQuillonViewSettings& Settings) const;

    QTabWidget* pcPreferences;
    QWidget* tsImage;
    QWidget* tsPoints;
    QWidget* tsLines;
    QWidget* tsDimensions;
    QCheckBox* cbxFitOnImageLoad;
    // Not a view setting: the window reads and keeps it.
    QCheckBox* cbxAskToSave;
    QCheckBox* cbxSubPixelClicks;
    TKSFloatEdit* ksAngleIncrement;
    QCheckBox* cbxDrawPoints;
    QComboBox* cbPointType;
    TKSIntegerEdit* ksiPointSize;
    TColourSwatch* pnlPointColour;
    TColourSwatch* pnlFillColour;
    QCheckBox* cbxPointSolid;
    QCheckBox* cbxDrawLine;
    TColourSwatch* pnlLineColour;
    TKSFloatEdit* ksfL;
    TKSFloatEdit* ksfR;
    QComboBox* cbXAxis;
    TKSFloatEdit* ksfB;
    TKSFloatEdit* ksfT;
    QComboBox* cbyaxis;
    QPushButton* bOK;
    QPushButton* bCancel;

    // The first failing Dimensions check's message, or "" when all pass.
    QString DimensionsError() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void bOKClick();
    void PickColour(TColourSwatch* swatch);

    bool FDimensions = false;
};
