#pragma once

#include "FerroTwainUtils.h"
#include "Twain.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TFerroTwain;
class TTwainSource;

// TWAIN language codes run from -1 upward; the stored code is the ordinal
// minus 1.
enum TTwainLanguage : std::uint8_t {
    tlUserLocale,
    tlDanish,
    tlDutch,
    tlInternationalEnglish,
    tlFrenchCanadian,
    tlFinnish,
    tlFrench,
    tlGerman,
    tlIcelandic,
    tlItalian,
    tlNorwegian,
    tlPortuguese,
    tlSpanish,
    tlSwedish,
    tlUsEnglish,
    tlAfrikaans,
    tlAlbania,
    tlArabic,
    tlArabicAlgeria,
    tlArabicBahrain,
    tlArabicEgypt,
    tlArabicIraq,
    tlArabJordan,
    tlArabicKuwait,
    tlArabicLebanon,
    tlArabicLibya,
    tlArabicMorocco,
    tlArabicOman,
    tlArabicQatar,
    tlArabicSaudiarabia,
    tlArabicSyria,
    tlArabicTunisia,
    tlArabicUae,
    tlArabicYemen,
    tlBasque,
    tlByelorussian,
    tlBulgarian,
    tlCatalan,
    tlChinese,
    tlChineseHongkong,
    tlChinesePeoplesRepublic,
    tlChineseSingapore,
    tlChineseSimplified,
    tlChineseTwain,
    tlChineseTraditional,
    tlCroatia,
    tlCzech,
    tlDutchBelgian,
    tlEnglishAustralian,
    tlEnglishCanadian,
    tlEnglishIreland,
    tlEnglishNewZealand,
    tlEnglishSouthAfrica,
    tlEnglishUk,
    tlEstonian,
    tlFaeroese,
    tlFarsi,
    tlFrenchBelgian,
    tlFrenchLuxembourg,
    tlFrenchSwiss,
    tlGermanAustrian,
    tlGermanLuxembourg,
    tlGermanLiechtenstein,
    tlGermanSwiss,
    tlGreek,
    tlHebrew,
    tlHungarian,
    tlIndonesian,
    tlItalianSwiss,
    tlJapanese,
    tlKorean,
    tlKoreanJohab,
    tlLatvian,
    tlLithuanian,
    tlNorewgianBokmal,
    tlNorwegianNynorsk,
    tlPolish,
    tlPortugueseBrazil,
    tlRomanian,
    tlRussian,
    tlSerbianLatin,
    tlSlovak,
    tlSlovenian,
    tlSpanishMexican,
    tlSpanishModern,
    tlThai,
    tlTurkish,
    tlUkranian,
    tlAssamese,
    tlBengali,
    tlBihari,
    tlBodo,
    tlDogri,
    tlGujarati,
    tlHarayanvi,
    tlHindi,
    tlKannada,
    tlKashmiri,
    tlMalayalam,
    tlMarathi,
    tlMarwari,
    tlMeghalayan,
    tlMizo,
    tlNaga,
    tlOrissi,
    tlPunjabi,
    tlPushtu,
    tlSerbianCyrillic,
    tlSikkimi,
    tlSwidishFinland,
    tlTamil,
    tlTelugu,
    tlTripuri,
    tlUrdu,
    tlVietnamese
};

enum TTwainGroup : std::uint8_t { tgControl, tgImage, tgAudio };
using TTwainGroups = std::uint8_t; // bit (1 << TTwainGroup)

enum TTwainTransferMode : std::uint8_t { ttmFile, ttmNative, ttmMemory };

enum TTwainFormat : std::uint8_t {
    tfTIFF, tfPict, tfBMP, tfXBM, tfJPEG, tfFPX, tfTIFFMulti, tfPNG, tfSPIFF, tfEXIF, tfUnknown
};

enum TCapabilityResult : std::uint8_t {
    capOk, capUnsupported, capBadOperation, capDependencyError, capLowMemory, capInvalidState, capInvalidContainer
};

enum TCapabilityQuery : std::uint8_t { cqGet, cqGetCurrent, cqGetDefault, cqReset };

enum TSourceUnit : std::uint8_t { suInches, suCentimeters, suPicas, suPoints, suTwips, suPixels, suUnknown };
using TSourceUnits = std::uint8_t; // bit (1 << TSourceUnit)

enum TSourcePixelFlavor : std::uint8_t { spfChocolate, spfVanilla, spfUnknown };
using TSourcePixelFlavors = std::uint8_t; // bit (1 << TSourcePixelFlavor)

using TGetCapabilityList = QStringList;

using TOnSourceNotify = std::function<void(void* Sender, int Index)>;
using TOnTwainAcquire = std::function<void(void* Sender, int Index, const QImage& Image, bool& Cancel)>;
using TOnAcquireProgress =
    std::function<void(void* Sender, int Index, const QImage& Image, int Current, int Total)>;
using TOnSourceFileTransfer =
    std::function<void(void* Sender, int Index, const TW_STR255& Filename, TTwainFormat Format, bool& Cancel)>;
using TOnTwainError = std::function<void(void* Sender, int Index, int ErrorCode, int Additional)>;

// One TW_IDENTITY record with its text fields kept zero-terminated.
class TTwainIdentity {
public:
    TTwainIdentity();
    virtual ~TTwainIdentity() = default;

    // Copies all 156 bytes, Id included.
    void Assign(const TTwainIdentity& Source);

    TW_UINT16 MajorVersion() const { return Structure.Version.MajorNum; }
    void SetMajorVersion(TW_UINT16 V) { Structure.Version.MajorNum = V; }
    TW_UINT16 MinorVersion() const { return Structure.Version.MinorNum; }
    void SetMinorVersion(TW_UINT16 V) { Structure.Version.MinorNum = V; }
    TTwainLanguage Language() const;
    void SetLanguage(TTwainLanguage L);
    TW_UINT16 CountryCode() const { return Structure.Version.Country; }
    void SetCountryCode(TW_UINT16 C) { Structure.Version.Country = C; }
    TTwainGroups Groups() const;
    // tgControl is always present.
    void SetGroups(TTwainGroups G);
    QString VersionInfo() const;
    void SetVersionInfo(const QString& S);
    QString Manufacturer() const;
    void SetManufacturer(const QString& S);
    QString ProductFamily() const;
    void SetProductFamily(const QString& S);
    QString ProductName() const;
    void SetProductName(const QString& S);

    TW_IDENTITY Structure{};
};

// The carrier of the source manager's messages: takes them from any thread
// and routes each, on the GUI thread, to the sources.
class TTwainCarrier : public QObject {
    Q_OBJECT

public:
    explicit TTwainCarrier(TFerroTwain* Owner);
    TW_CARRIER Record;

private:
    static void Post(void* Context, const TW_SYSMSG* Msg);
    TFerroTwain* FOwner;
};

// The TWAIN component: finds and loads the source manager library, opens the
// manager with the application's identity, lists the sources and hands
// their messages on. Failures are results, never errors.
class TFerroTwain {
public:
    TFerroTwain();
    ~TFerroTwain();
    TFerroTwain(const TFerroTwain&) = delete;
    TFerroTwain& operator=(const TFerroTwain&) = delete;

    // The source manager library's file name, searched for in the
    // TrustedLibraryFolders.
    QString LibraryName = QStringLiteral("libquillon_twaindsm.so");
    // The folder that holds LibraryName, or "" when none does.
    QString FindLibraryFolder() const;

    bool LoadLibrary();
    bool UnloadLibrary();
    bool LoadSourceManager();
    bool UnloadSourceManager(bool Forced);
    bool LibraryLoaded() const { return FLibraryLoaded; }
    void SetLibraryLoaded(bool Value);
    bool SourceManagerLoaded() const { return FSourceManagerLoaded; }
    void SetSourceManagerLoaded(bool Value);

    int GetSourceCount();
    TTwainSource* Source(int Index);
    int SelectSource();
    int GetDefaultSource();
    int FindSource(const TW_IDENTITY& Identity);
    bool EnumerateSources();
    // Appends a source the manager named that is not in the list; its
    // index, or -1 when the list is full.
    int AddSource(const TW_IDENTITY& Identity);
    void ClearSources();

    // The routing of one message from the source manager: offered to each
    // open, enabled source until one claims it. True when one did.
    bool VirtualWindowProc(const TW_SYSMSG& Msg);

    TW_UINT16 Entry(TW_IDENTITY* Dest, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF Data);
    // The source manager's condition code after a failed call.
    TW_UINT16 GetConditionCode();

    TOnSourceNotify OnSourceDisable;
    TOnSourceNotify OnAcquireCancel;
    TOnTwainAcquire OnTwainAcquire;
    TOnSourceNotify OnSourceSetupFileXfer;
    TOnSourceFileTransfer OnSourceFileTransfer;
    TOnTwainError OnAcquireError;
    TOnAcquireProgress OnAcquireProgress;
    TTwainTransferMode TransferMode = ttmMemory;
    TTwainIdentity Info;
    int OpenSourceCount = 0;
    TW_CARRIER* WindowHandle();

private:
    bool SelectingSource = false;
    TPointerList SourceList;
    void* LibraryHandle = nullptr;
    bool SourcesEnumerated = false;
    DSMENTRYPROC DSMEntry = nullptr;
    bool FLibraryLoaded = false;
    bool FSourceManagerLoaded = false;
    std::unique_ptr<TTwainCarrier> FCarrier;
};

// One source of the manager's list: open, enable, message handling,
// capability queries and the transfer loop.
class TTwainSource : public TTwainIdentity {
public:
    explicit TTwainSource(TFerroTwain* AOwner);
    ~TTwainSource() override;

    int Index = 0;
    TTwainTransferMode TransferMode = ttmNative;
    bool ShowUI = true;
    bool Modal = true;

    bool Loaded() const { return FLoaded; }
    void SetLoaded(bool Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);

    bool LoadSource();
    bool UnloadSource();
    bool EnableSource(bool AShowUI, bool AModal);
    bool DisableSource();
    bool ProcessMessage(const TW_SYSMSG& Msg);
    TW_UINT16 GetConditionCode();
    TCapabilityResult GetCapability(TW_UINT16 Capability, TCapabilityQuery Query, TW_HANDLE& Container,
                                    TW_UINT16& ContainerType);
    TCapabilityResult GetEnumerationCapability(TW_UINT16 Capability, TW_UINT16& ItemType, TGetCapabilityList& List,
                                               int& Current, int& Default, TCapabilityQuery Query,
                                               TW_HANDLE Container = nullptr);
    TCapabilityResult GetICapUnits(TSourceUnit& Unit, TSourceUnits& Supported, TCapabilityQuery Query);
    TCapabilityResult GetIPixelFlavor(TSourcePixelFlavor& Flavor, TSourcePixelFlavors& Supported,
                                      TCapabilityQuery Query);
    // False, and nothing set up, for a name longer than the 255 bytes the
    // record holds.
    bool SetupFileTransfer(const QString& Filename, TTwainFormat Format);
    void TransferImages();

    TFerroTwain* Owner;

private:
    TW_UINT16 Entry(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF Data);
    // A TWTY_UINT16 enumeration as codes (text that is no number: -1) and
    // the code in force for Query.
    TCapabilityResult GetCodes(TW_UINT16 Capability, TCapabilityQuery Query, std::vector<int>& Codes, int& Chosen);
    TW_UINT16 NativeTransfer(bool& Cancel);
    TW_UINT16 MemoryTransfer(bool& Cancel);
    bool FLoaded = false;
    bool FEnabled = false;
    // SetupFileTransfer succeeded since the current file transfer began.
    bool FFileSetUp = false;
};

// The TWAIN code of a format (tfUnknown as 0), and back (unknown codes give
// tfUnknown).
TW_UINT16 TwainFormatCode(TTwainFormat Format);
TTwainFormat TwainFormatOf(TW_UINT16 Code);
// A DIB in memory (information or core header, colour table, rows bottom-up)
// as an image; a null image for a depth it cannot read or a header whose
// sizes do not fit the Size bytes of the block.
QImage ImageFromDib(const void* Dib, std::size_t Size);
