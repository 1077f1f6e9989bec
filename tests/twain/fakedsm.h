#pragma once

// A source manager that plays a script and records every call, for the
// protocol's edge cases that no real source produces on demand.

#include "twain/Twain.h"

extern "C" {
// Starts afresh with `sources` sources named "Source 1", "Source 2", ...
void FakeDsm_Reset(int sources);
// Appends one more source, as a scanner plugged in later.
void FakeDsm_AddSource();
// MSG_OPENDS fails with TWCC_OPERATIONERROR.
void FakeDsm_SetOpenFails(bool fails);
// The results of the next file transfers, in order (TWRC_FAILURE with
// TWCC_OPERATIONERROR); then TWRC_XFERDONE.
void FakeDsm_SetFileResults(const TW_UINT16* codes, int count);
// Makes every source's identity the same, byte for byte.
void FakeDsm_SameIdentities();
void FakeDsm_SetPending(int images);
// The format code that MSG_GET of DAT_SETUPFILEXFER reports; -1: as set.
void FakeDsm_SetReportedFormat(int code);
void FakeDsm_SetEnableResult(TW_UINT16 code);
void FakeDsm_SetDefaultFails(bool fails);
// The source index MSG_USERSELECT chooses; -1 cancels.
void FakeDsm_SetUserChoice(int index);
// The container type DAT_CAPABILITY answers with (TWON_ENUMERATION of
// ICAP_UNITS inches and centimetres, current 1; or TWON_ONEVALUE).
void FakeDsm_SetContainer(TW_UINT16 type);
// Posts a message for source `index` (0-based) through the carrier.
void FakeDsm_Post(int index, TW_UINT16 message);
// The calls so far, one line each: "<DAT> <MSG>".
const char* FakeDsm_Log();
void FakeDsm_ClearLog();
// The file name last set with DAT_SETUPFILEXFER.
const char* FakeDsm_FileName();

TW_UINT16 DSM_Entry(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                    TW_MEMREF pData);
}
