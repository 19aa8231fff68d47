#include "modem_fixture.h"

#include <algorithm>
#include <cstdio>

namespace modemsim::testing {

void ModemTest::Start(SimConfig config) {
    modem_ = std::make_unique<ModemSimulator>(std::move(config));
    pc_ = std::make_unique<ScriptedPc>(modem_->devicePath());
}

void ModemTest::Reconnect() {
    pc_.reset();
    pc_ = std::make_unique<ScriptedPc>(modem_->devicePath());
}

std::vector<std::string> ModemTest::OpenUpload(std::string_view request) {
    pc().Send(request);
    EXPECT_EQ(pc().ReadLine(), "READY\r\n");
    pc().Send("GO\r");
    std::vector<std::string> lines;
    // The erase lines and then the first block request, which is the first line after ERASE COMPLETE.
    bool eraseComplete = false;
    for (;;) {
        std::string line = pc().ReadLine();
        if (line.empty()) {
            ADD_FAILURE() << "the modem stopped talking after: " << ::testing::PrintToString(lines);
            return lines;
        }
        lines.push_back(line);
        if (eraseComplete) {
            return lines;
        }
        eraseComplete = line == "ERASE COMPLETE\r\n";
    }
}

std::string ModemTest::SendBlock(std::string_view address, const Bytes& data) {
    return SendBlock(BuildBlock(address, data));
}

std::string ModemTest::SendBlock(const Bytes& block) {
    pc().Send(block);
    return pc().ReadLine();
}

UploadReport ModemTest::CloseAndReport() {
    const std::size_t before = modem().Reports().size();
    pc().Close();
    return ReportOf(before + 1);
}

UploadReport ModemTest::ReportOf(std::size_t n) {
    if (!modem().WaitForUploads(n, kGuard)) {
        ADD_FAILURE() << "upload " << n << " never ended; " << modem().Error();
        return {};
    }
    return modem().Reports().at(n - 1);
}

Bytes FlashWith(const std::vector<std::pair<std::uint32_t, Bytes>>& blocks) {
    Bytes flash(4u * 1024u * 1024u, 0xFF);
    for (const auto& [address, data] : blocks) {
        std::copy(data.begin(), data.end(), flash.begin() + address);
    }
    return flash;
}

std::string FirstDifference(const Bytes& actual, const Bytes& expected) {
    if (actual.size() != expected.size()) {
        return "sizes differ: " + std::to_string(actual.size()) + " and " + std::to_string(expected.size());
    }
    const auto [a, e] = std::mismatch(actual.begin(), actual.end(), expected.begin());
    if (a == actual.end()) {
        return "none";
    }
    char text[96];
    std::snprintf(text, sizeof text, "at 0x%06zX: 0x%02X instead of 0x%02X",
                  static_cast<std::size_t>(a - actual.begin()), *a, *e);
    return text;
}

}  // namespace modemsim::testing
