#include "session_recorder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "app/session.h"
#include "app/session_recording.h"
#include "server_link.h"

namespace telorad::cli {

namespace {

using Clock = std::chrono::steady_clock;

// Quiet time after updates that ends a frame: well above a scheduling hiccup inside a frame,
// well below the interval of a server sending up to 25 frames a second.
constexpr auto kFrameGap = std::chrono::milliseconds(20);

// Creates or empties the file for its owner alone: it shows whatever the screen showed.
int OpenPrivateFile(const std::string& path) {
#ifdef _WIN32
    // Access on Windows comes from the folder's inherited permissions; there is no mode to set.
    return ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    // An existing file keeps its mode through O_TRUNC; narrow it too.
    if (fd >= 0 && ::fchmod(fd, 0600) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
#endif
}

class RecordingFile {
  public:
    explicit RecordingFile(const std::string& path) : fd_(OpenPrivateFile(path)) {
        if (fd_ >= 0) Write(EncodeRecordingHeader());
    }
    ~RecordingFile() { Close(); }
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

    bool Ok() const { return fd_ >= 0 && ok_; }
    void Write(const std::vector<std::uint8_t>& bytes) {
        std::size_t done = 0;
        while (ok_ && done < bytes.size()) {
            const ssize_t wrote = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (wrote <= 0) ok_ = false;
            else done += static_cast<std::size_t>(wrote);
        }
    }
    bool Close() {
        if (fd_ >= 0 && ::close(fd_) != 0) ok_ = false;
        fd_ = -1;
        return ok_;
    }

  private:
    int fd_;
    bool ok_ = true;
};

}  // namespace

int RecordSession(const Options& options, const std::string& password) {
    RecordingFile file(options.output);
    if (!file.Ok()) {
        std::fprintf(stderr, "telorad-cli: cannot write %s\n", options.output.c_str());
        return kExitCannotWrite;
    }
    ServerLink link(options, password);
    Client& client = link.client();
    std::uint64_t messages = 0;
    Clock::time_point first;
    client.onMessageReceived = [&](const ReceivedMessage& received) {
        const std::vector<std::uint8_t> message = RecordedBytes(received);
        if (message.empty()) return;
        const auto now = Clock::now();
        if (messages++ == 0) first = now;
        const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now - first).count();
        file.Write(EncodeRecord(static_cast<std::uint64_t>(micros), message.data(), message.size()));
    };
    if (const int failed = link.Login()) {
        file.Close();
        std::remove(options.output.c_str());
        return failed;
    }
    // From here on only the duration, the frames and Ctrl+C end the recording.
    link.NoDeadline();
    const auto end = options.durationSeconds > 0
                         ? Clock::now() + std::chrono::seconds(options.durationSeconds)
                         : Clock::time_point::max();
    int frames = 0;
    std::uint64_t updatesAtFrameStart = client.received.updates;
    std::uint64_t updatesSeen = updatesAtFrameStart;
    Clock::time_point lastUpdate = Clock::now();
    int result = kExitOk;
    while (Clock::now() < end && !Interrupted() && file.Ok()) {
        int failure = 0;
        // A frame under way is complete once the server has paused for kFrameGap.
        const bool inFrame = updatesSeen != updatesAtFrameStart;
        const auto wakeBy = inFrame ? std::min(end, lastUpdate + kFrameGap) : end;
        if (link.Poll(failure, wakeBy) < 0) {
            result = failure == kExitInterrupted ? kExitOk : failure;
            break;
        }
        const auto now = Clock::now();
        if (client.received.updates != updatesSeen) {
            updatesSeen = client.received.updates;
            lastUpdate = now;
        } else if (updatesSeen != updatesAtFrameStart && now - lastUpdate >= kFrameGap) {
            // The server paused after sending updates: one frame is complete.
            updatesAtFrameStart = updatesSeen;
            ++frames;
            if (options.frames > 0 && frames >= options.frames) break;
        }
    }
    DisconnectFromServer(client);
    if (!file.Close()) {
        std::fprintf(stderr, "telorad-cli: cannot write %s\n", options.output.c_str());
        return kExitCannotWrite;
    }
    std::printf("%s: %llu messages, %d frames\n", options.output.c_str(),
                static_cast<unsigned long long>(messages), frames);
    return result;
}

int ReplayRecordingToFile(const Options& options) {
    std::ifstream in(options.recording, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "telorad-cli: cannot read %s\n", options.recording.c_str());
        return kExitBadRecording;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    std::vector<RecordedMessage> messages;
    std::string error;
    ScreenBitmap framebuffer;
    ScreenBitmap tile;
    const std::uint64_t at = options.atSeconds < 0
                                 ? UINT64_MAX
                                 : static_cast<std::uint64_t>(std::llround(options.atSeconds * 1e6));
    if (!ReadRecording(bytes, messages, error) ||
        !ReplayRecording(bytes, messages, at, framebuffer, tile, error)) {
        std::fprintf(stderr, "telorad-cli: %s: %s\n", options.recording.c_str(), error.c_str());
        return kExitBadRecording;
    }
    if (!framebuffer.flags) {
        std::fprintf(stderr, "telorad-cli: %s holds no screen geometry before that moment\n",
                     options.recording.c_str());
        return kExitBadRecording;
    }
    return WritePictureFile(options.output, framebuffer);
}

}  // namespace telorad::cli
