#include "image/binary_image_file.h"

#include <utility>

#include "image/file_failure.h"

namespace flash410::image {

BinaryImageFile::BinaryImageFile(platform::ByteFile file, FlashSize flash)
    : file_(std::move(file)), image_(flash) {}

BinaryImageFile::BinaryImageFile(platform::ReplacementFile file, FlashSize flash)
    : replacement_(std::move(file)), image_(flash), loaded_(true) {}

BinaryImageFile BinaryImageFile::CreateErased(const std::filesystem::path& name, FlashSize flash) {
    // The file stays empty until the image is complete: written once, not erased first and then again.
    return BinaryImageFile(ReportFileFailures([&] { return platform::ReplacementFile::Create(name); }),
                           flash);
}

BinaryImageFile BinaryImageFile::OpenForReading(const std::filesystem::path& name, FlashSize flash) {
    return BinaryImageFile(ReportFileFailures([&] { return platform::ByteFile::OpenForReading(name); }),
                           flash);
}

FlashImage& BinaryImageFile::Image() {
    if (!loaded_) {
        image_.FillFromStart([&](std::span<std::uint8_t> bytes) {
            return ReportFileFailures([&] { return File().ReadAt(0, bytes); });
        });
        loaded_ = true;
    }
    return image_;
}

std::uint64_t BinaryImageFile::BytesBeyondImage() const {
    const std::uint64_t size = ReportFileFailures([&] { return File().Size(); });
    const std::uint64_t flashBytes = image_.Size().Bytes();
    return size > flashBytes ? size - flashBytes : 0;
}

void BinaryImageFile::WriteBack() {
    const std::span<const std::uint8_t> contents = Image().Bytes();
    ReportFileFailures([&] {
        if (replacement_) {
            replacement_->WriteWhole(contents);  // nothing to write when the file in place holds it
        } else {
            File().WriteAt(0, contents);
        }
    });
    writtenBack_ = true;
}

void BinaryImageFile::WriteBackOnce() {
    if (!writtenBack_) {
        WriteBack();
    }
}

void BinaryImageFile::Flush() {
    if (replacement_) {
        WriteBackOnce();
        ReportFileFailures([&] { replacement_->Flush(); });
    }
}

void BinaryImageFile::PutInPlace() {
    if (replacement_) {
        WriteBackOnce();
        file_ = ReportFileFailures([&] { return std::move(*replacement_).PutInPlace(image_.Bytes()); });
        replacement_.reset();
    }
}

void BinaryImageFile::Close() {
    Flush();
    PutInPlace();
    if (file_) {
        ReportFileFailures([&] { file_->Close(); });
    }
}

}  // namespace flash410::image
