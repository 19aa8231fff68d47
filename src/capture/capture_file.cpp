#include "capture/capture_file.h"

#include <algorithm>
#include <cstring>

#include "capture/capture_error.h"

namespace flash410::capture {

CaptureFile::~CaptureFile() {
    try {
        Close();
    } catch (const CaptureError&) {
        // Nothing can report it now; the descriptor is released all the same.
    }
}

void CaptureFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t count = std::min(bytes.size(), kBufferSize - buffered_);
        std::memcpy(buffer_.data() + buffered_, bytes.data(), count);
        buffered_ += count;
        bytes.remove_prefix(count);
        if (buffered_ == kBufferSize) {
            if (const int error = WriteOutBuffer(); error != 0) {
                throw CaptureError(FailureText("write to", error));
            }
        }
    }
}

}  // namespace flash410::capture
