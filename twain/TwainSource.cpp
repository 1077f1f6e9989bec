// One TWAIN source: open, enable, messages, capabilities and transfers.
#include "FerroTwain.h"

#include <QFile>
#include <QLocale>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <vector>

namespace {

int ItemSize(TW_UINT16 type)
{
    switch (type) {
    case TWTY_INT8:
    case TWTY_UINT8:
        return 1;
    case TWTY_INT16:
    case TWTY_UINT16:
    case TWTY_BOOL:
        return 2;
    case TWTY_INT32:
    case TWTY_UINT32:
    case TWTY_FIX32:
        return 4;
    case TWTY_FRAME:
        return 16;
    case TWTY_STR32:
        return 34;
    case TWTY_STR64:
        return 66;
    case TWTY_STR128:
        return 130;
    case TWTY_STR255:
        return 256;
    case TWTY_STR1024:
        return 1026;
    case TWTY_UNI512:
        return 1024;
    default:
        return 0;
    }
}

template <typename T>
T Read(const TW_UINT8* p)
{
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

QString ItemText(TW_UINT16 type, const TW_UINT8* p)
{
    switch (type) {
    case TWTY_INT8:
        return QString::number(Read<TW_INT8>(p));
    case TWTY_INT16:
        return QString::number(Read<TW_INT16>(p));
    case TWTY_INT32:
        return QString::number(Read<TW_INT32>(p));
    case TWTY_UINT8:
        return QString::number(Read<TW_UINT8>(p));
    case TWTY_UINT16:
    case TWTY_BOOL:
        return QString::number(Read<TW_UINT16>(p));
    case TWTY_UINT32:
        return QString::number(Read<TW_UINT32>(p));
    case TWTY_FIX32: {
        const auto fix = Read<TW_FIX32>(p);
        return QString::number(fix.Whole) + QLocale().decimalPoint() + QString::number(fix.Frac);
    }
    case TWTY_STR32:
    case TWTY_STR64:
    case TWTY_STR128:
    case TWTY_STR255:
        return QString::fromLatin1(reinterpret_cast<const char*>(p), int(strnlen(reinterpret_cast<const char*>(p),
                                                                                 std::size_t(ItemSize(type)))));
    default:
        return {};
    }
}

TW_UINT16 QueryMessage(TCapabilityQuery Query)
{
    switch (Query) {
    case cqGetCurrent:
        return MSG_GETCURRENT;
    case cqGetDefault:
        return MSG_GETDEFAULT;
    case cqReset:
        return MSG_RESET;
    default:
        return MSG_GET;
    }
}

int ColourTableLength(int bitCount, std::uint32_t clrUsed)
{
    if (clrUsed != 0)
        return int(clrUsed);
    switch (bitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

} // namespace

TW_UINT16 TwainFormatCode(TTwainFormat Format)
{
    return Format == tfUnknown ? 0 : TW_UINT16(Format);
}

TTwainFormat TwainFormatOf(TW_UINT16 Code)
{
    return Code <= 9 ? TTwainFormat(Code) : tfUnknown;
}

QImage ImageFromDib(const void* Dib, std::size_t Size)
{
    // Every size comes from the source and is checked against the block
    // before a byte past the header is read.
    const auto* bytes = static_cast<const TW_UINT8*>(Dib);
    if (!Dib || Size < 12)
        return {};
    const auto headerSize = Read<std::uint32_t>(bytes);
    const bool core = headerSize == 12;
    if (!core && (headerSize < 40 || headerSize > Size))
        return {};
    std::int64_t width = 0;
    std::int64_t height = 0;
    int bitCount = 0;
    std::uint32_t clrUsed = 0;
    if (core) {
        width = Read<std::uint16_t>(bytes + 4);
        height = Read<std::uint16_t>(bytes + 6);
        bitCount = Read<std::uint16_t>(bytes + 10);
    } else {
        width = Read<std::int32_t>(bytes + 4);
        height = Read<std::int32_t>(bytes + 8);
        bitCount = Read<std::uint16_t>(bytes + 14);
        clrUsed = Read<std::uint32_t>(bytes + 32);
    }
    const bool bottomUp = height > 0;
    height = std::abs(height);
    if (width <= 0 || height <= 0 || width > INT32_MAX / 32 || height > INT32_MAX)
        return {};
    const std::int64_t colours = ColourTableLength(bitCount, clrUsed);
    if (bitCount <= 8 && colours > (std::int64_t(1) << bitCount))
        return {};
    const int entry = core ? 3 : 4;
    const std::int64_t stride = ((bitCount * width + 31) / 32) * 4;
    const std::int64_t bitsOffset = std::int64_t(headerSize) + std::int64_t(colours) * entry;
    if (colours < 0 || bitsOffset > std::int64_t(Size) || stride > (std::int64_t(Size) - bitsOffset) / height)
        return {};
    const TW_UINT8* table = bytes + headerSize;
    const TW_UINT8* bits = bytes + bitsOffset;

    QImage image;
    switch (bitCount) {
    case 1:
    case 4:
    case 8:
        image = QImage(int(width), int(height), QImage::Format_Indexed8);
        {
            // A pixel past a short colour table shows black, not stray memory.
            QList<QRgb> palette(1 << bitCount, qRgb(0, 0, 0));
            for (int i = 0; i < colours; ++i)
                palette[i] = qRgb(table[i * entry + 2], table[i * entry + 1], table[i * entry]);
            image.setColorTable(palette);
        }
        break;
    case 24:
        image = QImage(int(width), int(height), QImage::Format_BGR888);
        break;
    case 32:
        image = QImage(int(width), int(height), QImage::Format_RGB32);
        break;
    default:
        return {};
    }
    if (image.isNull())
        return {};
    for (int y = 0; y < height; ++y) {
        const TW_UINT8* row = bits + std::size_t(bottomUp ? height - 1 - y : y) * stride;
        TW_UINT8* out = image.scanLine(y);
        if (bitCount == 1 || bitCount == 4) {
            for (int x = 0; x < width; ++x)
                out[x] = bitCount == 1 ? (row[x >> 3] >> (7 - (x & 7))) & 1
                                       : ((x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4);
        } else {
            std::memcpy(out, row, std::size_t(width) * (bitCount / 8));
        }
    }
    return image;
}

TTwainSource::TTwainSource(TFerroTwain* AOwner)
    : Owner(AOwner)
{
}

TTwainSource::~TTwainSource()
{
    UnloadSource();
}

TW_UINT16 TTwainSource::Entry(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF Data)
{
    return Owner->Entry(&Structure, DG, DAT, MSG, Data);
}

void TTwainSource::SetLoaded(bool Value)
{
    if (Value == FLoaded)
        return;
    if (Value)
        LoadSource();
    else
        UnloadSource();
}

void TTwainSource::SetEnabled(bool Value)
{
    if (!FLoaded || Value == FEnabled)
        return;
    if (Value)
        EnableSource(ShowUI, Modal);
    else
        DisableSource();
}

bool TTwainSource::LoadSource()
{
    if (FLoaded)
        return true;
    const bool ok = Owner->Entry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &Structure) == TWRC_SUCCESS;
    if (ok) {
        ++Owner->OpenSourceCount;
        FLoaded = true;
    }
    return ok;
}

bool TTwainSource::UnloadSource()
{
    if (!FLoaded)
        return true;
    DisableSource();
    const bool ok = Owner->Entry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &Structure) == TWRC_SUCCESS;
    if (ok)
        --Owner->OpenSourceCount;
    FLoaded = false;
    return ok;
}

bool TTwainSource::EnableSource(bool AShowUI, bool AModal)
{
    if (!FLoaded || FEnabled)
        return FEnabled;
    TW_USERINTERFACE ui{};
    ui.ShowUI = AShowUI ? 0xFFFF : 0;
    ui.ModalUI = AModal ? 0xFFFF : 0;
    ui.hParent = Owner->WindowHandle();
    // Marked before the call: messages sent while it runs must reach us.
    FEnabled = true;
    const TW_UINT16 answer = Entry(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
    const bool ok = answer == TWRC_SUCCESS || answer == TWRC_CHECKSTATUS;
    // A refused enable leaves the source enabled no longer, so that it can
    // be enabled again later.
    if (!ok)
        FEnabled = false;
    return ok;
}

bool TTwainSource::DisableSource()
{
    if (!FLoaded || !FEnabled) {
        FEnabled = false;
        return true;
    }
    TW_USERINTERFACE ui{};
    if (Entry(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui) != TWRC_SUCCESS)
        return false;
    FEnabled = false;
    if (Owner->OnSourceDisable)
        Owner->OnSourceDisable(Owner, Index);
    return true;
}

bool TTwainSource::ProcessMessage(const TW_SYSMSG& Msg)
{
    TW_EVENT event{};
    event.pEvent = const_cast<TW_SYSMSG*>(&Msg);
    event.TWMessage = 0;
    if (Entry(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event) != TWRC_DSEVENT)
        return false;
    switch (event.TWMessage) {
    case MSG_XFERREADY:
        TransferImages();
        break;
    case MSG_CLOSEDSREQ:
        if (Owner->OnAcquireCancel)
            Owner->OnAcquireCancel(Owner, Index);
        DisableSource();
        break;
    default:
        break;
    }
    return true;
}

TW_UINT16 TTwainSource::GetConditionCode()
{
    if (!FLoaded)
        return 0;
    TW_STATUS status{};
    Entry(DG_CONTROL, DAT_STATUS, MSG_GET, &status);
    return status.ConditionCode;
}

TCapabilityResult TTwainSource::GetCapability(TW_UINT16 Capability, TCapabilityQuery Query, TW_HANDLE& Container,
                                              TW_UINT16& ContainerType)
{
    if (!FLoaded)
        return capInvalidState;
    TW_CAPABILITY cap{Capability, TWON_DONTCARE16, nullptr};
    if (Entry(DG_CONTROL, DAT_CAPABILITY, QueryMessage(Query), &cap) == TWRC_SUCCESS) {
        Container = cap.hContainer;
        ContainerType = cap.ConType;
        return capOk;
    }
    switch (GetConditionCode()) {
    case TWCC_CAPUNSUPPORTED:
        return capUnsupported;
    case TWCC_CAPSEQERROR:
        return capDependencyError;
    case TWCC_LOWMEMORY:
        return capLowMemory;
    case TWCC_SEQERROR:
        return capInvalidState;
    default:
        return capBadOperation;
    }
}

TCapabilityResult TTwainSource::GetEnumerationCapability(TW_UINT16 Capability, TW_UINT16& ItemType,
                                                         TGetCapabilityList& List, int& Current, int& Default,
                                                         TCapabilityQuery Query, TW_HANDLE Container)
{
    TW_UINT16 type = TWON_ENUMERATION;
    TCapabilityResult result = capOk;
    if (!Container)
        result = GetCapability(Capability, Query, Container, type);
    if (result != capOk)
        return result;
    if (type != TWON_ENUMERATION) {
        std::free(Container);
        return capInvalidContainer;
    }
    const auto* e = static_cast<const TW_ENUMERATION*>(Container);
    Current = int(e->CurrentIndex);
    Default = int(e->DefaultIndex);
    ItemType = e->ItemType;
    List.clear();
    const int size = ItemSize(e->ItemType);
    for (TW_UINT32 i = 0; i < e->NumItems; ++i)
        List << ItemText(e->ItemType, e->ItemList + std::size_t(i) * size);
    std::free(Container);
    return capOk;
}

TCapabilityResult TTwainSource::GetCodes(TW_UINT16 Capability, TCapabilityQuery Query, std::vector<int>& Codes,
                                         int& Chosen)
{
    TW_UINT16 type = 0;
    TGetCapabilityList list;
    int current = 0;
    int def = 0;
    const TCapabilityResult result = GetEnumerationCapability(Capability, type, list, current, def, Query);
    if (result != capOk)
        return result;
    if (type != TWTY_UINT16)
        return capUnsupported;
    Codes.clear();
    for (const QString& item : list) {
        bool ok = false;
        const int code = item.toInt(&ok);
        Codes.push_back(ok ? code : -1);
    }
    const int index = Query == cqGetDefault ? def : current;
    Chosen = index >= 0 && index < int(Codes.size()) ? Codes[std::size_t(index)] : -1;
    return capOk;
}

TCapabilityResult TTwainSource::GetICapUnits(TSourceUnit& Unit, TSourceUnits& Supported, TCapabilityQuery Query)
{
    auto unit = [](int code) { return code >= 0 && code <= 5 ? TSourceUnit(code) : suUnknown; };
    std::vector<int> codes;
    int chosen = -1;
    const TCapabilityResult result = GetCodes(ICAP_UNITS, Query, codes, chosen);
    if (result != capOk)
        return result;
    for (int code : codes)
        Supported |= TSourceUnits(1u << unit(code));
    Unit = unit(chosen);
    return capOk;
}

TCapabilityResult TTwainSource::GetIPixelFlavor(TSourcePixelFlavor& Flavor, TSourcePixelFlavors& Supported,
                                                TCapabilityQuery Query)
{
    auto flavor = [](int code) { return code == 0 || code == 1 ? TSourcePixelFlavor(code) : spfUnknown; };
    std::vector<int> codes;
    int chosen = -1;
    const TCapabilityResult result = GetCodes(ICAP_PIXELFLAVOR, Query, codes, chosen);
    if (result != capOk)
        return result;
    for (int code : codes)
        Supported |= TSourcePixelFlavors(1u << flavor(code));
    Flavor = flavor(chosen);
    return capOk;
}

bool TTwainSource::SetupFileTransfer(const QString& Filename, TTwainFormat Format)
{
    if (!FLoaded)
        return false;
    TW_SETUPFILEXFER setup{};
    if (!FitsTwainFileName(Filename))
        return false;
    const QByteArray name = QFile::encodeName(Filename);
    std::memcpy(setup.FileName, name.constData(), std::size_t(name.size()));
    setup.Format = TwainFormatCode(Format);
    FFileSetUp = Entry(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup) == TWRC_SUCCESS;
    return FFileSetUp;
}

TW_UINT16 TTwainSource::NativeTransfer(bool& Cancel)
{
    TW_HANDLE handle = nullptr;
    const TW_UINT16 code = Entry(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle);
    if (code == TWRC_XFERDONE && handle) {
        const QImage image = ImageFromDib(handle, malloc_usable_size(handle));
        if (Owner->OnTwainAcquire)
            Owner->OnTwainAcquire(Owner, Index, image, Cancel);
    }
    std::free(handle);
    return code;
}

TW_UINT16 TTwainSource::MemoryTransfer(bool& Cancel)
{
    TW_IMAGEINFO info{};
    TW_UINT16 code = Entry(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info);
    if (code != TWRC_SUCCESS)
        return code;
    const int width = info.ImageWidth;
    const int height = info.ImageLength;
    const int rowBytes = ((info.BitsPerPixel * width + 31) / 32) * 4;
    QImage image;
    switch (info.PixelType) {
    case TWPT_BW: {
        image = QImage(width, height, QImage::Format_Mono);
        TSourcePixelFlavor flavor = spfChocolate;
        TSourcePixelFlavors flavors = 0;
        GetIPixelFlavor(flavor, flavors, cqGet);
        image.setColorTable(flavor == spfVanilla ? QList<QRgb>{qRgb(255, 255, 255), qRgb(0, 0, 0)}
                                                 : QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)});
        break;
    }
    case TWPT_RGB:
        image = QImage(width, height, QImage::Format_RGB888);
        break;
    default: {
        image = QImage(width, height, QImage::Format_Indexed8);
        QList<QRgb> grey;
        for (int i = 0; i < 256; ++i)
            grey << qRgb(i, i, i);
        if (info.PixelType != TWPT_GRAY) {
            TW_PALETTE8 palette{};
            if (Entry(DG_IMAGE, DAT_PALETTE8, MSG_GET, &palette) == TWRC_SUCCESS) {
                grey.clear();
                for (int i = 0; i < palette.NumColors && i < 256; ++i)
                    grey << qRgb(palette.Colors[i].Channel1, palette.Colors[i].Channel2, palette.Colors[i].Channel3);
            }
        }
        image.setColorTable(grey);
    }
    }
    // Resolution in dots per metre, from inches or centimetres.
    TSourceUnit unit = suUnknown;
    TSourceUnits units = 0;
    if (GetICapUnits(unit, units, cqGet) == capOk && (unit == suInches || unit == suCentimeters)) {
        const double scale = unit == suInches ? 100 / 2.54 : 100;
        image.setDotsPerMeterX(int(std::lround(Fix32ToFloat(info.XResolution) * scale)));
        image.setDotsPerMeterY(int(std::lround(Fix32ToFloat(info.YResolution) * scale)));
    }

    TW_SETUPMEMXFER setup{};
    code = Entry(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup);
    if (code != TWRC_SUCCESS)
        return code;
    std::vector<TW_UINT8> buffer(std::max<TW_UINT32>(setup.Preferred, 1));
    const int copyBytes = std::min<int>(rowBytes, int(image.bytesPerLine()));
    std::vector<TW_UINT8> row(static_cast<std::size_t>(rowBytes));
    int filled = 0;
    int current = 0;
    do {
        TW_IMAGEMEMXFER xfer;
        std::memset(&xfer, 0xFF, sizeof xfer);
        xfer.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
        xfer.Memory.Length = TW_UINT32(buffer.size());
        xfer.Memory.TheMem = buffer.data();
        xfer.BytesWritten = 0;
        code = Entry(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer);
        if (code != TWRC_SUCCESS && code != TWRC_XFERDONE)
            break;
        // The bytes are one stream of rows, top row first.
        for (TW_UINT32 i = 0; i < xfer.BytesWritten && current < height; ++i) {
            row[std::size_t(filled++)] = buffer[i];
            if (filled == rowBytes) {
                std::memcpy(image.scanLine(current), row.data(), std::size_t(copyBytes));
                filled = 0;
                ++current;
                if (Owner->OnAcquireProgress)
                    Owner->OnAcquireProgress(this, Index, image, current, height - 1);
            }
        }
    } while (code == TWRC_SUCCESS);
    if (code == TWRC_XFERDONE && Owner->OnTwainAcquire)
        Owner->OnTwainAcquire(Owner, Index, image, Cancel);
    return code;
}

void TTwainSource::TransferImages()
{
    bool cancel = false;
    bool finished = false;
    do {
        TW_UINT16 code = TWRC_FAILURE;
        TW_SETUPFILEXFER setup{};
        switch (TransferMode) {
        case ttmFile:
            FFileSetUp = false;
            if (Owner->OnSourceSetupFileXfer) {
                Owner->OnSourceSetupFileXfer(Owner, Index);
                // The application chose no file: this transfer is
                // cancelled, rather than written wherever an earlier set-up
                // pointed.
                if (!FFileSetUp) {
                    TW_PENDINGXFERS pending{};
                    Entry(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
                    code = TWRC_CANCEL;
                    break;
                }
            }
            Entry(DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET, &setup);
            code = Entry(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
            break;
        case ttmNative:
            code = NativeTransfer(cancel);
            break;
        case ttmMemory:
            code = MemoryTransfer(cancel);
            break;
        }
        if (code == TWRC_CANCEL) {
            finished = true;
            if (Owner->OnAcquireCancel)
                Owner->OnAcquireCancel(Owner, Index);
            break;
        }
        if (code == TWRC_XFERDONE) {
            if (TransferMode == ttmFile && Owner->OnSourceFileTransfer) {
                TW_STR255 name;
                std::memcpy(name, setup.FileName, sizeof name);
                Owner->OnSourceFileTransfer(this, Index, name, TwainFormatOf(setup.Format), cancel);
            }
        } else if (Owner->OnAcquireError) {
            Owner->OnAcquireError(Owner, Index, code, GetConditionCode());
        }
        TW_PENDINGXFERS pending{};
        if (Entry(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending) != TWRC_SUCCESS || pending.Count == 0)
            finished = true;
        if (!finished && cancel)
            finished = Entry(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending) == TWRC_SUCCESS;
    } while (!finished);
    SetEnabled(false);
}
