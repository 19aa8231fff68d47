// What every program does first, before it opens anything.
#pragma once

namespace flash410::platform {

// Makes sure the standard input, output and error are open, on the null device where they were closed:
// otherwise the next file or port opened would take their place, and text meant for the screen would go
// into it (to a modem, even). A reader that goes away, such as a pager quit early, makes writes to the
// output fail instead of ending the program; the program goes on without its output.
void SecureStandardStreams();

}  // namespace flash410::platform
