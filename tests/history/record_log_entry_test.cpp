// Upload records as system log entries: the line a person reads for each end, the severity, and the fields
// a log collection sorts by.
#include "history/record_log_entry.h"

#include <gtest/gtest.h>

#include <map>

#include "history_records.h"

namespace flash410::history {
namespace {

using platform::LogSeverity;

UploadRecord Complete() {
    UploadRecord record = SampleRecord("/dev/ttyUSB0", 255);
    record.AdapterSerial = "A50285BI";
    return record;
}

UploadRecord EndedAt(std::string outcome, std::int32_t block, std::string detail) {
    UploadRecord record = Complete();
    record.Outcome = std::move(outcome);
    record.EndedAtBlock = block;
    record.Detail = std::move(detail);
    record.DurationSeconds = 30.04;
    return record;
}

std::map<std::string, std::string> FieldsOf(const platform::SystemLogEntry& entry) {
    std::map<std::string, std::string> fields;
    for (const auto& [name, value] : entry.Fields) {
        EXPECT_TRUE(fields.emplace(name, value).second) << name << " given twice";
    }
    return fields;
}

const std::string kDigest(64, 'f');

TEST(RecordLogEntry, EachEndReadsAsOneLineWithTheSeverityItCallsFor) {
    const platform::SystemLogEntry complete = RecordLogEntry(Complete());
    EXPECT_EQ(complete.Message, "Upload complete: release.hex (255 blocks, SHA-256 " + kDigest +
                                    ") into the modem on /dev/ttyUSB0, adapter A50285BI, in 78.2 s");
    EXPECT_EQ(complete.Severity, LogSeverity::kInformation);

    const platform::SystemLogEntry failed =
        RecordLogEntry(EndedAt("timed_out", 12, "no reply while waiting for the block request"));
    EXPECT_EQ(failed.Message,
              "Upload failed: release.hex (255 blocks, SHA-256 " + kDigest +
                  ") into the modem on /dev/ttyUSB0, adapter A50285BI, timed_out at block 12 of "
                  "255 after 30.0 s: no reply while waiting for the block request");
    EXPECT_EQ(failed.Severity, LogSeverity::kError);

    const platform::SystemLogEntry stopped = RecordLogEntry(EndedAt("stopped", 3, "stopped by the operator"));
    EXPECT_EQ(stopped.Message,
              "Upload stopped: release.hex (255 blocks, SHA-256 " + kDigest +
                  ") into the modem on /dev/ttyUSB0, adapter A50285BI, at block 3 of 255 after "
                  "30.0 s: stopped by the operator");
    EXPECT_EQ(stopped.Severity, LogSeverity::kWarning);

    for (const char* outcome :
         {"failed", "unexpected_reply", "connection_lost", "image_unreadable", "block_refused", "unknown"}) {
        const platform::SystemLogEntry entry = RecordLogEntry(EndedAt(outcome, 0, ""));
        EXPECT_EQ(entry.Severity, LogSeverity::kError) << outcome;
        EXPECT_TRUE(entry.Message.starts_with("Upload failed: ")) << entry.Message;
        // No detail: the line ends with the time, not with an empty ": ".
        EXPECT_TRUE(entry.Message.ends_with(std::string(", ") + outcome + " at block 0 of 255 after 30.0 s"))
            << entry.Message;
    }
}

TEST(RecordLogEntry, TheLineNamesWhatIsKnownAndTheDeviceOnlyWhereThePortDoesNot) {
    UploadRecord record = Complete();
    record.AdapterSerial.reset();
    record.BlockCount = 1;
    record.DurationSeconds = 0.96;
    record.Port = "COM5";
    EXPECT_EQ(RecordLogEntry(record).Message, "Upload complete: release.hex (1 block, SHA-256 " + kDigest +
                                                  ") into the modem on COM5 (/dev/ttyUSB0), in 1.0 s");

    record.Device = R"(\\.\COM5)";
    EXPECT_TRUE(RecordLogEntry(record).Message.ends_with(" into the modem on COM5, in 1.0 s"));
    record.Port = "usb:0403:6001";
    record.Device = "/dev/ttyUSB1";
    EXPECT_TRUE(RecordLogEntry(record).Message.ends_with(" on usb:0403:6001 (/dev/ttyUSB1), in 1.0 s"));
}

TEST(RecordLogEntry, EveryFieldOfTheRecordIsAFieldNamedAfterItsJsonName) {
    UploadRecord record = EndedAt("block_refused", 9, "the modem refused block 9");
    record.CaptureFile = "/var/lib/flash410/Capture.txt";
    const std::map<std::string, std::string> fields = FieldsOf(RecordLogEntry(record));

    const nlohmann::ordered_json json = RecordToJson(record);
    // Each JSON field, and the whole record.
    EXPECT_EQ(fields.size(), json.size() + 1);
    for (const auto& [name, value] : fields) {
        EXPECT_TRUE(name.starts_with("FLASH410_")) << name;
        // A name the journal would change, or drop, is no use to a collection that looks for it.
        EXPECT_EQ(platform::SystemLogFieldName(name), name);
    }
    EXPECT_EQ(fields.at("FLASH410_OUTCOME"), "block_refused");
    EXPECT_EQ(fields.at("FLASH410_IMAGE_SHA256"), kDigest);
    EXPECT_EQ(fields.at("FLASH410_ADAPTER_SERIAL"), "A50285BI");
    EXPECT_EQ(fields.at("FLASH410_FILE_PATH"), "/home/engineer/release.hex");
    EXPECT_EQ(fields.at("FLASH410_DETAIL"), "the modem refused block 9");
    EXPECT_EQ(fields.at("FLASH410_CAPTURE_FILE"), "/var/lib/flash410/Capture.txt");
    // Numbers as the JSON writes them, not quoted.
    EXPECT_EQ(fields.at("FLASH410_BLOCK_COUNT"), "255");
    EXPECT_EQ(fields.at("FLASH410_ENDED_AT_BLOCK"), "9");
    EXPECT_EQ(fields.at("FLASH410_BAUD"), "38400");
    EXPECT_EQ(fields.at("FLASH410_DURATION_S"), "30.04");
    // The whole record, read back as the history reader reads a line.
    EXPECT_EQ(RecordFromJson(nlohmann::json::parse(fields.at("FLASH410_RECORD"))), record);
}

TEST(RecordLogEntry, AValueNotKnownIsNoFieldAndANameThatIsNotUtf8KeepsNoRecordOut) {
    UploadRecord record = Complete();
    record.AdapterSerial.reset();
    record.FileName = "fw\xff.hex";
    const std::map<std::string, std::string> fields = FieldsOf(RecordLogEntry(record));
    EXPECT_FALSE(fields.contains("FLASH410_ADAPTER_SERIAL"));
    EXPECT_FALSE(fields.contains("FLASH410_CAPTURE_FILE"));
    EXPECT_EQ(fields.at("FLASH410_FILE_NAME"), "fw\xff.hex");
    const UploadRecord readBack = RecordFromJson(nlohmann::json::parse(fields.at("FLASH410_RECORD")));
    EXPECT_EQ(readBack.FileName, "fw\xEF\xBF\xBD.hex");  // U+FFFD, as the history file writes it
    EXPECT_EQ(readBack.AdapterSerial, std::nullopt);
}

}  // namespace
}  // namespace flash410::history
