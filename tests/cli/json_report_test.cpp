// What `upload --json` writes for the blocks, and the end of a port that did not open.
#include "cli/json_report.h"

#include <gtest/gtest.h>

#include <sstream>

namespace flash410::cli {
namespace {

namespace events = upload::events;

std::vector<nlohmann::json> Objects(const std::string& text) {
    std::vector<nlohmann::json> objects;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        objects.push_back(nlohmann::json::parse(line));
    }
    return objects;
}

TEST(JsonReport, BlocksAreShownAtEachTenthAndEveryBlockSentAgainIsShown) {
    std::ostringstream out;
    JsonReport report(out, {"COM1", "COM2"});
    report.Show(1, events::BlockLoopStarted{25});
    for (std::int32_t sent = 1; sent <= 25; ++sent) {
        report.Show(1, events::BlockSent{sent, 25});
        if (sent == 7) {
            report.Show(1, events::BlockAskedAgain{7, 1});
            report.Show(1, events::SilenceResent{2000, 50, 7});
        }
    }
    std::vector<std::int32_t> blocks;
    std::vector<nlohmann::json> again;
    for (const nlohmann::json& object : Objects(out.str())) {
        EXPECT_EQ(object["port"], "COM2");
        if (object["event"] == "block") {
            blocks.push_back(object["block"]);
            EXPECT_EQ(object["of"], 25);
            EXPECT_EQ(object["percent"], object["block"].get<int>() * 100 / 25);
        } else {
            again.push_back(object);
        }
    }
    EXPECT_EQ(blocks, (std::vector<std::int32_t>{3, 5, 8, 10, 13, 15, 18, 20, 23, 25}));
    ASSERT_EQ(again.size(), 2U);
    EXPECT_EQ(
        again[0],
        nlohmann::json::parse(
            R"({"event":"block_sent_again","port":"COM2","block":7,"reason":"asked_again","times":1})"));
    EXPECT_EQ(again[1], nlohmann::json::parse(
                            R"({"event":"block_sent_again","port":"COM2","block":7,"reason":"silence"})"));
}

TEST(JsonReport, APortThatDidNotOpenEndsWithItsStatusAndWordsAlone) {
    std::ostringstream out;
    JsonReport report(out, {"COM7"});
    report.Show(0, events::PortReport{false, 7, 38400});
    report.ShowEnd(0, std::nullopt, 3, "Cannot open COM7");
    EXPECT_EQ(out.str(),
              "{\"event\":\"end\",\"port\":\"COM7\",\"exit_status\":3,\"message\":\"Cannot open COM7\"}\n");
}

}  // namespace
}  // namespace flash410::cli
