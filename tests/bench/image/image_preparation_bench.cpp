// Generates a full image's Intel HEX file (4 MiB of data in 16-byte records, an extended linear address
// record every 64 KiB, CR LF line ends: about 11.8 MB) and times, on files on disk:
//   - our whole preparation in this process (the erased image, the HEX read, the upload image, both
//     flushed to disk and put in place),
//   - the same as a program (flash410-cli prepare), with its peak memory,
//   - objcopy -I ihex -O binary --gap-fill 0xff --pad-to 0x400000,
//   - srec_cat -Intel -fill 0xFF 0 0x400000 -o -Binary,
// and prints each median and the ratios. Usage: image_preparation_bench [RUNS]  (default 11). Take the
// figures from a Release build; sanitizer builds only show that it runs clean.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "image/chosen_file_names.h"
#include "image/hex_input.h"
#include "image/image_preparation.h"
#include "image/upload_image.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace flash410::image;

struct Measurement {
    std::vector<double> Milliseconds;

    double Median() const {
        std::vector<double> sorted = Milliseconds;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0.0 : sorted[sorted.size() / 2];
    }
};

void WriteFullImageHex(const fs::path& name) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::mt19937 random(410);
    std::string text;
    text.reserve(12'000'000);
    auto record = [&](std::uint8_t type, std::uint16_t address, const std::uint8_t* data,
                      std::size_t length) {
        unsigned sum = 0;
        text += ':';
        auto put = [&](std::uint8_t byte) {
            text += Digits[byte >> 4];
            text += Digits[byte & 0xF];
            sum += byte;
        };
        put(static_cast<std::uint8_t>(length));
        put(static_cast<std::uint8_t>(address >> 8));
        put(static_cast<std::uint8_t>(address));
        put(type);
        for (std::size_t i = 0; i < length; ++i) {
            put(data[i]);
        }
        put(static_cast<std::uint8_t>(0x100 - (sum & 0xFF)));
        text += "\r\n";
    };
    for (std::uint32_t address = 0; address < kModemFlash.Bytes(); address += 16) {
        if (address % 0x10000 == 0) {
            const std::uint8_t upper[2] = {static_cast<std::uint8_t>(address >> 24),
                                           static_cast<std::uint8_t>(address >> 16)};
            record(4, 0, upper, 2);
        }
        std::uint8_t data[16];
        for (std::uint8_t& byte : data) {
            byte = static_cast<std::uint8_t>(random());
        }
        record(0, static_cast<std::uint16_t>(address), data, sizeof data);
    }
    record(1, 0, nullptr, 0);
    std::ofstream(name, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
}

double TimeOurPreparation(const fs::path& hexFile, const fs::path& folder) {
    const auto start = Clock::now();
    // The preparation as the window and flash410-cli run it, files flushed and put in place included.
    ChosenFileNames names = FormChosenFileNames(hexFile.string());
    names.BinaryFileName = folder / "ours.BIN";
    names.ImageFileName = folder / "ours.VXF";
    PrepareAtOnce(names, kModemFlash);  // what it does is on disk: nothing can be left out
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Starts a program with its standard output sent to output_descriptor (or /dev/null when it is -1).
pid_t Start(const std::vector<std::string>& command, int output_descriptor) {
    std::vector<char*> arguments;
    for (const std::string& argument : command) {
        arguments.push_back(const_cast<char*>(argument.c_str()));
    }
    arguments.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output_descriptor < 0) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    } else {
        posix_spawn_file_actions_adddup2(&actions, output_descriptor, STDOUT_FILENO);
    }
    pid_t child = 0;
    if (posix_spawn(&child, arguments[0], &actions, nullptr, arguments.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", arguments[0]);
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

void Reap(pid_t child, const std::string& name, rusage* usage = nullptr) {
    int status = 0;
    wait4(child, &status, 0, usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", name.c_str());
        std::exit(1);
    }
}

// Runs a program to its end and returns its time in milliseconds.
double TimeProgram(const std::vector<std::string>& command) {
    const auto start = Clock::now();
    Reap(Start(command, -1), command[0]);
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A child started straight from this process reports at least this process's own peak memory, which
// holds the generated text. So the measuring is left to a fresh copy of this program (see RunMeasured),
// whose own memory is small, and which reports the peak in kilobytes.
long PeakKilobytes(const std::vector<std::string>& command) {
    std::vector<std::string> measured{"/proc/self/exe", "--peak-memory"};
    measured.insert(measured.end(), command.begin(), command.end());
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0) {
        std::exit(1);
    }
    const pid_t child = Start(measured, pipe_ends[1]);
    close(pipe_ends[1]);
    char text[32] = {};
    const ssize_t length = read(pipe_ends[0], text, sizeof text - 1);
    close(pipe_ends[0]);
    Reap(child, command[0]);
    return length > 0 ? std::atol(text) : 0;
}

// --peak-memory COMMAND...: runs the command from this small process and prints its peak memory.
int RunMeasured(char** command) {
    const pid_t child = fork();
    if (child == 0) {
        const int null_device = open("/dev/null", O_WRONLY);
        dup2(null_device, STDOUT_FILENO);
        execv(command[0], command);
        _exit(127);
    }
    rusage usage{};
    Reap(child, command[0], &usage);
    std::printf("%ld\n", usage.ru_maxrss);
    return 0;
}

std::vector<char> ReadAll(const fs::path& name) {
    std::ifstream stream(name, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(stream), {});
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "--peak-memory") {
        return RunMeasured(argv + 2);
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
    const std::string objcopy = FLASH410_OBJCOPY;
    const std::string srec_cat = FLASH410_SREC_CAT;

    const fs::path folder = fs::temp_directory_path() / ("flash410-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path hexFile = folder / "full.hex";
    WriteFullImageHex(hexFile);
    std::printf("Input: %s, %ju bytes of Intel HEX, %d runs each\n", hexFile.c_str(),
                static_cast<std::uintmax_t>(fs::file_size(hexFile)), runs);

    // The program gets its own copy of the input, so that its outputs do not replace ours.
    fs::copy_file(hexFile, folder / "cli.hex");
    struct Program {
        std::string Label;
        std::vector<std::string> Command;
        fs::path Image;
        Measurement Times;
    };
    std::vector<Program> programs{{"flash410-cli prepare (whole program)",
                                   {FLASH410_CLI, "prepare", (folder / "cli.hex").string()},
                                   folder / "cli.BIN",
                                   {}}};
    if (!objcopy.empty()) {
        programs.push_back({"objcopy (HEX -> BIN)",
                            {objcopy, "-I", "ihex", "-O", "binary", "--gap-fill", "0xff", "--pad-to",
                             "0x400000", hexFile.string(), (folder / "objcopy.bin").string()},
                            folder / "objcopy.bin",
                            {}});
    }
    if (!srec_cat.empty()) {
        programs.push_back({"srec_cat (HEX -> BIN)",
                            {srec_cat, hexFile.string(), "-Intel", "-fill", "0xFF", "0", "0x400000", "-o",
                             (folder / "srec_cat.bin").string(), "-Binary"},
                            folder / "srec_cat.bin",
                            {}});
    }

    Measurement ours;
    for (int run = 0; run < runs; ++run) {
        ours.Milliseconds.push_back(TimeOurPreparation(hexFile, folder));
        for (Program& program : programs) {
            program.Times.Milliseconds.push_back(TimeProgram(program.Command));
        }
    }

    const auto ours_image = ReadAll(folder / "ours.BIN");
    std::printf("%-40s %7.1f ms (median)\n", "our preparation (in process, HEX->VXF)", ours.Median());
    for (const Program& program : programs) {
        std::printf("%-40s %7.1f ms (median), peak memory %5.1f MiB, binary image %s\n",
                    program.Label.c_str(), program.Times.Median(), PeakKilobytes(program.Command) / 1024.0,
                    ReadAll(program.Image) == ours_image ? "identical to ours" : "DIFFERS from ours");
    }
    for (std::size_t peer = 1; peer < programs.size(); ++peer) {
        std::printf("ratio ours / %s: %.2f in process, %.2f as a program\n",
                    fs::path(programs[peer].Command[0]).filename().c_str(),
                    ours.Median() / programs[peer].Times.Median(),
                    programs[0].Times.Median() / programs[peer].Times.Median());
    }
    std::printf("%-40s %7.1f MiB\n", "peak memory of a program that does nothing",
                PeakKilobytes({"/bin/true"}) / 1024.0);
    fs::remove_all(folder);
    return 0;
}
