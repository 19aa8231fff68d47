#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "byte_file.h"
#include "image_layout.h"

namespace flash410::image {

// The open binary image file together with its 4 MiB contents in memory. Keeping the contents in
// memory turns hundreds of thousands of small positioned writes into one write of the whole image; the
// file on disk is the same as if every record had been written in place.
class BinaryImageFile {
  public:
    // Creates the file (or empties an existing one) and writes the erased image into it.
    static BinaryImageFile CreateErased(const std::filesystem::path& name);
    // Opens an existing binary image, such as a chosen ".bin" file; its contents are read on first use.
    static BinaryImageFile OpenForReading(const std::filesystem::path& name);

    const std::filesystem::path& Name() const { return file_.Name(); }

    // The image's bytes. A file shorter than the image reads as erased flash beyond its end.
    ImageBytes Contents();
    // Bytes of the file beyond the image: they lie outside the flash and are never read.
    std::uint64_t BytesBeyondImage() const;
    // Writes the contents back to the file.
    void WriteBack();
    void Close() { file_.Close(); }

  private:
    explicit BinaryImageFile(ByteFile file);

    ByteFile file_;
    std::vector<std::uint8_t> contents_;
    bool loaded_ = false;
};

}  // namespace flash410::image
