#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include "platform/standard_streams.h"

namespace flash410::platform {

void SecureStandardStreams() {
    for (int stream = STDIN_FILENO; stream <= STDERR_FILENO; ++stream) {
        if (::fcntl(stream, F_GETFD) < 0) {
            // The lowest free descriptor is the one that is closed.
            const int nullDevice = ::open("/dev/null", stream == STDIN_FILENO ? O_RDONLY : O_WRONLY);
            if (nullDevice >= 0 && nullDevice != stream) {
                ::close(nullDevice);  // something else is wrong; leave the stream as it is
            }
        }
    }
    ::signal(SIGPIPE, SIG_IGN);
}

}  // namespace flash410::platform
