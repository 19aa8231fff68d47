// The image's side of the platform's file failures: they reach the operator as PreparationError.
#pragma once

#include <utility>

#include "platform/file_error.h"

namespace flash410::image {

// Throws PreparationError saying "Cannot <action> <name>: <reason>"; for a file that another program has
// open, the reason is that another upload is using it.
[[noreturn]] void FailOnFile(const platform::FileError& failure);

// Runs work on the platform's files and returns what it returns; a platform::FileError leaves it as the
// PreparationError of the same text, so that nothing but PreparationError leaves the image library.
template <typename Work>
decltype(auto) ReportFileFailures(Work&& work) {
    try {
        return std::forward<Work>(work)();
    } catch (const platform::FileError& failure) {
        FailOnFile(failure);
    }
}

}  // namespace flash410::image
