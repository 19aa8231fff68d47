#include "platform/standard_streams.h"

namespace flash410::platform {

// A Windows program's ports and files are handles, never the numbers of its standard streams, and a
// closed pipe makes a write fail without a signal: there is nothing to do.
void SecureStandardStreams() {}

}  // namespace flash410::platform
