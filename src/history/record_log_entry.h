// An upload record as an entry of the system's log, where a repair depot's log collection gathers it: one
// line a person reads in journalctl or the Event Viewer, the severity its outcome calls for, and every field
// of the record, for the collection to sort and search by.
#pragma once

#include "history/upload_record.h"
#include "platform/system_log.h"

namespace flash410::history {

// The message: "Upload complete: fw.hex (40 blocks, SHA-256 <digest>) into the modem on /dev/ttyUSB0,
// adapter A50285BI, in 12.3 s", or for any other end "Upload failed: ..., timed_out at block 12 of 40 after
// 30.0 s: <detail>" ("Upload stopped: ..., at block 12 of 40 ..." for a stop). Severity: information for a
// complete upload, a warning for a stopped one, an error for every other end. Fields: FLASH410_<NAME> for
// each of the record's JSON fields that has a value (FLASH410_OUTCOME, FLASH410_IMAGE_SHA256, ...), and
// FLASH410_RECORD, the record's whole line as the history file holds it.
platform::SystemLogEntry RecordLogEntry(const UploadRecord& record);

}  // namespace flash410::history
