#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "image/flash_image.h"
#include "platform/byte_file.h"
#include "platform/replacement_file.h"

namespace flash410::image {

// The binary image file together with its contents in memory. Keeping the contents in memory turns
// hundreds of thousands of small positioned writes into one write of the whole image; the file on
// disk is the same as if every record had been written in place. Failures throw PreparationError.
class BinaryImageFile {
  public:
    // A new erased image of the flash's size. It is written beside the name and replaces any file of
    // that name only when put in place; dropped before then, it leaves that file as it was.
    static BinaryImageFile CreateErased(const std::filesystem::path& name, FlashSize flash);
    // Opens an existing binary image, such as a chosen ".bin" file, to be read only; its contents are
    // read on first use.
    static BinaryImageFile OpenForReading(const std::filesystem::path& name, FlashSize flash);

    const std::filesystem::path& Name() const { return File().Name(); }

    // The image. A file shorter than the flash reads as erased flash beyond its end.
    FlashImage& Image();
    // Bytes of the file beyond the flash: they are never read.
    std::uint64_t BytesBeyondImage() const;
    // Writes the contents to the new file, in one write; a file in place that holds them already spares
    // the writing.
    void WriteBack();
    // A new image: writes the contents unless that was done, and waits until they are on the disk. Nothing to
    // do for an image being read.
    void Flush();
    // A new image: takes the place of the file of its name, which is kept instead when it holds the same
    // bytes already. Nothing to do for an image being read.
    void PutInPlace();
    // Puts a new image in place, then closes the file.
    void Close();

  private:
    BinaryImageFile(platform::ByteFile file, FlashSize flash);
    BinaryImageFile(platform::ReplacementFile file, FlashSize flash);
    platform::ByteFile& File() { return replacement_ ? replacement_->File() : *file_; }
    const platform::ByteFile& File() const { return replacement_ ? replacement_->File() : *file_; }
    // A new image that was never written back is written before it is synced or put in place: an empty
    // file must never take the name.
    void WriteBackOnce();

    // Exactly one of the two is there: the new image until it is put in place, the file afterwards.
    std::optional<platform::ReplacementFile> replacement_;
    std::optional<platform::ByteFile> file_;
    FlashImage image_;
    bool loaded_ = false;
    bool writtenBack_ = false;
};

}  // namespace flash410::image
