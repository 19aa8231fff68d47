// Times the preparation of two Intel HEX files, on files on disk: a full image (4 MiB of data in 16-byte
// records, an extended linear address record every 64 KiB, CR LF line ends: about 11.8 MB) and a sparse
// one (16 records of 16 bytes scattered over the flash). For each it times
//   - our whole preparation in this process (the image read, the upload image, both flushed to disk and
//     put in place),
//   - the same as a program (flash410-cli prepare), with its peak memory,
//   - objcopy -I ihex -O binary, as it is usually run,
//   - objcopy -I ihex -O binary --gap-fill 0xff --pad-to 0x400000, which makes our binary image,
//   - srec_cat -Intel -fill 0xFF 0 0x400000 -o -Binary, which does too,
// and prints each median and the ratios. Usage: image_preparation_bench [RUNS]  (default 5). Take the
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

// Intel HEX text of the records, each of 16 random bytes at its address, with an extended linear address
// record wherever the upper 16 bits change, then the end-of-file record; CR LF line ends.
std::string HexOfRecords(const std::vector<std::uint32_t>& addresses, std::mt19937& random) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(addresses.size() * 45 + 64);
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
    std::uint32_t upper = ~0U;
    for (const std::uint32_t address : addresses) {
        if (address >> 16 != upper) {
            upper = address >> 16;
            const std::uint8_t value[2] = {static_cast<std::uint8_t>(upper >> 8),
                                           static_cast<std::uint8_t>(upper)};
            record(4, 0, value, 2);
        }
        std::uint8_t data[16];
        for (std::uint8_t& byte : data) {
            byte = static_cast<std::uint8_t>(random());
        }
        record(0, static_cast<std::uint16_t>(address), data, sizeof data);
    }
    record(1, 0, nullptr, 0);
    return text;
}

void WriteHexFile(const fs::path& name, const std::string& text) {
    std::ofstream(name, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
}

// Every 16 bytes of the flash.
std::string FullImageHex() {
    std::mt19937 random(410);
    std::vector<std::uint32_t> addresses;
    for (std::uint32_t address = 0; address < kModemFlash.Bytes(); address += 16) {
        addresses.push_back(address);
    }
    return HexOfRecords(addresses, random);
}

// 16 records at random rows of the flash, in address order.
std::string SparseImageHex() {
    std::mt19937 random(410);
    std::vector<std::uint32_t> addresses;
    for (int record = 0; record < 16; ++record) {
        addresses.push_back(static_cast<std::uint32_t>(random() % (kModemFlash.Bytes() / 16)) * 16);
    }
    std::sort(addresses.begin(), addresses.end());
    addresses.erase(std::unique(addresses.begin(), addresses.end()), addresses.end());
    return HexOfRecords(addresses, random);
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

struct Program {
    std::string Label;
    std::vector<std::string> Command;
    fs::path Image;  // its binary image; empty for one that does not make ours
    Measurement Times;
};

// Times every program and our own preparation on the file, runs times each, and prints the figures.
void CompareOn(const std::string& label, const std::string& hexText, const fs::path& folder, int runs) {
    const fs::path hexFile = folder / (label + ".hex");
    WriteHexFile(hexFile, hexText);
    std::printf("\n%s: %s, %zu bytes of Intel HEX, %d runs each\n", label.c_str(), hexFile.c_str(),
                hexText.size(), runs);
    // The program gets its own copy of the input, so that its outputs do not replace ours.
    const fs::path cliHex = folder / (label + "-cli.hex");
    fs::copy_file(hexFile, cliHex, fs::copy_options::overwrite_existing);
    std::vector<Program> programs{{"flash410-cli prepare (whole program)",
                                   {FLASH410_CLI, "prepare", cliHex.string()},
                                   folder / (label + "-cli.BIN"),
                                   {}}};
    const std::string objcopy = FLASH410_OBJCOPY;
    const std::string srecCat = FLASH410_SREC_CAT;
    if (!objcopy.empty()) {
        programs.push_back(
            {"objcopy -I ihex -O binary",
             {objcopy, "-I", "ihex", "-O", "binary", hexFile.string(), (folder / "objcopy.bin").string()},
             {},
             {}});
        programs.push_back({"objcopy, gaps 0xFF, to 4 MiB",
                            {objcopy, "-I", "ihex", "-O", "binary", "--gap-fill", "0xff", "--pad-to",
                             "0x400000", hexFile.string(), (folder / "objcopy-padded.bin").string()},
                            folder / "objcopy-padded.bin",
                            {}});
    }
    if (!srecCat.empty()) {
        programs.push_back({"srec_cat, 0xFF to 4 MiB",
                            {srecCat, hexFile.string(), "-Intel", "-fill", "0xFF", "0", "0x400000", "-o",
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

    const auto oursImage = ReadAll(folder / "ours.BIN");
    std::printf("  %-38s %7.1f ms (median)\n", "our preparation (in process, HEX->VXF)", ours.Median());
    for (const Program& program : programs) {
        const char* image = program.Image.empty()                 ? "not ours (no padding)"
                            : ReadAll(program.Image) == oursImage ? "identical to ours"
                                                                  : "DIFFERS from ours";
        std::printf("  %-38s %7.1f ms (median), peak memory %5.1f MiB, binary image %s\n",
                    program.Label.c_str(), program.Times.Median(), PeakKilobytes(program.Command) / 1024.0,
                    image);
    }
    for (std::size_t peer = 1; peer < programs.size(); ++peer) {
        std::printf("  ratio ours / %s: %.2f in process, %.2f as a program\n", programs[peer].Label.c_str(),
                    ours.Median() / programs[peer].Times.Median(),
                    programs[0].Times.Median() / programs[peer].Times.Median());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "--peak-memory") {
        return RunMeasured(argv + 2);
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const fs::path folder = fs::temp_directory_path() / ("flash410-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    CompareOn("full", FullImageHex(), folder, runs);
    CompareOn("sparse", SparseImageHex(), folder, runs);
    std::printf("\n%-40s %7.1f MiB\n", "peak memory of a program that does nothing",
                PeakKilobytes({"/bin/true"}) / 1024.0);
    fs::remove_all(folder);
    return 0;
}
