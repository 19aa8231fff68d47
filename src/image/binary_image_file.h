#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "image/image_layout.h"
#include "platform/byte_file.h"
#include "platform/replacement_file.h"

namespace flash410::image {

// The binary image file together with its 4 MiB contents in memory. Keeping the contents in memory
// turns hundreds of thousands of small positioned writes into one write of the whole image; the file
// on disk is the same as if every record had been written in place. Failures throw PreparationError.
class BinaryImageFile {
  public:
    // A new erased image. It is written beside the name and replaces any file of that name only when
    // put in place; dropped before then, it leaves that file as it was.
    static BinaryImageFile CreateErased(const std::filesystem::path& name);
    // Opens an existing binary image, such as a chosen ".bin" file, to be read only; its contents are
    // read on first use.
    static BinaryImageFile OpenForReading(const std::filesystem::path& name);

    const std::filesystem::path& Name() const { return File().Name(); }

    // The image's bytes. A file shorter than the image reads as erased flash beyond its end.
    ImageBytes Contents();
    // Bytes of the file beyond the image: they lie outside the flash and are never read.
    std::uint64_t BytesBeyondImage() const;
    // Writes the contents back to the (new) file.
    void WriteBack();
    // A new image: waits until its contents are on the disk. Nothing to do for an image being read.
    void Flush();
    // A new image: takes the place of the file of its name, which is kept instead when it holds the same
    // bytes already. Nothing to do for an image being read.
    void PutInPlace();
    // Puts a new image in place, then closes the file.
    void Close();

  private:
    explicit BinaryImageFile(platform::ByteFile file);
    explicit BinaryImageFile(platform::ReplacementFile file);
    platform::ByteFile& File() { return replacement_ ? replacement_->File() : *file_; }
    const platform::ByteFile& File() const { return replacement_ ? replacement_->File() : *file_; }

    // Exactly one of the two is there: the new image until it is put in place, the file afterwards.
    std::optional<platform::ReplacementFile> replacement_;
    std::optional<platform::ByteFile> file_;
    std::vector<std::uint8_t> contents_;
    bool loaded_ = false;
};

}  // namespace flash410::image
