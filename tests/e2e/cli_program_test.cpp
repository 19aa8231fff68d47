// flash410-cli as an engineer runs it: its help, its exit statuses, and Ctrl+C or SIGTERM in the middle of
// an upload, which must stop it cleanly rather than kill it.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
#include <utility>

#include "cli/cli_commands.h"
#include "modem_sim/modem_simulator.h"
#include "paced_modem.h"
#include "support/firmware_files.h"
#include "support/temp_folder.h"

extern char** environ;

namespace flash410::cli {
namespace {

using ::testing::HasSubstr;

// Only keeps a broken program from hanging the suite.
constexpr std::chrono::seconds kGuard{60};

// The program as a folder of its own in a temporary folder: it keeps its files (the upload history among
// them) beside itself, and the tests' must not land in the build's folder. A hard link where the system
// allows one, a copy otherwise.
const std::string& ProgramPath() {
    static const test_support::TempFolder folder("cli-program");
    static const std::string path = [] {
        const std::filesystem::path program = folder / "flash410-cli";
        std::error_code error;
        std::filesystem::create_hard_link(FLASH410_CLI_PATH, program, error);
        if (error) {
            std::filesystem::copy_file(FLASH410_CLI_PATH, program);
        }
        return program.string();
    }();
    return path;
}

// Where the child's standard output goes: into the pipe the test reads; nowhere, the stream closed; or into
// a pipe whose reader goes away after the first line, as "| head -1" does.
enum class Output { kRead, kClosed, kReadFirstLineOnly };

// The program running as a child, its standard output and error read from one pipe.
class CliProcess {
  public:
    explicit CliProcess(const std::vector<std::string>& arguments, Output output = Output::kRead) {
        int pipeEnds[2];
        if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (output == Output::kClosed) {
            posix_spawn_file_actions_addclose(&actions, STDOUT_FILENO);
        } else {
            posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        }
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
        const std::string& program = ProgramPath();
        std::vector<std::string> all{program};
        all.insert(all.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& argument : all) argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeEnds[1]);
        output_ = pipeEnds[0];
        reader_ = std::thread([this, output] {
            char buffer[4096];
            for (ssize_t n; (n = ::read(output_, buffer, sizeof buffer)) > 0;) {
                text_.append(buffer, static_cast<std::size_t>(n));
                if (output == Output::kReadFirstLineOnly && text_.find('\n') != std::string::npos) {
                    ::close(std::exchange(output_, -1));
                    return;
                }
            }
        });
    }
    ~CliProcess() {
        if (pid_ > 0 && !waited_) {
            ::kill(pid_, SIGKILL);
            Wait();
        }
        if (reader_.joinable())
            reader_.join();
        if (output_ >= 0)
            ::close(output_);
    }

    void Signal(int signal) const { ::kill(pid_, signal); }
    // The exit status, or 1000 + the signal that ended it.
    int Wait() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        waited_ = true;
        if (reader_.joinable())
            reader_.join();
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    }
    const std::string& Output() const { return text_; }
    bool Started() const { return pid_ > 0; }

  private:
    pid_t pid_ = -1;
    int output_ = -1;
    bool waited_ = false;
    std::string text_;
    std::thread reader_;
};

TEST(CliProgram, HelpAndVersionDescribeTheProgram) {
    CliProcess help({"--help"});
    EXPECT_EQ(help.Wait(), kExitSuccess);
    EXPECT_THAT(help.Output(), HasSubstr("upload [--port P]... [OPTIONS] FILE"));
    EXPECT_THAT(help.Output(), HasSubstr("prepare FILE"));

    CliProcess uploadHelp({"upload", "--help"});
    EXPECT_EQ(uploadHelp.Wait(), kExitSuccess);
    for (const char* option : {"--port P", "--baud RATE", "--type TYPE", "--capture FILE",
                               "--timeout SECONDS", "--quiet", "130  stopped by Ctrl+C, SIGTERM or SIGHUP"}) {
        EXPECT_THAT(uploadHelp.Output(), HasSubstr(option));
    }

    CliProcess version({"--version"});
    EXPECT_EQ(version.Wait(), kExitSuccess);
    EXPECT_THAT(version.Output(), HasSubstr("flash410-cli 2.5"));
}

// One line that says what is wrong, not the whole help, which would bury it.
TEST(CliProgram, WrongArgumentsGiveStatusTwoAndOneLine) {
    CliProcess run({"upload", "--baud", "9600", "fw.hex"});
    EXPECT_EQ(run.Wait(), kExitUsage);
    EXPECT_EQ(run.Output(), "--baud takes 19200 or 38400, not \"9600\". Try 'flash410-cli upload --help'.\n");
}

class StopSignal : public ::testing::TestWithParam<int> {};

TEST_P(StopSignal, EndsTheUploadCleanlyWithStatus130) {
    test_support::TempFolder folder("cli-stop");
    const std::string firmware = folder.folder() + "fw.bin";
    test_support::WriteBytes(firmware, test_support::MakeFirmwareImage(30));
    std::atomic<int> stored{0};
    const modemsim::SimConfig config = test_support::PacedModemCountingBlocks(stored);
    modemsim::ModemSimulator modem(config);
    CliProcess run({"upload", "--port", modem.devicePath(), firmware});
    ASSERT_TRUE(run.Started());
    const auto guard = std::chrono::steady_clock::now() + kGuard;
    while (stored < 3 && std::chrono::steady_clock::now() < guard) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    run.Signal(GetParam());
    EXPECT_EQ(run.Wait(), kExitStopped) << run.Output();
    EXPECT_THAT(run.Output(), HasSubstr(modem.devicePath() + ": Upload stopped by the operator at block "));

    ASSERT_TRUE(modem.WaitForUploads(1, kGuard));
    const modemsim::UploadReport report = modem.Reports().at(0);
    EXPECT_EQ(report.outcome, modemsim::UploadOutcome::kHungUp);
    EXPECT_LT(report.blocksStored, 30);
}

// SIGHUP: the terminal closed or the ssh session dropped.
INSTANTIATE_TEST_SUITE_P(Signals, StopSignal, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const auto& info) {
                             return info.param == SIGINT    ? "Interrupt"
                                    : info.param == SIGTERM ? "Terminate"
                                                            : "HangUp";
                         });

// With standard output closed the port would take its number, and the progress text would go to the
// modem; with a reader that goes away (a pager quit early) a write would end the program half-way.
class UnusualOutput : public ::testing::TestWithParam<Output> {};

TEST_P(UnusualOutput, TheUploadGoesOnAndTheModemHearsOnlyTheDialogue) {
    test_support::TempFolder folder("cli-output");
    const std::string firmware = folder.folder() + "fw.bin";
    const auto image = test_support::MakeFirmwareImage(8);
    test_support::WriteBytes(firmware, image);
    std::atomic<int> stored{0};
    modemsim::ModemSimulator modem(test_support::PacedModemCountingBlocks(stored));
    CliProcess run({"upload", "--port", modem.devicePath(), firmware}, GetParam());
    ASSERT_TRUE(run.Started());
    EXPECT_EQ(run.Wait(), kExitSuccess) << run.Output();
    ASSERT_TRUE(modem.WaitForUploads(1, kGuard));
    const modemsim::UploadReport report = modem.Reports().at(0);
    EXPECT_EQ(report.outcome, modemsim::UploadOutcome::kComplete);
    // The upload requests, GO, the blocks and UPLOAD DONE, and not a byte besides.
    EXPECT_EQ(report.bytesReceived, report.uploadRequests * std::uint64_t{8} + 3 + 8 * 1031 + 12);
    EXPECT_TRUE(modem.Flash() == image);
}

INSTANTIATE_TEST_SUITE_P(CliProgram, UnusualOutput,
                         ::testing::Values(Output::kClosed, Output::kReadFirstLineOnly),
                         [](const auto& info) {
                             return info.param == Output::kClosed ? "Closed" : "ReaderGone";
                         });

}  // namespace
}  // namespace flash410::cli
