#include "cli/ready_image.h"

#include <stdexcept>

#include "cli/cli_commands.h"
#include "image/chosen_file_names.h"
#include "image/file_failure.h"
#include "image/image_preparation.h"
#include "image/preparation_error.h"
#include "image/upload_image_check.h"
#include "platform/byte_file.h"
#include "platform/sha256.h"
#include "platform/utf8_path.h"

namespace flash410::cli {

ReadyImage MakeImageReady(const std::string& chosenFile, const std::function<bool()>& stopRequested) {
    // Like the window, prepare nothing for a file that is not there, nor for one that is not a regular file.
    image::ReportFileFailures(
        [&] { platform::ByteFile::OpenForReading(platform::PathFromUtf8(chosenFile)).Close(); });
    const image::ChosenFileNames names = image::FormChosenFileNames(chosenFile);
    if (names.Kind == image::ChosenFileKind::kUploadImage) {
        image::HeldUploadImage checked =
            image::ReadCheckedUploadImage(platform::PathFromUtf8(chosenFile), image::kModemFlash);
        return {
            chosenFile, {}, checked.Result.BlockCount, checked.Result.ChecksumText, std::move(checked.Bytes)};
    }
    if (names.Kind == image::ChosenFileKind::kUnexpected) {
        throw image::PreparationError(
            "Unexpected file extension (" + names.Extension +
            "): give an Intel HEX (.hex, .h86, .mcs), binary (.bin) or upload image (.vxf) file");
    }
    image::PreparedImage prepared = image::PrepareAtOnce(names, image::kModemFlash, stopRequested);
    return {names.ImageFileName.string(), names.BinaryFileName.string(), prepared.Upload.BlockCount,
            prepared.Upload.ChecksumText, std::move(prepared.ImageBytes)};
}

std::variant<ReadyImage, int> ReadyToSend(const std::string& chosenFile,
                                          const std::optional<std::string>& expectedSha256,
                                          const std::function<bool()>& stopRequested, std::ostream& err) {
    ReadyImage ready;
    try {
        ready = MakeImageReady(chosenFile, stopRequested);
    } catch (const image::PreparationStopped& stopped) {
        err << stopped.what() << '\n';
        return kExitStopped;
    } catch (const image::PreparationError& failure) {
        err << failure.what() << '\n';
        return kExitUsage;
    }
    if (expectedSha256) {
        if (const std::optional<std::string> wrong = WrongImageDigest(ready, *expectedSha256)) {
            err << *wrong << '\n';
            return kExitUsage;
        }
    }
    return ready;
}

std::optional<std::string> WrongImageDigest(const ReadyImage& ready, const std::string& expected) {
    std::string digest;
    try {
        digest = platform::Sha256Hex(*ready.Bytes);
    } catch (const std::runtime_error& failure) {
        return std::string("Cannot check the upload image's SHA-256: ") + failure.what();
    }
    if (digest == expected) {
        return std::nullopt;
    }
    return "The upload image " + ready.ImagePath + " has the SHA-256 " + digest + ", not the " + expected +
           " expected: it is not that firmware, and nothing was sent";
}

}  // namespace flash410::cli
