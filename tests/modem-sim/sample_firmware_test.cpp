// The sample firmware must be Intel HEX that any reader takes, and hold the bytes it says it holds.
#include "modem_sim/sample_firmware.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace modemsim {
namespace {

struct Record {
    int type = 0;
    std::uint16_t address = 0;
    std::vector<std::uint8_t> data;
};

int HexValue(const std::string& text, std::size_t at, std::size_t digits) {
    return std::stoi(text.substr(at, digits), nullptr, 16);
}

// Checks one line's form and checksum; an empty type of -1 when the line is not a record.
Record ParseRecord(const std::string& line) {
    Record record{-1, 0, {}};
    if (line.size() < 11 || line[0] != ':' ||
        line.find_first_not_of("0123456789ABCDEF", 1) != std::string::npos) {
        return record;
    }
    const int length = HexValue(line, 1, 2);
    if (line.size() != 11 + 2 * static_cast<std::size_t>(length)) {
        return record;
    }
    unsigned sum = 0;
    for (std::size_t at = 1; at < line.size(); at += 2) {
        sum += static_cast<unsigned>(HexValue(line, at, 2));
    }
    if (sum % 256 != 0) {
        return record;
    }
    record.address = static_cast<std::uint16_t>(HexValue(line, 3, 4));
    record.type = HexValue(line, 7, 2);
    for (int i = 0; i < length; ++i) {
        record.data.push_back(
            static_cast<std::uint8_t>(HexValue(line, 9 + 2 * static_cast<std::size_t>(i), 2)));
    }
    return record;
}

class SampleFirmwareTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string text = SampleFirmwareHex();
        std::size_t start = 0;
        while (start < text.size()) {
            const std::size_t end = text.find("\r\n", start);
            ASSERT_NE(end, std::string::npos) << "a line without CR LF at offset " << start;
            lines_.push_back(text.substr(start, end - start));
            start = end + 2;
        }
    }
    std::vector<std::string> lines_;
};

TEST_F(SampleFirmwareTest, EveryLineIsAValidRecordAndTheFileEndsWithEndOfFile) {
    ASSERT_FALSE(lines_.empty());
    std::set<int> types;
    for (const std::string& line : lines_) {
        const Record record = ParseRecord(line);
        ASSERT_NE(record.type, -1) << "bad record: " << line;
        types.insert(record.type);
        if (record.type == 0) {
            EXPECT_EQ(record.data.size(), 16u) << line;
        }
    }
    EXPECT_EQ(types, (std::set<int>{0, 1, 4}));
    EXPECT_EQ(lines_.back(), ":00000001FF");
}

TEST_F(SampleFirmwareTest, DataLandsAtItsRangesWithTheBytesItNames) {
    std::map<std::uint32_t, std::uint8_t> memory;
    std::uint32_t upper = 0;
    int upperRecords = 0;
    for (const std::string& line : lines_) {
        const Record record = ParseRecord(line);
        if (record.type == 4) {
            ASSERT_EQ(record.data.size(), 2u);
            upper = (static_cast<std::uint32_t>(record.data[0]) << 24) |
                    (static_cast<std::uint32_t>(record.data[1]) << 16);
            ++upperRecords;
        } else if (record.type == 0) {
            for (std::size_t i = 0; i < record.data.size(); ++i) {
                const std::uint32_t address = upper + record.address + static_cast<std::uint32_t>(i);
                EXPECT_TRUE(memory.emplace(address, record.data[i]).second)
                    << "address written twice " << address;
            }
        }
    }
    // Several 64 KiB segments, so the upper address records matter.
    EXPECT_GT(upperRecords, 2);

    std::size_t inRanges = 0;
    for (const AddressRange& range : SampleFirmwareRanges()) {
        ASSERT_LE(range.end, 4u * 1024u * 1024u);
        for (std::uint32_t address = range.begin; address < range.end; ++address) {
            const auto found = memory.find(address);
            ASSERT_NE(found, memory.end()) << "no data at " << address;
            ASSERT_EQ(found->second, SampleFirmwareByte(address)) << "at " << address;
        }
        inRanges += range.end - range.begin;
    }
    EXPECT_EQ(memory.size(), inRanges) << "data outside the ranges";
    // A few hundred KiB: a demo upload that is neither trivial nor tedious.
    EXPECT_GE(inRanges, 128u * 1024u);
    EXPECT_LE(inRanges, 1024u * 1024u);
}

TEST_F(SampleFirmwareTest, NoKibibyteOfDataIsBlankAndTheRangesLeaveAGap) {
    // A chunk of 0xFF only would be left out of the upload, making the block count surprising.
    const auto& ranges = SampleFirmwareRanges();
    for (const AddressRange& range : ranges) {
        for (std::uint32_t chunk = range.begin; chunk < range.end; chunk += 1024) {
            bool blank = true;
            for (std::uint32_t address = chunk; address < chunk + 1024 && blank; ++address) {
                blank = SampleFirmwareByte(address) == 0xFF;
            }
            EXPECT_FALSE(blank) << "blank chunk at " << chunk;
        }
    }
    ASSERT_GE(ranges.size(), 2u);
    EXPECT_GT(ranges[1].begin, ranges[0].end) << "block addresses should jump at least once";
}

TEST(SampleFirmwareFileTest, IsWrittenAsGeneratedOrRefusedWithTheFileNamed) {
    const std::string path = ::testing::TempDir() + "sample-" + std::to_string(::getpid()) + ".hex";
    WriteSampleFirmware(path);
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(), SampleFirmwareHex());
    std::remove(path.c_str());

    const std::string unwritable = "/nonexistent-folder/sample.hex";
    try {
        WriteSampleFirmware(unwritable);
        ADD_FAILURE() << "writing into a missing folder succeeded";
    } catch (const std::runtime_error& failure) {
        EXPECT_NE(std::string(failure.what()).find(unwritable), std::string::npos) << failure.what();
    }
}

}  // namespace
}  // namespace modemsim
