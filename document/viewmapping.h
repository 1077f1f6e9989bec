#pragma once

#include "CalibrationPoints.h"
#include "platform/WinTypes.h"

#include <QString>

#include <cstdint>

struct TDataPoint {
    double X = 0;
    double Y = 0;
};

enum TAxisMapping : std::uint8_t { amLinear = 0, amLog10 = 1 };

// What an axis's values are: numbers, or seconds since 1970-01-01 UTC read
// and written as dates (ISO 8601) or as times of day.
enum TAxisUnit : std::uint8_t { auNumber, auDate, auTime };

enum TAxis : std::uint8_t { axX, axY };

struct TFittedMap;

enum TMappingEdge : std::uint8_t { meTop, meLeft, meRight, meBottom };

// A set of plotting-area edges.
class TMappingEdges {
public:
    void Include(TMappingEdge e) { FBits |= Bit(e); }
    bool Contains(TMappingEdge e) const { return FBits & Bit(e); }
    bool Empty() const { return FBits == 0; }
    friend bool operator==(const TMappingEdges&, const TMappingEdges&) = default;

private:
    static std::uint8_t Bit(TMappingEdge e) { return static_cast<std::uint8_t>(1u << e); }
    std::uint8_t FBits = 0;
};

// What the user says of the plotting area: its rectangle, its edges' values
// and axis kinds, and its angle. One value, copied whole and compared whole
// (values that are no number equal each other), wherever a mapping is kept.
struct TMapping {
    TRect MappingRect;
    double XLeftValue = 0;
    double XRightValue = 100;
    double YBottomValue = 0;
    double YTopValue = 100;
    TAxisMapping AxisXMap = amLinear;
    TAxisMapping AxisYMap = amLinear;
    double Angle = 0;
    TAxisUnit XUnit = auNumber;
    TAxisUnit YUnit = auNumber;
    TCalibration Calibration;

    friend bool operator==(const TMapping& A, const TMapping& B);
};

// The plotting-area mapping and the arithmetic on it, free of any widget.
// Three spaces: client (view pixels), image (client / Zoom, rounded half to
// even) and the mapping frame (image turned by Angle about (Left, Bottom)).
class TViewMapping : public TMapping {
public:
    virtual ~TViewMapping() = default;

    float Zoom = 1.0f;

    bool MappingValid() const;
    bool AxisValuesValid() const;
    // What the mapping lacks before points have data values, said as the
    // step to take; "" once it has all it needs.
    QString MissingStep() const;

    friend bool operator==(const TViewMapping&, const TViewMapping&) = default;

    // Leaves P untouched when the axis values are not valid; no rotation.
    virtual void DataToPixel(const TDataPoint& D, TPoint& P) const;
    // Leaves D untouched when the rectangle is not valid.
    virtual void PixelToData(const TPoint& P, TDataPoint& D) const;
    // The same for a position that may fall between pixels: a whole one
    // exactly as above unless Exact, a fractional one turned without rounding.
    void PixelToData(const TPointF& P, TDataPoint& D, bool Exact = false) const;

    // Where data value X lies along the plotting area's turned X axis, in
    // pixels of the turned frame; false where the axis has no such value
    // (a log axis and X not above 0, or an area of no width).
    bool FrameX(double X, double& Out) const;
    // The map through the calibration points while they are in force and
    // give one; Problem then says what they lack.
    bool FittedMap(TFittedMap& Map, QString* Problem = nullptr) const;
    // How an axis's values run over the picture: its kind, and the change of
    // its value (of its log10 on a log axis) per image pixel along its
    // steepest way, at image position At when given (a polar angle changes
    // faster nearer the centre); false while there is no map.
    bool AxisStep(TAxis Axis, TAxisMapping& Kind, double& PerPixel, const TPointF* At = nullptr) const;

    // Data units per client pixel; 0 for a backward axis or an extent that is
    // less than one client pixel.
    double XUnitsPerPixel() const;
    double YUnitsPerPixel() const;

    TPoint ClientToImage(const TPoint& P) const;
    TPoint RotatePoint(const TPoint& P) const;
    TPoint UnrotatePoint(const TPoint& P) const;
    TPoint RotateScreenPoint(const TPoint& P) const;
    TPoint UnrotateScreenPoint(const TPoint& P) const;
    TPoint RotateAbout(const TPoint& P, const TPoint& C) const;
    // Image position to the turned frame and back, without rounding.
    TPointF RotatePointF(const TPointF& P) const;
    TPointF UnrotatePointF(const TPointF& P) const;

    // From the client points where a drag started (D) and is now (M),
    // normalised and clamped to an image of Width x Height.
    void RubberBandToRect(const TPoint& D, const TPoint& M, int Width, int Height, TRect& R) const;
    // From the four drag corners (image pixels); TR does not enter.
    void CornersToRect(const TPoint& BL, const TPoint& BR, const TPoint& TR, const TPoint& TL,
                       int Width, int Height, TRect& R) const;
    // The edges within 5 image pixels (strictly) of image point P, measured in
    // the turned frame, and never within less than 5 screen pixels at small
    // zooms; none while the rectangle is not valid.
    TMappingEdges HitTestEdges(const TPoint& P) const;
    // The client point (X, Y) in the turned frame, kept from crossing the edge
    // opposite each grabbed one.
    TPoint ConstrainDrag(int X, int Y, const TMappingEdges& Grabbed) const;

    // Store the rectangles above as MappingRect when their source is valid,
    // which puts the rectangle in force.
    void ApplyRubberBand(const TPoint& D, const TPoint& M, int Width, int Height);
    void ApplyCorners(const TPoint& BL, const TPoint& BR, const TPoint& TR, const TPoint& TL,
                      int Width, int Height);

private:
    // X or YUnitsPerPixel while calibration points are in force.
    double PointsUnitsPerPixel(TAxis Axis) const;
    TPoint Turn(const TPoint& P, const TPoint& C, double degrees) const;
    TPoint TurnScreen(const TPoint& P, double degrees) const;
};

// The axis kind of an ordinal as sessions and the Dimensions dialog give
// it; Otherwise for one that names no kind.
TAxisMapping AxisMappingOf(int Ordinal, TAxisMapping Otherwise);

// Where v lies from a (0) to b (1) on the given kind of axis; false for a
// kind no writer produces.
bool AxisFraction(TAxisMapping kind, double a, double b, double v, double& out);

// Round to nearest, halves to even; beyond int's range the nearest end of
// it, and NaN as 0.
int RoundEven(double value);
