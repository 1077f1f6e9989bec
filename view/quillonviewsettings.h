#pragma once

#include "document/SeriesLook.h"
#include "platform/Registry.h"
#include "platform/WinTypes.h"

#include <QStringList>

#include <cstdint>
#include <memory>

enum TFloatFormat : std::uint8_t { ffGeneral = 0 };

// The view's drawing, number and click options. Eleven of them are kept per
// user under "Software\Kestrow\Quillon\"; they are read once on creation and
// written only by SaveSettings, after the user confirms the Preferences dialog.
class TQuillonViewSettings {
public:
    TQuillonViewSettings();
    TQuillonViewSettings(const TQuillonViewSettings&) = delete;
    TQuillonViewSettings& operator=(const TQuillonViewSettings&) = delete;

    // What Preferences lets the user choose; stored values outside these
    // read as the nearest bound.
    static constexpr double MaxAngleIncrement = 45;
    static constexpr int MinPointSize = MinLookPointSize;
    static constexpr int MaxPointSize = MaxLookPointSize;

    // Every option, the stored ones and the others, from the table of
    // settings that loading and saving use too.
    void SetDefaults();
    void LoadSettings();
    // Raises ERegistryException "Failed to create key %s" or
    // "Failed to set data for '%s'", each followed by the store's file and
    // the reason; values written before stay written.
    void SaveSettings();
    // Ordinals outside 0..10, -1 (no selection) among them, give ptPlus.
    void SetPointType(int Index);
    static QStringList PointTypeNames();

    // The point and line options, which belong to the current series.
    TSeriesLook Look() const;
    void SetLook(const TSeriesLook& Value);
    // The look the store holds, read afresh: where a new series starts.
    static TSeriesLook StoredLook();

    double AngleIncrement;
    bool DrawLine;
    bool DrawPoints;
    bool FitOnImageLoad;
    int NumberDigits;
    TFloatFormat NumberFormat;
    int NumberPrecision;
    TColor LineColour;
    TPenStyle LineStyle;
    TColor PointColour;
    TColor PointFillColour;
    int PointSize;
    bool PointSolid;
    TPointType PointType;
    // Off: every click stores a whole pixel.
    bool SubPixelClicks;
    std::unique_ptr<TRegistry> Registry;

private:
    // The store's file and why it refused the last write, for messages.
    QString Where() const;
    std::optional<QString> ReadText(const QString& SubKey, const QString& Name);
    void WriteText(const QString& SubKey, const QString& Name, const QString& Value);
};
