#pragma once

#include "platform/Registry.h"
#include "platform/WinTypes.h"

#include <QStringList>

#include <cstdint>
#include <memory>

enum TPointType : std::uint8_t {
    ptPlus,
    ptCross,
    ptAsterisk,
    ptCircle,
    ptSquare,
    ptDiamond,
    ptTriangle,
    ptInvertedTriangle,
    ptDiamondPlus,
    ptSquarePlus,
    ptSmallDot
};

enum TPenStyle : std::uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

enum TFloatFormat : std::uint8_t { ffGeneral = 0 };

// The view's drawing and number options. Ten of them are kept per user under
// "Software\Kestrow\Quillon\"; they are read once on creation and written only
// by SaveSettings, after the user confirms the Preferences dialog.
class TQuillonViewSettings {
public:
    TQuillonViewSettings();
    TQuillonViewSettings(const TQuillonViewSettings&) = delete;
    TQuillonViewSettings& operator=(const TQuillonViewSettings&) = delete;

    // What Preferences lets the user choose; stored values outside these
    // read as the nearest bound.
    static constexpr double MaxAngleIncrement = 45;
    static constexpr int MinPointSize = 1;
    static constexpr int MaxPointSize = 10;

    void SetDefaults();
    void LoadSettings();
    // Raises ERegistryException "Failed to create key %s" or
    // "Failed to set data for '%s'", each followed by the store's file and
    // the reason; values written before stay written.
    void SaveSettings();
    // Ordinals outside 0..10, -1 (no selection) among them, give ptPlus.
    void SetPointType(int Index);
    static QStringList PointTypeNames();

    double AngleIncrement = 1.0;
    bool DrawLine = false;
    bool DrawPoints = true;
    bool FitOnImageLoad = false;
    int NumberDigits = 3;
    TFloatFormat NumberFormat = ffGeneral;
    int NumberPrecision = 6;
    TColor LineColour = 0x000000;
    TPenStyle LineStyle = psSolid;
    TColor PointColour = 0xFF0000;
    TColor PointFillColour = 0x000000;
    int PointSize = 3;
    bool PointSolid = false;
    TPointType PointType = ptPlus;
    std::unique_ptr<TRegistry> Registry;

private:
    // The store's file and why it refused the last write, for messages.
    QString Where() const;
    std::optional<QString> ReadText(const QString& SubKey, const QString& Name);
    int ReadInteger(const QString& SubKey, const QString& Name, int Default);
    bool ReadBool(const QString& SubKey, const QString& Name, bool Default);
    void WriteText(const QString& SubKey, const QString& Name, const QString& Value);
    void WriteInteger(const QString& SubKey, const QString& Name, int Value);
    void WriteBool(const QString& SubKey, const QString& Name, bool Value);
};
