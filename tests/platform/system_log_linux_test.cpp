// The journal: an entry written is read back by journalctl with its fields, where a journal runs; where none
// runs, the write says so.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <thread>

#include <nlohmann/json.hpp>

#include "platform/system_log.h"
#include "platform/unique_fd.h"

namespace flash410::platform {
namespace {

constexpr const char* kJournalSocket = "/run/systemd/journal/socket";

bool JournalSocketThere() {
    struct stat socket {};
    return ::stat(kJournalSocket, &socket) == 0 && S_ISSOCK(socket.st_mode);
}

// The socket is there and someone listens on it (a journal that has stopped leaves its socket behind).
bool JournalListens() {
    const platform::UniqueFd probe(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, kJournalSocket, sizeof address.sun_path - 1);
    return probe.valid() &&
           ::connect(probe.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

struct PipeClose {
    void operator()(FILE* pipe) const { ::pclose(pipe); }
};

// journalctl's JSON output for the entries that carry the marker, one object a line.
std::vector<nlohmann::json> JournalEntries(const std::string& marker) {
    const std::string command =
        "journalctl --no-pager --output=json FLASH410_TEST_MARKER=" + marker + " 2>/dev/null";
    const std::unique_ptr<FILE, PipeClose> pipe(::popen(command.c_str(), "r"));
    std::vector<nlohmann::json> entries;
    if (!pipe) {
        return entries;
    }
    std::string output;
    char buffer[4096];
    for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) {
        output.append(buffer, read);
    }
    for (std::size_t start = 0, end; start < output.size(); start = end + 1) {
        end = output.find('\n', start);
        if (end == std::string::npos) {
            end = output.size();
        }
        if (end > start) {
            entries.push_back(nlohmann::json::parse(output.substr(start, end - start)));
        }
    }
    return entries;
}

TEST(Journal, AnEntryIsReadBackWithItsPriorityIdentifierAndFields) {
    if (!JournalListens()) {
        GTEST_SKIP() << "no journal runs here: nothing listens on " << kJournalSocket;
    }
    if (std::system("command -v journalctl > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "no journalctl to read the journal with";
    }
    const std::string marker = std::to_string(::getpid()) + "-" + std::to_string(std::random_device{}());
    SystemLog log("flash410-tests");
    const SystemLogEntry entry{"Upload stopped: fw.hex, marker " + marker,
                               LogSeverity::kWarning,
                               {{"FLASH410_TEST_MARKER", marker}, {"flash410 outcome", "stopped"}}};
    ASSERT_EQ(log.Write(entry), std::nullopt);

    // The journal stores what it received on its own time: a few looks.
    std::vector<nlohmann::json> found;
    for (int look = 0; look < 50 && found.empty(); ++look) {
        if (look > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        found = JournalEntries(marker);
    }
    ASSERT_EQ(found.size(), 1U) << "the entry never reached the journal";
    const nlohmann::json& read = found.front();
    EXPECT_EQ(read.value("MESSAGE", ""), entry.Message);
    EXPECT_EQ(read.value("PRIORITY", ""), "4");
    EXPECT_EQ(read.value("SYSLOG_IDENTIFIER", ""), "flash410-tests");
    EXPECT_EQ(read.value("FLASH410_OUTCOME", ""), "stopped");
}

TEST(Journal, WithoutAJournalTheWriteSaysSo) {
    if (JournalSocketThere()) {
        GTEST_SKIP() << kJournalSocket << " is there";
    }
    SystemLog log("flash410-tests");
    EXPECT_EQ(log.Write(SystemLogEntry{"flash410 test entry", LogSeverity::kError, {}}),
              "The system log did not take the record: no journal runs here (/run/systemd/journal/socket is "
              "missing)");
}

}  // namespace
}  // namespace flash410::platform
