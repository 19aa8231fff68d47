#include "image/binary_image_file.h"

#include <algorithm>
#include <utility>

#include "image/file_failure.h"

namespace flash410::image {

BinaryImageFile::BinaryImageFile(platform::ByteFile file) : file_(std::move(file)) {}

BinaryImageFile::BinaryImageFile(platform::ReplacementFile file) : replacement_(std::move(file)) {}

BinaryImageFile BinaryImageFile::CreateErased(const std::filesystem::path& name) {
    BinaryImageFile image(ReportFileFailures([&] { return platform::ReplacementFile::Create(name); }));
    image.contents_.assign(kBinaryImageSize, kErasedByte);
    image.loaded_ = true;
    image.WriteBack();
    return image;
}

BinaryImageFile BinaryImageFile::OpenForReading(const std::filesystem::path& name) {
    return BinaryImageFile(ReportFileFailures([&] { return platform::ByteFile::OpenForReading(name); }));
}

ImageBytes BinaryImageFile::Contents() {
    if (!loaded_) {
        contents_.resize(kBinaryImageSize);
        const std::size_t count = ReportFileFailures([&] { return File().ReadAt(0, contents_); });
        std::fill(contents_.begin() + static_cast<std::ptrdiff_t>(count), contents_.end(), kErasedByte);
        loaded_ = true;
    }
    return ImageBytes(contents_.data(), kBinaryImageSize);
}

std::uint64_t BinaryImageFile::BytesBeyondImage() const {
    const std::uint64_t size = ReportFileFailures([&] { return File().Size(); });
    return size > kBinaryImageSize ? size - kBinaryImageSize : 0;
}

void BinaryImageFile::WriteBack() {
    const ImageBytes contents = Contents();
    ReportFileFailures([&] { File().WriteAt(0, contents); });
}

void BinaryImageFile::Flush() {
    if (replacement_) {
        ReportFileFailures([&] { replacement_->Flush(); });
    }
}

void BinaryImageFile::PutInPlace() {
    if (replacement_) {
        file_ = ReportFileFailures([&] { return std::move(*replacement_).PutInPlace(); });
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
