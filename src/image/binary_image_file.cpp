#include "image/binary_image_file.h"

#include <algorithm>
#include <utility>

namespace flash410::image {

BinaryImageFile::BinaryImageFile(ByteFile file) : file_(std::move(file)) {}

BinaryImageFile::BinaryImageFile(ReplacementFile file) : replacement_(std::move(file)) {}

BinaryImageFile BinaryImageFile::CreateErased(const std::filesystem::path& name) {
    BinaryImageFile image(ReplacementFile::Create(name));
    image.contents_.assign(kBinaryImageSize, kErasedByte);
    image.loaded_ = true;
    image.WriteBack();
    return image;
}

BinaryImageFile BinaryImageFile::OpenForReading(const std::filesystem::path& name) {
    return BinaryImageFile(ByteFile::OpenForReading(name));
}

ImageBytes BinaryImageFile::Contents() {
    if (!loaded_) {
        contents_.resize(kBinaryImageSize);
        const std::size_t count = File().ReadAt(0, contents_);
        std::fill(contents_.begin() + static_cast<std::ptrdiff_t>(count), contents_.end(), kErasedByte);
        loaded_ = true;
    }
    return ImageBytes(contents_.data(), kBinaryImageSize);
}

std::uint64_t BinaryImageFile::BytesBeyondImage() const {
    const std::uint64_t size = File().Size();
    return size > kBinaryImageSize ? size - kBinaryImageSize : 0;
}

void BinaryImageFile::WriteBack() {
    File().WriteAt(0, Contents());
}

void BinaryImageFile::Flush() {
    if (replacement_) {
        replacement_->Flush();
    }
}

void BinaryImageFile::PutInPlace() {
    if (replacement_) {
        file_ = std::move(*replacement_).PutInPlace();
        replacement_.reset();
    }
}

void BinaryImageFile::Close() {
    Flush();
    PutInPlace();
    if (file_) {
        file_->Close();
    }
}

}  // namespace flash410::image
