// A TWAIN source manager whose sources are the SANE devices, loaded by the
// application at run time and entered through DSM_Entry. Its state lives in
// one object per loaded library, as a source manager's does.
#include "SaneScanner.h"
#include "ScanDialog.h"
#include "SelectDialog.h"

#include <QComboBox>
#include <QFile>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <thread>

namespace {

struct TSource {
    TW_IDENTITY Identity{};
    TSaneScanner Scanner;
    std::unique_ptr<TScanDialog> Dialog;
    std::thread Worker;
    TScannedImage Image;
    QString Error;
    bool Enabled = false;
    int Pending = 0;
    int MemoryRow = 0;
    TW_SETUPFILEXFER Setup{};
    TW_UINT16 Condition = TWCC_SUCCESS;

    ~TSource() { StopScan(); }
    void StopScan()
    {
        if (Worker.joinable()) {
            Scanner.Cancel();
            Worker.join();
        }
    }
};

struct TManager {
    TW_CARRIER* Carrier = nullptr;
    bool Open = false;
    std::vector<TSaneDeviceInfo> Devices;
    std::size_t Next = 0;
    // A device keeps its identity's Id for the manager's life, whatever
    // comes and goes in the list around it.
    std::map<QString, TW_UINT32> IdsByName;
    TW_UINT32 NextId = 1;
    std::map<TW_UINT32, std::unique_ptr<TSource>> Sources; // by identity Id
    TW_UINT16 Condition = TWCC_SUCCESS;
};

TManager& M()
{
    static TManager manager;
    return manager;
}

void Copy32(char* field, const QString& text)
{
    std::memset(field, 0, 34);
    const QByteArray bytes = text.toUtf8().left(32);
    std::memcpy(field, bytes.constData(), std::size_t(bytes.size()));
}

TW_UINT32 IdOf(const QString& name)
{
    TManager& m = M();
    const auto found = m.IdsByName.find(name);
    if (found != m.IdsByName.end())
        return found->second;
    m.IdsByName[name] = m.NextId;
    return m.NextId++;
}

// The device name that an identity's Id stands for, or "".
QString NameOf(TW_UINT32 id)
{
    for (const auto& [name, known] : M().IdsByName)
        if (known == id)
            return name;
    return {};
}

TW_IDENTITY IdentityOf(std::size_t index)
{
    const TSaneDeviceInfo& d = M().Devices[index];
    TW_IDENTITY id{};
    id.Id = IdOf(d.Name);
    id.Version.MajorNum = 1;
    id.Version.Language = 0xFFFF;
    id.Version.Country = 1;
    Copy32(id.Version.Info, d.Name);
    id.ProtocolMajor = 1;
    id.ProtocolMinor = 9;
    id.SupportedGroups = DG_CONTROL | DG_IMAGE;
    Copy32(id.Manufacturer, d.Vendor);
    Copy32(id.ProductFamily, d.Type);
    Copy32(id.ProductName, d.Model);
    return id;
}

TW_UINT16 Fail(TW_UINT16& condition, TW_UINT16 code)
{
    condition = code;
    return TWRC_FAILURE;
}

void Post(TW_UINT32 sourceId, TW_UINT16 message)
{
    TW_SYSMSG msg{};
    msg.Message = TWM_SOURCEMESSAGE;
    msg.WParam = sourceId;
    msg.LParam = message;
    if (M().Carrier)
        M().Carrier->Post(M().Carrier->Context, &msg);
}

// Scans off the GUI thread; the result reaches the application as
// MSG_XFERREADY through the carrier, a failure as MSG_CLOSEDSREQ when no
// window of ours can show it.
void StartScan(TSource& s)
{
    s.StopScan();
    if (s.Dialog) {
        s.Scanner.SetResolution(s.Dialog->cbResolution->currentText());
        s.Scanner.SetMode(s.Dialog->cbMode->currentText());
        s.Dialog->ShowBusy(true, QStringLiteral("Scanning..."));
    }
    const TW_UINT32 id = s.Identity.Id;
    TSource* source = &s;
    s.Worker = std::thread([source, id] {
        TScannedImage image;
        QString error;
        const bool ok = source->Scanner.Scan(image, error);
        source->Image = std::move(image);
        source->Error = error;
        source->Pending = ok ? 1 : 0;
        source->MemoryRow = 0;
        if (ok) {
            Post(id, MSG_XFERREADY);
        } else if (source->Dialog) {
            QMetaObject::invokeMethod(source->Dialog.get(), [source, error] {
                source->Dialog->ShowBusy(false, error);
            }, Qt::QueuedConnection);
        } else {
            Post(id, MSG_CLOSEDSREQ);
        }
    });
}

TW_UINT16 Enable(TSource& s, const TW_USERINTERFACE& ui)
{
    if (s.Enabled)
        return Fail(s.Condition, TWCC_SEQERROR);
    s.Enabled = true;
    if (!ui.ShowUI) {
        StartScan(s);
        return TWRC_SUCCESS;
    }
    const QString name = QString::fromUtf8(s.Identity.ProductName);
    s.Dialog = std::make_unique<TScanDialog>(name, s.Scanner.Resolutions(), s.Scanner.Resolution(),
                                             s.Scanner.Modes(), s.Scanner.Mode());
    if (ui.ModalUI)
        s.Dialog->setWindowModality(Qt::ApplicationModal);
    TSource* source = &s;
    s.Dialog->OnScan = [source] { StartScan(*source); };
    s.Dialog->OnCancel = [source] {
        source->StopScan();
        Post(source->Identity.Id, MSG_CLOSEDSREQ);
    };
    s.Dialog->show();
    return TWRC_SUCCESS;
}

void Disable(TSource& s)
{
    s.StopScan();
    s.Dialog.reset();
    s.Enabled = false;
}

TW_UINT16 Capability(TSource& s, TW_CAPABILITY& cap)
{
    TW_UINT16 item = 0;
    if (cap.Cap == ICAP_UNITS)
        item = TWUN_INCHES;
    else if (cap.Cap == ICAP_PIXELFLAVOR)
        item = TWPF_CHOCOLATE;
    else
        return Fail(s.Condition, TWCC_CAPUNSUPPORTED);
    auto* e = static_cast<TW_ENUMERATION*>(std::calloc(1, sizeof(TW_ENUMERATION) + sizeof item));
    e->ItemType = TWTY_UINT16;
    e->NumItems = 1;
    std::memcpy(e->ItemList, &item, sizeof item);
    cap.ConType = TWON_ENUMERATION;
    cap.hContainer = e;
    return TWRC_SUCCESS;
}

TW_UINT16 MemoryStrip(TSource& s, TW_IMAGEMEMXFER& xfer)
{
    const TScannedImage& image = s.Image;
    const std::size_t stride = std::size_t(image.DibStride());
    // Whole rows only, and never more than the application's buffer holds.
    const std::size_t rows = std::size_t(xfer.Memory.Length) / stride;
    if (!xfer.Memory.TheMem || rows == 0)
        return Fail(s.Condition, TWCC_BADVALUE);
    auto* out = static_cast<std::uint8_t*>(xfer.Memory.TheMem);
    std::size_t done = 0;
    while (done < rows && s.MemoryRow < image.Height) {
        const std::vector<std::uint8_t> row = image.TwainRow(s.MemoryRow++);
        std::memcpy(out + done * stride, row.data(), std::min(row.size(), stride));
        ++done;
    }
    xfer.Compression = 0;
    xfer.BytesPerRow = TW_UINT32(stride);
    xfer.Columns = TW_UINT32(image.Width);
    xfer.Rows = TW_UINT32(done);
    xfer.XOffset = 0;
    xfer.YOffset = TW_UINT32(s.MemoryRow - int(done));
    xfer.BytesWritten = TW_UINT32(done * stride);
    return s.MemoryRow >= image.Height ? TWRC_XFERDONE : TWRC_SUCCESS;
}

// Writes the picture into the file the application set up for this transfer
// only; the set-up is used once, so a later transfer never reuses it.
TW_UINT16 FileTransfer(TSource& s)
{
    const QString file = QFile::decodeName(s.Setup.FileName);
    s.Setup.FileName[0] = '\0';
    if (file.isEmpty())
        return Fail(s.Condition, TWCC_SEQERROR);
    return s.Image.Save(file, s.Setup.Format) ? TWRC_XFERDONE : Fail(s.Condition, TWCC_OPERATIONERROR);
}

TW_UINT16 SourceEntry(TSource& s, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData)
{
    if (DG == DG_CONTROL) {
        switch (DAT) {
        case DAT_USERINTERFACE:
            if (MSG == MSG_ENABLEDS)
                return Enable(s, *static_cast<TW_USERINTERFACE*>(pData));
            if (MSG == MSG_DISABLEDS) {
                Disable(s);
                return TWRC_SUCCESS;
            }
            break;
        case DAT_EVENT: {
            auto* event = static_cast<TW_EVENT*>(pData);
            const auto* msg = static_cast<const TW_SYSMSG*>(event->pEvent);
            if (!msg || msg->Message != TWM_SOURCEMESSAGE || msg->WParam != s.Identity.Id)
                return TWRC_NOTDSEVENT;
            event->TWMessage = TW_UINT16(msg->LParam);
            return TWRC_DSEVENT;
        }
        case DAT_STATUS:
            static_cast<TW_STATUS*>(pData)->ConditionCode = s.Condition;
            s.Condition = TWCC_SUCCESS;
            return TWRC_SUCCESS;
        case DAT_CAPABILITY:
            if (MSG == MSG_GET || MSG == MSG_GETCURRENT || MSG == MSG_GETDEFAULT)
                return Capability(s, *static_cast<TW_CAPABILITY*>(pData));
            return Fail(s.Condition, TWCC_CAPBADOPERATION);
        case DAT_SETUPFILEXFER: {
            auto* setup = static_cast<TW_SETUPFILEXFER*>(pData);
            if (MSG == MSG_SET) {
                if (setup->Format != TWFF_BMP && setup->Format != TWFF_TIFF && setup->Format != TWFF_JFIF &&
                    setup->Format != TWFF_PNG)
                    return Fail(s.Condition, TWCC_BADVALUE);
                s.Setup = *setup;
                s.Setup.FileName[255] = '\0';
                return TWRC_SUCCESS;
            }
            *setup = s.Setup;
            return TWRC_SUCCESS;
        }
        case DAT_SETUPMEMXFER: {
            auto* setup = static_cast<TW_SETUPMEMXFER*>(pData);
            const TW_UINT32 stride = TW_UINT32(std::max(4, s.Image.DibStride()));
            setup->MinBufSize = stride;
            setup->MaxBufSize = stride * 256;
            setup->Preferred = stride * 16;
            return TWRC_SUCCESS;
        }
        case DAT_PENDINGXFERS: {
            auto* pending = static_cast<TW_PENDINGXFERS*>(pData);
            s.Pending = MSG == MSG_ENDXFER && s.Pending > 0 ? s.Pending - 1 : 0;
            pending->Count = TW_UINT16(s.Pending);
            return TWRC_SUCCESS;
        }
        default:
            break;
        }
        return Fail(s.Condition, TWCC_BADPROTOCOL);
    }
    if (s.Pending <= 0)
        return Fail(s.Condition, TWCC_SEQERROR);
    switch (DAT) {
    case DAT_IMAGEFILEXFER:
        return FileTransfer(s);
    case DAT_IMAGENATIVEXFER: {
        void* dib = s.Image.MakeDib();
        if (!dib)
            return Fail(s.Condition, TWCC_LOWMEMORY);
        *static_cast<TW_HANDLE*>(pData) = dib;
        return TWRC_XFERDONE;
    }
    case DAT_IMAGEINFO: {
        auto* info = static_cast<TW_IMAGEINFO*>(pData);
        *info = TW_IMAGEINFO{};
        info->XResolution.Whole = TW_INT16(s.Image.Resolution);
        info->YResolution.Whole = TW_INT16(s.Image.Resolution);
        info->ImageWidth = s.Image.Width;
        info->ImageLength = s.Image.Height;
        info->SamplesPerPixel = TW_INT16(s.Image.Channels);
        for (int i = 0; i < s.Image.Channels; ++i)
            info->BitsPerSample[i] = TW_INT16(s.Image.Depth);
        info->BitsPerPixel = TW_INT16(s.Image.BitsPerPixel());
        info->PixelType = TW_INT16(s.Image.PixelType());
        return TWRC_SUCCESS;
    }
    case DAT_IMAGEMEMXFER:
        return MemoryStrip(s, *static_cast<TW_IMAGEMEMXFER*>(pData));
    default:
        return Fail(s.Condition, TWCC_BADPROTOCOL);
    }
}

TW_UINT16 IdentityEntry(TW_UINT16 MSG, TW_IDENTITY* id)
{
    TManager& m = M();
    switch (MSG) {
    case MSG_GETFIRST:
        m.Devices = TSaneScanner::Devices();
        m.Next = 0;
        [[fallthrough]];
    case MSG_GETNEXT:
        if (m.Next >= m.Devices.size())
            return TWRC_ENDOFLIST;
        *id = IdentityOf(m.Next++);
        return TWRC_SUCCESS;
    case MSG_GETDEFAULT:
        m.Devices = TSaneScanner::Devices();
        if (m.Devices.empty())
            return Fail(m.Condition, TWCC_NODS);
        *id = IdentityOf(0);
        return TWRC_SUCCESS;
    case MSG_USERSELECT: {
        m.Devices = TSaneScanner::Devices();
        QStringList names;
        for (const TSaneDeviceInfo& d : m.Devices)
            names << QStringLiteral("%1 %2 (%3)").arg(d.Vendor, d.Model, d.Name);
        TSelectDialog dialog(names);
        if (dialog.exec() != QDialog::Accepted || dialog.Chosen() < 0)
            return TWRC_CANCEL;
        *id = IdentityOf(std::size_t(dialog.Chosen()));
        return TWRC_SUCCESS;
    }
    case MSG_OPENDS: {
        const QString name = NameOf(id->Id);
        if (name.isEmpty() || m.Sources.count(id->Id))
            return Fail(m.Condition, TWCC_NODS);
        auto source = std::make_unique<TSource>();
        source->Identity = *id;
        if (!source->Scanner.Open(name))
            return Fail(m.Condition, TWCC_OPERATIONERROR);
        // No file is set up until the application sets one for a transfer.
        source->Setup.Format = TWFF_BMP;
        m.Sources[id->Id] = std::move(source);
        return TWRC_SUCCESS;
    }
    case MSG_CLOSEDS:
        if (!m.Sources.erase(id->Id))
            return Fail(m.Condition, TWCC_NODS);
        return TWRC_SUCCESS;
    default:
        return Fail(m.Condition, TWCC_BADPROTOCOL);
    }
}

} // namespace

extern "C" __attribute__((visibility("default"))) TW_UINT16 DSM_Entry(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest,
                                                                       TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                                                       TW_MEMREF pData)
{
    TManager& m = M();
    if (!pOrigin)
        return TWRC_FAILURE;
    if (pDest) {
        const auto found = m.Sources.find(pDest->Id);
        if (found == m.Sources.end())
            return Fail(m.Condition, TWCC_BADDEST);
        return SourceEntry(*found->second, DG, DAT, MSG, pData);
    }
    if (DG == DG_CONTROL && DAT == DAT_PARENT) {
        if (MSG == MSG_OPENDSM) {
            SANE_Int version = 0;
            if (sane_init(&version, nullptr) != SANE_STATUS_GOOD)
                return Fail(m.Condition, TWCC_BUMMER);
            m.Carrier = *static_cast<TW_CARRIER**>(pData);
            m.Open = true;
            pOrigin->Id = 1;
            return TWRC_SUCCESS;
        }
        if (MSG == MSG_CLOSEDSM) {
            m.Sources.clear();
            sane_exit();
            m.Open = false;
            m.Carrier = nullptr;
            return TWRC_SUCCESS;
        }
    }
    if (DG == DG_CONTROL && DAT == DAT_STATUS) {
        static_cast<TW_STATUS*>(pData)->ConditionCode = m.Condition;
        return TWRC_SUCCESS;
    }
    if (!m.Open)
        return Fail(m.Condition, TWCC_SEQERROR);
    if (DG == DG_CONTROL && DAT == DAT_IDENTITY)
        return IdentityEntry(MSG, static_cast<TW_IDENTITY*>(pData));
    return Fail(m.Condition, TWCC_BADPROTOCOL);
}
