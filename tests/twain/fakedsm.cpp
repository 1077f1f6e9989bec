#include "fakedsm.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

struct TScript {
    std::vector<TW_IDENTITY> Sources;
    int Next = 0;
    int Pending = 1;
    int PendingNow = 0;
    int ReportedFormat = -1;
    TW_UINT16 EnableResult = TWRC_SUCCESS;
    bool DefaultFails = false;
    int UserChoice = 0;
    TW_UINT16 Container = TWON_ENUMERATION;
    TW_CARRIER* Carrier = nullptr;
    TW_SETUPFILEXFER Setup{};
    TW_UINT16 Condition = TWCC_SUCCESS;
    bool OpenFails = false;
    std::vector<TW_UINT16> FileResults; // for the next file transfers, in order
    std::string Log;
};

TScript& S()
{
    static TScript script;
    return script;
}

const char* Name(const std::map<int, const char*>& names, int code)
{
    const auto found = names.find(code);
    return found == names.end() ? "?" : found->second;
}

void Record(TW_UINT16 DAT, TW_UINT16 MSG)
{
    static const std::map<int, const char*> dats{
        {DAT_CAPABILITY, "CAPABILITY"},     {DAT_EVENT, "EVENT"},
        {DAT_IDENTITY, "IDENTITY"},         {DAT_PARENT, "PARENT"},
        {DAT_PENDINGXFERS, "PENDINGXFERS"}, {DAT_SETUPMEMXFER, "SETUPMEMXFER"},
        {DAT_SETUPFILEXFER, "SETUPFILEXFER"}, {DAT_STATUS, "STATUS"},
        {DAT_USERINTERFACE, "USERINTERFACE"}, {DAT_IMAGEINFO, "IMAGEINFO"},
        {DAT_IMAGEMEMXFER, "IMAGEMEMXFER"}, {DAT_IMAGENATIVEXFER, "IMAGENATIVEXFER"},
        {DAT_IMAGEFILEXFER, "IMAGEFILEXFER"}, {DAT_PALETTE8, "PALETTE8"}};
    static const std::map<int, const char*> msgs{
        {MSG_GET, "GET"},           {MSG_GETCURRENT, "GETCURRENT"}, {MSG_GETDEFAULT, "GETDEFAULT"},
        {MSG_GETFIRST, "GETFIRST"}, {MSG_GETNEXT, "GETNEXT"},       {MSG_SET, "SET"},
        {MSG_RESET, "RESET"},       {MSG_OPENDSM, "OPENDSM"},       {MSG_CLOSEDSM, "CLOSEDSM"},
        {MSG_OPENDS, "OPENDS"},     {MSG_CLOSEDS, "CLOSEDS"},       {MSG_USERSELECT, "USERSELECT"},
        {MSG_DISABLEDS, "DISABLEDS"}, {MSG_ENABLEDS, "ENABLEDS"},   {MSG_PROCESSEVENT, "PROCESSEVENT"},
        {MSG_ENDXFER, "ENDXFER"}};
    S().Log += std::string(Name(dats, DAT)) + " " + Name(msgs, MSG) + "\n";
}

TW_UINT16 Fail(TW_UINT16 condition)
{
    S().Condition = condition;
    return TWRC_FAILURE;
}

void* Enumeration()
{
    const std::size_t size = sizeof(TW_ENUMERATION) + 2 * sizeof(TW_UINT16);
    auto* e = static_cast<TW_ENUMERATION*>(std::calloc(1, size));
    e->ItemType = TWTY_UINT16;
    e->NumItems = 2;
    e->CurrentIndex = 1;
    e->DefaultIndex = 0;
    const TW_UINT16 items[2] = {TWUN_INCHES, TWUN_CENTIMETERS};
    std::memcpy(e->ItemList, items, sizeof items);
    return e;
}

// A 2 x 2 grey DIB, rows bottom-up: top row 10, 20; bottom row 30, 40.
void* Dib()
{
    const std::size_t size = 40 + 256 * 4 + 2 * 4;
    auto* bytes = static_cast<TW_UINT8*>(std::calloc(1, size));
    const std::uint32_t header[3] = {40, 2, 2};
    std::memcpy(bytes, header, sizeof header);
    const std::uint16_t planesAndBits[2] = {1, 8};
    std::memcpy(bytes + 12, planesAndBits, sizeof planesAndBits);
    for (int i = 0; i < 256; ++i)
        bytes[40 + 4 * i] = bytes[40 + 4 * i + 1] = bytes[40 + 4 * i + 2] = TW_UINT8(i);
    TW_UINT8* bits = bytes + 40 + 256 * 4;
    bits[0] = 30;
    bits[1] = 40;
    bits[4] = 10;
    bits[5] = 20;
    return bytes;
}

} // namespace

extern "C" {

void FakeDsm_Reset(int sources)
{
    S() = TScript{};
    for (int i = 0; i < sources; ++i) {
        TW_IDENTITY id{};
        id.Id = TW_UINT32(i + 1);
        std::snprintf(id.ProductName, sizeof id.ProductName, "Source %d", i + 1);
        std::snprintf(id.Manufacturer, sizeof id.Manufacturer, "Fake");
        S().Sources.push_back(id);
    }
}

void FakeDsm_AddSource()
{
    TW_IDENTITY id{};
    id.Id = TW_UINT32(S().Sources.size() + 1);
    std::snprintf(id.ProductName, sizeof id.ProductName, "Source %d", int(S().Sources.size() + 1));
    std::snprintf(id.Manufacturer, sizeof id.Manufacturer, "Fake");
    S().Sources.push_back(id);
}

void FakeDsm_SetOpenFails(bool fails) { S().OpenFails = fails; }

void FakeDsm_SetFileResults(const TW_UINT16* codes, int count)
{
    S().FileResults.assign(codes, codes + count);
}

void FakeDsm_SameIdentities()
{
    for (TW_IDENTITY& id : S().Sources)
        id = S().Sources.front();
}

void FakeDsm_SetPending(int images) { S().Pending = images; }
void FakeDsm_SetReportedFormat(int code) { S().ReportedFormat = code; }
void FakeDsm_SetEnableResult(TW_UINT16 code) { S().EnableResult = code; }
void FakeDsm_SetDefaultFails(bool fails) { S().DefaultFails = fails; }
void FakeDsm_SetUserChoice(int index) { S().UserChoice = index; }
void FakeDsm_SetContainer(TW_UINT16 type) { S().Container = type; }
const char* FakeDsm_Log() { return S().Log.c_str(); }
void FakeDsm_ClearLog() { S().Log.clear(); }
const char* FakeDsm_FileName() { return S().Setup.FileName; }

void FakeDsm_Post(int index, TW_UINT16 message)
{
    TW_SYSMSG msg{};
    msg.Message = TWM_SOURCEMESSAGE;
    msg.WParam = S().Sources[std::size_t(index)].Id;
    msg.LParam = message;
    if (message == MSG_XFERREADY)
        S().PendingNow = S().Pending;
    S().Carrier->Post(S().Carrier->Context, &msg);
}

TW_UINT16 DSM_Entry(TW_IDENTITY*, TW_IDENTITY* pDest, TW_UINT32, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData)
{
    TScript& s = S();
    Record(DAT, MSG);
    switch (DAT) {
    case DAT_PARENT:
        if (MSG == MSG_OPENDSM)
            s.Carrier = *static_cast<TW_CARRIER**>(pData);
        return TWRC_SUCCESS;
    case DAT_IDENTITY: {
        auto* id = static_cast<TW_IDENTITY*>(pData);
        switch (MSG) {
        case MSG_GETFIRST:
            s.Next = 0;
            [[fallthrough]];
        case MSG_GETNEXT:
            if (s.Next >= int(s.Sources.size()))
                return TWRC_ENDOFLIST;
            *id = s.Sources[std::size_t(s.Next++)];
            return TWRC_SUCCESS;
        case MSG_GETDEFAULT:
            if (s.DefaultFails || s.Sources.empty())
                return Fail(TWCC_NODS);
            *id = s.Sources.back();
            return TWRC_SUCCESS;
        case MSG_USERSELECT:
            if (s.UserChoice < 0)
                return TWRC_CANCEL;
            *id = s.Sources[std::size_t(s.UserChoice)];
            return TWRC_SUCCESS;
        case MSG_OPENDS:
            return s.OpenFails ? Fail(TWCC_OPERATIONERROR) : TWRC_SUCCESS;
        default:
            return TWRC_SUCCESS;
        }
    }
    case DAT_USERINTERFACE:
        return MSG == MSG_ENABLEDS ? s.EnableResult : TWRC_SUCCESS;
    case DAT_EVENT: {
        auto* event = static_cast<TW_EVENT*>(pData);
        const auto* msg = static_cast<const TW_SYSMSG*>(event->pEvent);
        if (msg->Message != TWM_SOURCEMESSAGE || msg->WParam != pDest->Id)
            return TWRC_NOTDSEVENT;
        event->TWMessage = TW_UINT16(msg->LParam);
        return TWRC_DSEVENT;
    }
    case DAT_STATUS:
        static_cast<TW_STATUS*>(pData)->ConditionCode = s.Condition;
        return TWRC_SUCCESS;
    case DAT_SETUPFILEXFER: {
        auto* setup = static_cast<TW_SETUPFILEXFER*>(pData);
        if (MSG == MSG_SET) {
            s.Setup = *setup;
        } else {
            *setup = s.Setup;
            if (s.ReportedFormat >= 0)
                setup->Format = TW_UINT16(s.ReportedFormat);
        }
        return TWRC_SUCCESS;
    }
    case DAT_IMAGEFILEXFER: {
        if (s.FileResults.empty())
            return TWRC_XFERDONE;
        const TW_UINT16 code = s.FileResults.front();
        s.FileResults.erase(s.FileResults.begin());
        return code == TWRC_FAILURE ? Fail(TWCC_OPERATIONERROR) : code;
    }
    case DAT_IMAGENATIVEXFER:
        *static_cast<TW_HANDLE*>(pData) = Dib();
        return TWRC_XFERDONE;
    case DAT_IMAGEINFO: {
        auto* info = static_cast<TW_IMAGEINFO*>(pData);
        *info = TW_IMAGEINFO{};
        info->ImageWidth = 3;
        info->ImageLength = 2;
        info->BitsPerPixel = 8;
        info->PixelType = TWPT_GRAY;
        info->XResolution.Whole = 100;
        info->YResolution.Whole = 100;
        return TWRC_SUCCESS;
    }
    case DAT_SETUPMEMXFER:
        static_cast<TW_SETUPMEMXFER*>(pData)->Preferred = 5; // strips cut across rows
        return TWRC_SUCCESS;
    case DAT_IMAGEMEMXFER: {
        // Rows of 4 bytes (3 pixels padded), 8 bytes in all, 5 at a time.
        static const TW_UINT8 stream[8] = {1, 2, 3, 0, 4, 5, 6, 0};
        static int sent = 0;
        auto* xfer = static_cast<TW_IMAGEMEMXFER*>(pData);
        const int n = std::min(5, 8 - sent);
        std::memcpy(xfer->Memory.TheMem, stream + sent, std::size_t(n));
        xfer->BytesWritten = TW_UINT32(n);
        sent += n;
        if (sent < 8)
            return TWRC_SUCCESS;
        sent = 0;
        return TWRC_XFERDONE;
    }
    case DAT_PENDINGXFERS: {
        auto* pending = static_cast<TW_PENDINGXFERS*>(pData);
        if (MSG == MSG_ENDXFER)
            s.PendingNow = s.PendingNow > 0 ? s.PendingNow - 1 : 0;
        else
            s.PendingNow = 0;
        pending->Count = TW_UINT16(s.PendingNow);
        return TWRC_SUCCESS;
    }
    case DAT_CAPABILITY: {
        auto* cap = static_cast<TW_CAPABILITY*>(pData);
        if (cap->Cap != ICAP_UNITS)
            return Fail(TWCC_CAPUNSUPPORTED);
        cap->ConType = s.Container;
        cap->hContainer = s.Container == TWON_ENUMERATION ? Enumeration() : std::calloc(1, 8);
        return TWRC_SUCCESS;
    }
    default:
        return Fail(TWCC_BADPROTOCOL);
    }
}

} // extern "C"
