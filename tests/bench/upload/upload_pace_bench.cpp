// How close uploads come to the pace of the line, with the simulated modem pacing it as a cable at 38400
// baud and erasing in no time:
//  1. flash410-cli upload to one modem: the time from GO to THANK YOU against the wire time of the bytes
//     the modem paces, the time before GO apart, and the CPU the program uses;
//  2. the same upload through the window model, ticked as the window ticks it;
//  3. flash410-cli upload to three modems at once, and to eight: the time against one modem's, and the
//     CPU a port;
//  4. flash410-cli upload to one modem that holds each reply back 0, 1, 4 and 16 ms, as a USB-serial
//     adapter's latency timer does: what each delay costs a block in this stop-and-wait dialogue.
// It prints figures and goals; it never fails on time. "all" is 1 to 3; 4 runs only when asked for.
//
// upload_pace_bench [BLOCKS] [all|cli|model|delay [MS...]]   (BLOCKS also from FLASH410_BENCH_BLOCKS;
// default 512; the delays default to 0 1 4 16)
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "answer_times.h"
#include "child_run.h"
#include "line_budget.h"
#include "model_upload_run.h"
#include "support/temp_folder.h"
#include "timed_modem.h"

namespace {

namespace fs = std::filesystem;
using flash410::bench::ChildRun;
using flash410::bench::Clock;
using flash410::bench::LineBudget;
using flash410::bench::ModemTimes;
using flash410::bench::TimedModem;

constexpr int kBaud = 38400;
constexpr int kDefaultBlocks = 512;
constexpr int kMostBlocks = 4096;
constexpr double kPaceGoal = 1.02;
constexpr double kManyPortGoal = 1.1;
constexpr double kCpuGoalPercent = 0.3;

double Seconds(Clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

int BlockCount(int argc, char* argv[]) {
    const char* given = argc > 1 ? argv[1] : std::getenv("FLASH410_BENCH_BLOCKS");
    const int blocks = given != nullptr ? std::atoi(given) : kDefaultBlocks;
    return blocks >= 1 && blocks <= kMostBlocks ? blocks : kDefaultBlocks;
}

// A flat binary image of blocks KiB, no 1 KiB chunk of it blank, so that every chunk is a block.
std::string WriteFirmware(const flash410::test_support::TempFolder& workspace, const std::string& folder,
                          int blocks) {
    std::string bytes(static_cast<std::size_t>(blocks) * 1024, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 1024) % 251);
    }
    return workspace.Write(folder + "/fw.bin", bytes);
}

void PrintModemPace(const char* who, const ModemTimes& times, const LineBudget& budget) {
    const double ratio = times.report.seconds / budget.FromGoSeconds();
    std::printf("  %s: %s, %d blocks stored, %d refused, %d asked again\n", who,
                std::string(modemsim::OutcomeText(times.report.outcome)).c_str(), times.report.blocksStored,
                times.report.badBlocks, times.report.resendsAsked);
    std::printf(
        "    GO to THANK YOU: %8.3f s, wire %8.3f s: %.4f times the wire time (goal within %.2f: %s); "
        "%.3f ms a block over the wire\n",
        times.report.seconds, budget.FromGoSeconds(), ratio, kPaceGoal, ratio <= kPaceGoal ? "met" : "MISSED",
        1000.0 * (times.report.seconds - budget.FromGoSeconds()) / (times.report.blocksStored + 1));
    std::printf(
        "    %s\n",
        flash410::bench::SummarizeAnswers(times.blockRounds, budget.BlockRoundSeconds()).Text().c_str());
}

struct CliResult {
    ChildRun child;
    std::vector<std::optional<ModemTimes>> modems;
};

CliResult UploadThroughCli(const flash410::test_support::TempFolder& workspace, const std::string& name,
                           int ports, int blocks,
                           std::chrono::milliseconds replyDelay = std::chrono::milliseconds(0)) {
    const std::string firmware = WriteFirmware(workspace, name, blocks);
    std::vector<std::unique_ptr<TimedModem>> modems;
    std::vector<std::string> arguments{"upload", "--baud", std::to_string(kBaud), "--quiet"};
    for (int port = 0; port < ports; ++port) {
        modems.push_back(std::make_unique<TimedModem>(std::nullopt, replyDelay));
        arguments.insert(arguments.end(), {"--port", modems.back()->devicePath()});
    }
    arguments.push_back(firmware);
    CliResult result;
    result.child = flash410::bench::RunChild(FLASH410_CLI_PROGRAM, arguments,
                                             {{"XDG_CONFIG_HOME", workspace.Folder(name + "/config")},
                                              {"XDG_STATE_HOME", workspace.Folder(name + "/state")}},
                                             (workspace / (name + "/output.txt")).string());
    for (const auto& modem : modems) {
        result.modems.push_back(modem->FirstUpload());
    }
    return result;
}

// The figures of a command-line run; its longest GO-to-THANK-YOU time, or 0 when a modem saw no upload.
double PrintCliRun(const CliResult& run, const LineBudget& budget) {
    std::printf("  flash410-cli exit status %d after %.3f s; it said:\n", run.child.exitStatus,
                run.child.WallSeconds());
    std::string output = run.child.output;
    for (std::size_t at = output.find('\n'); at != std::string::npos && at + 1 < output.size();
         at = output.find('\n', at + 5)) {
        output.insert(at + 1, "    ");
    }
    std::printf("    %s", output.c_str());
    double longest = 0;
    for (std::size_t i = 0; i < run.modems.size(); ++i) {
        const std::string who = "modem " + std::to_string(i + 1);
        if (!run.modems[i]) {
            std::printf("  %s: NO complete upload seen\n", who.c_str());
            return 0;
        }
        const ModemTimes& times = *run.modems[i];
        std::printf(
            "  %s: start to its first upload request %.3f s (program start, file made ready, port "
            "opened); request to GO %.3f s (wire %.3f s); THANK YOU sent to program exit %.3f s\n",
            who.c_str(), Seconds(times.firstRequest - run.child.start),
            Seconds(times.go - times.firstRequest), budget.Seconds(budget.handshakeBytes),
            Seconds(run.child.exit - times.end()));
        PrintModemPace(who.c_str(), times, budget);
        longest = std::max(longest, times.report.seconds);
    }
    const double wall = run.child.WallSeconds();
    const double perPort = 100.0 * run.child.cpuSeconds / wall / static_cast<double>(run.modems.size());
    std::printf(
        "  CPU of flash410-cli (user + system): %.3f s in %.3f s of wall time: %.3f %% of a core, %.3f %% "
        "a port (goal under %.1f %% a port: %s)\n",
        run.child.cpuSeconds, wall, 100.0 * run.child.cpuSeconds / wall, perPort, kCpuGoalPercent,
        perPort < kCpuGoalPercent ? "met" : "MISSED");
    return longest;
}

void CliBenchmarks(const flash410::test_support::TempFolder& workspace, int blocks,
                   const LineBudget& budget) {
    std::printf("\n1. flash410-cli upload, one modem, %d blocks at %d baud\n", blocks, kBaud);
    const CliResult one = UploadThroughCli(workspace, "one", 1, blocks);
    const double oneGoToEnd = PrintCliRun(one, budget);

    for (const int ports : {3, 8}) {
        std::printf("\n3. flash410-cli upload to %d modems at once, %d blocks each\n", ports, blocks);
        const std::string name = std::to_string(ports) + "-ports";
        const CliResult many = UploadThroughCli(workspace, name, ports, blocks);
        const double manyGoToEnd = PrintCliRun(many, budget);
        const double ratio = many.child.WallSeconds() / one.child.WallSeconds();
        std::printf("  %d modems against one, start to exit: %.3f s / %.3f s = %.4f (goal within %.2f: %s)\n",
                    ports, many.child.WallSeconds(), one.child.WallSeconds(), ratio, kManyPortGoal,
                    ratio <= kManyPortGoal ? "met" : "MISSED");
        if (oneGoToEnd > 0 && manyGoToEnd > 0) {
            std::printf("  %d modems against one, slowest GO to THANK YOU: %.3f s / %.3f s = %.4f\n", ports,
                        manyGoToEnd, oneGoToEnd, manyGoToEnd / oneGoToEnd);
        }
        std::fflush(stdout);
    }
}

void CoreBenchmark(const flash410::test_support::TempFolder& workspace, int blocks,
                   const LineBudget& budget) {
    std::printf(
        "\n2. The window model (the sequencer ticked as the window ticks it), one modem, %d blocks at %d "
        "baud\n",
        blocks, kBaud);
    const std::string firmware = WriteFirmware(workspace, "model", blocks);
    const flash410::bench::ModelUpload upload = flash410::bench::UploadThroughModel(firmware, kBaud);
    std::printf("  the window says: %s\n", upload.outcome.c_str());
    if (!upload.modem) {
        std::printf("  the modem saw NO complete upload\n");
        return;
    }
    std::printf(
        "  modem: its first upload request to GO %.3f s (wire %.3f s; the window asks every 500 ms)\n",
        Seconds(upload.modem->go - upload.modem->firstRequest), budget.Seconds(budget.handshakeBytes));
    PrintModemPace("modem", *upload.modem, budget);
}

std::vector<int> ReplyDelays(int argc, char* argv[]) {
    std::vector<int> delays;
    for (int i = 3; i < argc; ++i) {
        const int delay = std::atoi(argv[i]);
        if (delay >= 0 && delay <= 1000) {
            delays.push_back(delay);
        }
    }
    return delays.empty() ? std::vector<int>{0, 1, 4, 16} : delays;
}

// Each reply held back costs the whole delay, since the program cannot send the block before it has
// seen the request: the dialogue pays it once a reply (blocks + 4 after GO).
void ReplyDelayBenchmarks(const flash410::test_support::TempFolder& workspace, int blocks,
                          const LineBudget& budget, const std::vector<int>& delays) {
    struct Row {
        int delayMs;
        double wall;
        double goToEnd;
    };
    std::vector<Row> rows;
    for (const int delay : delays) {
        std::printf(
            "\n4. flash410-cli upload, one modem holding each reply back %d ms, %d blocks at %d baud\n",
            delay, blocks, kBaud);
        const CliResult run = UploadThroughCli(workspace, "delay-" + std::to_string(delay), 1, blocks,
                                               std::chrono::milliseconds(delay));
        const double goToEnd = PrintCliRun(run, budget);
        if (goToEnd > 0) {
            rows.push_back({delay, run.child.WallSeconds(), goToEnd});
        }
        std::fflush(stdout);
    }
    if (rows.empty()) {
        return;
    }
    std::printf(
        "\n4. What a held-back reply costs: %d blocks at %d baud, wire time from GO to THANK YOU %.3f s\n"
        "  delay ms   wall s   GO to THANK YOU s   over the wire ms/block   more than the first row "
        "ms/block\n",
        blocks, kBaud, budget.FromGoSeconds());
    const Row& first = rows.front();
    for (const Row& row : rows) {
        std::printf("  %8d %8.3f %19.3f %24.3f %26.3f\n", row.delayMs, row.wall, row.goToEnd,
                    1000.0 * (row.goToEnd - budget.FromGoSeconds()) / blocks,
                    1000.0 * (row.goToEnd - first.goToEnd) / blocks);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    const int blocks = BlockCount(argc, argv);
    const std::string which = argc > 2 ? argv[2] : "all";
    const LineBudget budget = flash410::bench::UploadBudget(blocks, kBaud);
    const flash410::test_support::TempFolder workspace("upload-pace-bench");
    std::printf("Upload pace: %d blocks at %d baud, the simulated modem pacing the line, erase time 0\n",
                blocks, kBaud);
    std::printf("%s", budget.Explanation().c_str());
    std::fflush(stdout);
    if (which == "all" || which == "cli") {
        CliBenchmarks(workspace, blocks, budget);
        std::fflush(stdout);
    }
    if (which == "all" || which == "model") {
        CoreBenchmark(workspace, blocks, budget);
        std::fflush(stdout);
    }
    if (which == "delay") {
        ReplyDelayBenchmarks(workspace, blocks, budget, ReplyDelays(argc, argv));
    }
    return 0;
}
