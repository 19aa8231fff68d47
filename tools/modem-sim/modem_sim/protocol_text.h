// The words of the upload dialogue. The PC ends its commands with CR; the modem ends its replies with
// CR LF.
#pragma once

#include <string_view>

namespace modemsim::text {

// From the PC.
inline constexpr std::string_view kUploadRequestMc = "UP MC";
inline constexpr std::string_view kUploadRequestBulk = "UP BULK";
inline constexpr std::string_view kGo = "GO";
inline constexpr std::string_view kUploadDone = "UPLOAD DONE";
inline constexpr char kCommandEnd = '\r';

// From the modem.
inline constexpr std::string_view kReady = "READY";
inline constexpr std::string_view kErasing = "ERASING";
inline constexpr std::string_view kEraseError = "ERASE ERROR";
inline constexpr std::string_view kBadBlock = "BAD BLOCK ";  // followed by the block number
inline constexpr std::string_view kEraseComplete = "ERASE COMPLETE";
inline constexpr std::string_view kSendBlock = "SEND BLOCK";
inline constexpr std::string_view kResendBlock = "RESEND BLOCK";
inline constexpr std::string_view kSendShort = "S";
inline constexpr std::string_view kResendShort = "R";
inline constexpr std::string_view kFailed = "FAILED";
inline constexpr std::string_view kUnknownReply = "OK";
inline constexpr std::string_view kThankYou = "THANK YOU";
inline constexpr std::string_view kReplyEnd = "\r\n";

}  // namespace modemsim::text
