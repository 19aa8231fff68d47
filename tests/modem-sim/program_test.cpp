// The modem-sim program as the demo runs it: linked into a program folder, ended by a signal or after
// its uploads, leaving its summary and flash image behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "modem_fixture.h"
#include "support/temp_folder.h"

extern char** environ;

namespace modemsim::testing {
namespace {

namespace fs = std::filesystem;

// The program running with its standard output in a file.
class Program {
  public:
    Program(const fs::path& folder, std::vector<std::string> args) : output_(folder / "stdout.txt") {
        args.insert(args.begin(), MODEM_SIM_PROGRAM);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output_.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        const int error = posix_spawn(&pid_, MODEM_SIM_PROGRAM, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (error != 0) {
            throw std::runtime_error("cannot start " MODEM_SIM_PROGRAM);
        }
    }
    ~Program() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    void Signal(int signal) const { ::kill(pid_, signal); }
    // The exit status, or -1 when the program is still running after the guard time (it is then killed).
    int Wait() {
        const auto until = std::chrono::steady_clock::now() + kGuard;
        int status = 0;
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > until) {
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::string Output() const {
        std::ifstream in(output_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

  private:
    fs::path output_;
    pid_t pid_ = -1;
};

bool AppearsWithinGuard(const fs::path& path) {
    const auto until = std::chrono::steady_clock::now() + kGuard;
    while (!fs::exists(fs::symlink_status(path))) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

class ProgramTest : public ::testing::Test {
  protected:
    const flash410::test_support::TempFolder temp_{"modem-sim-program"};
    const fs::path folder_ = temp_.path();
};

TEST_F(ProgramTest, UploadsThroughTheLinkAndLeavesSummaryAndFlashImage) {
    const fs::path link = folder_ / "ports" / "com4";
    const fs::path image = folder_ / "flash.bin";
    Program program(folder_, {"--link", folder_.string(), "4", "--uploads", "1", "--erase-seconds", "0",
                              "--image", image.string()});
    ASSERT_TRUE(AppearsWithinGuard(link));
    {
        ScriptedPc pc(link.string());
        pc.Send("UP MC\r");
        EXPECT_EQ(pc.ReadLine(), "READY\r\n");
        pc.Send("GO\r");
        EXPECT_EQ(pc.ReadLine(), "ERASING\r\n");
        EXPECT_EQ(pc.ReadLine(), "ERASE COMPLETE\r\n");
        EXPECT_EQ(pc.ReadLine(), "SEND BLOCK\r\n");
        pc.Send(BuildBlock("000400", Pattern(1)));
        EXPECT_EQ(pc.ReadLine(), "SEND BLOCK\r\n");
        pc.Send(BuildBlock("001000", Pattern(2)));
        EXPECT_EQ(pc.ReadLine(), "SEND BLOCK\r\n");
        pc.Send("UPLOAD DONE\r");
        EXPECT_EQ(pc.ReadLine(), "THANK YOU\r\n");
    }
    EXPECT_EQ(program.Wait(), 0);
    EXPECT_NE(
        program.Output().find("upload 1 (UP MC) complete: blocks stored 2, resends asked 0, bad blocks 0, "
                              "bytes received 2083, seconds taken "),
        std::string::npos)
        << program.Output();
    const std::string flash = ReadFile(image);
    const Bytes expected = FlashWith({{0x000400, Pattern(1)}, {0x001000, Pattern(2)}});
    EXPECT_TRUE(flash == std::string(expected.begin(), expected.end()))
        << "flash image of " << flash.size() << " bytes";
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST_F(ProgramTest, EndsCleanlyOnSigtermAndRemovesItsLink) {
    const fs::path link = folder_ / "ports" / "com1";
    Program program(folder_, {"--link", folder_.string(), "1", "--no-image"});
    ASSERT_TRUE(AppearsWithinGuard(link));
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    EXPECT_NE(program.Output().find("modem-sim: ended"), std::string::npos) << program.Output();
}

TEST_F(ProgramTest, RefusesABadCommandLine) {
    Program program(folder_, {"--link", folder_.string(), "99"});
    EXPECT_EQ(program.Wait(), 2);
    EXPECT_FALSE(fs::exists(folder_ / "ports"));
}

}  // namespace
}  // namespace modemsim::testing
