#include "FerroTwain.h"

#include <QCursor>
#include <QFile>
#include <QMetaObject>

#include <cstring>
#include <dlfcn.h>

namespace {

QString ReadText(const char* field)
{
    return QString::fromLatin1(field, int(strnlen(field, 34)));
}

// Zero-fills the 34-byte field and copies at most 32 characters into it.
void WriteText(char* field, const QString& text)
{
    std::memset(field, 0, 34);
    const QByteArray bytes = text.toLatin1().left(32);
    std::memcpy(field, bytes.constData(), std::size_t(bytes.size()));
}

} // namespace

// -- TTwainIdentity ---------------------------------------------------------

TTwainIdentity::TTwainIdentity()
{
    Structure.Version.MajorNum = 1;
    Structure.Version.MinorNum = 0;
    SetLanguage(tlUserLocale);
    Structure.Version.Country = 1;
    Structure.ProtocolMajor = 1;
    Structure.ProtocolMinor = 9;
    SetGroups((1 << tgControl) | (1 << tgImage));
    SetVersionInfo(QStringLiteral("Application name"));
    SetManufacturer(QStringLiteral("Application manufacturer"));
    SetProductFamily(QStringLiteral("App product family"));
    SetProductName(QStringLiteral("App product name"));
}

void TTwainIdentity::Assign(const TTwainIdentity& Source)
{
    std::memcpy(&Structure, &Source.Structure, sizeof Structure);
}

TTwainLanguage TTwainIdentity::Language() const
{
    return static_cast<TTwainLanguage>(static_cast<TW_INT16>(Structure.Version.Language) + 1);
}

void TTwainIdentity::SetLanguage(TTwainLanguage L)
{
    Structure.Version.Language = static_cast<TW_UINT16>(static_cast<int>(L) - 1);
}

TTwainGroups TTwainIdentity::Groups() const
{
    TTwainGroups groups = 1 << tgControl;
    if (Structure.SupportedGroups & DG_IMAGE)
        groups |= 1 << tgImage;
    if (Structure.SupportedGroups & DG_AUDIO)
        groups |= 1 << tgAudio;
    return groups;
}

void TTwainIdentity::SetGroups(TTwainGroups G)
{
    Structure.SupportedGroups = DG_CONTROL;
    if (G & (1 << tgImage))
        Structure.SupportedGroups |= DG_IMAGE;
    if (G & (1 << tgAudio))
        Structure.SupportedGroups |= DG_AUDIO;
}

QString TTwainIdentity::VersionInfo() const { return ReadText(Structure.Version.Info); }
void TTwainIdentity::SetVersionInfo(const QString& S) { WriteText(Structure.Version.Info, S); }
QString TTwainIdentity::Manufacturer() const { return ReadText(Structure.Manufacturer); }
void TTwainIdentity::SetManufacturer(const QString& S) { WriteText(Structure.Manufacturer, S); }
QString TTwainIdentity::ProductFamily() const { return ReadText(Structure.ProductFamily); }
void TTwainIdentity::SetProductFamily(const QString& S) { WriteText(Structure.ProductFamily, S); }
QString TTwainIdentity::ProductName() const { return ReadText(Structure.ProductName); }
void TTwainIdentity::SetProductName(const QString& S) { WriteText(Structure.ProductName, S); }

// -- TTwainCarrier ----------------------------------------------------------

TTwainCarrier::TTwainCarrier(TFerroTwain* Owner)
    : Record{&TTwainCarrier::Post, this}
    , FOwner(Owner)
{
}

void TTwainCarrier::Post(void* Context, const TW_SYSMSG* Msg)
{
    auto* carrier = static_cast<TTwainCarrier*>(Context);
    TW_SYSMSG copy = *Msg;
    copy.Window = &carrier->Record;
    // Queued: the routing always runs on the GUI thread, whichever thread
    // the source manager posts from.
    QMetaObject::invokeMethod(
        carrier,
        [carrier, copy]() mutable {
            const QPoint cursor = QCursor::pos();
            copy.X = cursor.x();
            copy.Y = cursor.y();
            carrier->FOwner->VirtualWindowProc(copy);
        },
        Qt::QueuedConnection);
}

// -- TFerroTwain -------------------------------------------------------------

TFerroTwain::TFerroTwain()
    : FCarrier(std::make_unique<TTwainCarrier>(this))
{
}

TFerroTwain::~TFerroTwain()
{
    SetLibraryLoaded(false);
    ClearSources();
}

TW_CARRIER* TFerroTwain::WindowHandle()
{
    return &FCarrier->Record;
}

QString TFerroTwain::FindLibraryFolder() const
{
    for (const QString& dir : TrustedLibraryFolders())
        if (FileFound(dir + LibraryName))
            return dir;
    return {};
}

bool TFerroTwain::LoadLibrary()
{
    if (FLibraryLoaded)
        return true;
    const QString dir = FindLibraryFolder();
    if (dir.isEmpty())
        return false;
    LibraryHandle = dlopen(QFile::encodeName(dir + LibraryName).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!LibraryHandle)
        return false;
    DSMEntry = reinterpret_cast<DSMENTRYPROC>(dlsym(LibraryHandle, "DSM_Entry"));
    if (!DSMEntry) {
        dlclose(LibraryHandle);
        LibraryHandle = nullptr;
        return false;
    }
    FLibraryLoaded = true;
    return true;
}

bool TFerroTwain::UnloadLibrary()
{
    if (!FLibraryLoaded)
        return true;
    SetSourceManagerLoaded(false);
    if (dlclose(LibraryHandle) != 0)
        return false;
    LibraryHandle = nullptr;
    DSMEntry = nullptr;
    FLibraryLoaded = false;
    return true;
}

void TFerroTwain::SetLibraryLoaded(bool Value)
{
    if (Value == FLibraryLoaded)
        return;
    if (Value)
        LoadLibrary();
    else
        UnloadLibrary();
}

void TFerroTwain::SetSourceManagerLoaded(bool Value)
{
    if (!FLibraryLoaded || Value == FSourceManagerLoaded)
        return;
    if (Value)
        LoadSourceManager();
    else
        UnloadSourceManager(false);
}

TW_UINT16 TFerroTwain::GetConditionCode()
{
    TW_STATUS status{};
    if (Entry(nullptr, DG_CONTROL, DAT_STATUS, MSG_GET, &status) != TWRC_SUCCESS)
        return TWCC_BUMMER;
    return status.ConditionCode;
}

TW_UINT16 TFerroTwain::Entry(TW_IDENTITY* Dest, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF Data)
{
    return DSMEntry ? DSMEntry(&Info.Structure, Dest, DG, DAT, MSG, Data) : TWRC_FAILURE;
}

bool TFerroTwain::LoadSourceManager()
{
    if (!FLibraryLoaded)
        return false;
    if (FSourceManagerLoaded)
        return true;
    TW_CARRIER* parent = WindowHandle();
    if (Entry(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parent) == TWRC_SUCCESS)
        FSourceManagerLoaded = true;
    return FSourceManagerLoaded;
}

bool TFerroTwain::UnloadSourceManager(bool Forced)
{
    if (!FLibraryLoaded || !FSourceManagerLoaded)
        return true;
    ClearSources();
    bool result = true;
    if (!Forced) {
        TW_CARRIER* parent = WindowHandle();
        result = Entry(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parent) == TWRC_SUCCESS;
    }
    if (result)
        FSourceManagerLoaded = false;
    return result;
}

bool TFerroTwain::EnumerateSources()
{
    if (!FLibraryLoaded || !FSourceManagerLoaded)
        return false;
    ClearSources();
    auto* source = new TTwainSource(this);
    source->TransferMode = TransferMode;
    source->Index = 0;
    TW_UINT16 answer = Entry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &source->Structure);
    while (answer == TWRC_SUCCESS) {
        SourceList.Add(source);
        source = new TTwainSource(this);
        source->TransferMode = TransferMode;
        source->Index = SourceList.Count;
        answer = Entry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &source->Structure);
    }
    delete source;
    SourcesEnumerated = true;
    return true;
}

int TFerroTwain::AddSource(const TW_IDENTITY& Identity)
{
    // A source that came after the list was made (a scanner plugged in, one
    // found on the network): the sources already listed, open ones among
    // them, keep their places.
    if (SourceList.Count > 255)
        return -1;
    auto* source = new TTwainSource(this);
    source->Structure = Identity;
    source->TransferMode = TransferMode;
    source->Index = SourceList.Count;
    SourceList.Add(source);
    return source->Index;
}

void TFerroTwain::ClearSources()
{
    for (int i = 0; i < SourceList.Count; ++i)
        delete static_cast<TTwainSource*>(SourceList.GetItem(i));
    SourceList.Clear();
    SourcesEnumerated = false;
}

int TFerroTwain::GetSourceCount()
{
    if (!FLibraryLoaded || !FSourceManagerLoaded)
        return 0;
    if (!SourcesEnumerated)
        EnumerateSources();
    return SourceList.Count;
}

int TFerroTwain::FindSource(const TW_IDENTITY& Identity)
{
    const int count = GetSourceCount();
    for (int i = 0; i < count; ++i) {
        const auto* source = static_cast<TTwainSource*>(SourceList.GetItem(i));
        if (source && std::memcmp(&source->Structure, &Identity, sizeof Identity) == 0)
            return i;
    }
    return -1;
}

int TFerroTwain::SelectSource()
{
    if (!FLibraryLoaded || !FSourceManagerLoaded || SelectingSource)
        return -1;
    SelectingSource = true;
    TW_IDENTITY chosen{};
    const TW_UINT16 answer = Entry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &chosen);
    int result = answer == TWRC_SUCCESS ? FindSource(chosen) : -1;
    if (answer == TWRC_SUCCESS && result < 0)
        result = AddSource(chosen);
    SelectingSource = false;
    return result;
}

int TFerroTwain::GetDefaultSource()
{
    if (!FSourceManagerLoaded)
        return 0;
    TW_IDENTITY identity{};
    if (Entry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &identity) != TWRC_SUCCESS)
        return 0;
    return FindSource(identity);
}

TTwainSource* TFerroTwain::Source(int Index)
{
    if (!FLibraryLoaded || !FSourceManagerLoaded)
        return nullptr;
    const int count = GetSourceCount();
    if (Index >= 0 && Index <= count - 1 && Index <= 255)
        return static_cast<TTwainSource*>(SourceList.GetItem(Index));
    if (Index == -1 && count > 0) {
        const int index = GetDefaultSource();
        return index < 0 ? nullptr : static_cast<TTwainSource*>(SourceList.GetItem(index));
    }
    return nullptr;
}

bool TFerroTwain::VirtualWindowProc(const TW_SYSMSG& Msg)
{
    if (OpenSourceCount <= 0)
        return false;
    const int count = GetSourceCount();
    for (int i = 0; i < count; ++i) {
        auto* source = static_cast<TTwainSource*>(SourceList.GetItem(i));
        if (source && source->Loaded() && source->Enabled() && source->ProcessMessage(Msg))
            return true;
    }
    return false;
}
