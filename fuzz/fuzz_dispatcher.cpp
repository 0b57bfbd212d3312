// Feeds arbitrary server bytes to the client's receive path in pieces the input chooses: its
// first byte sets how the rest is cut (0: whole), so partial messages wait between polls as they
// do on a slow link. The bytes go through a local socket pair, as a real connection would bring
// them, and the stream ends where the input ends.
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "app/client.h"
#include "app/null_window_system.h"
#include "app/receive_poll.h"
#include "net/transport.h"
#include "net/wire.h"
#include "screen/screen_bitmap.h"
#include "server_stream.h"

namespace {

// One client serves every input; ResetForInput gives each the state a fresh one starts with.
struct FuzzedClient {
    FuzzedClient() : client(window) {
        client.pollWaitMs = 0;
        client.connectParams.password = "fuzz";
        // No input is slow for lack of bytes: each ends with the end of the stream. A stall
        // limit that a busy machine could reach would make runs differ from their replays.
        client.connection.stallTimeoutMs = 60000;
        // Small pictures reach every path a gigabyte does, without the time spent clearing it;
        // below 128 KiB AddressSanitizer's allocator also keeps them off fresh mappings.
        client.pictureLimitBytes = 64 << 10;
    }

    void ResetForInput(telorad::SocketHandle socket) {
        client.connection.socket = socket;
        client.connection.sendCipher = telorad::CipherState{};
        client.connection.receiveCipher = telorad::CipherState{};
        client.parser.Reset();
        client.screenInfo = telorad::ScreenInfo{};
        client.received = {};
        client.view = telorad::ViewState{};
        window.ResizeWindow({telorad::kStartupWidth, telorad::kStartupHeight});
        // The white start-up picture is left out: nothing on the receive path reads the
        // framebuffer before a geometry has replaced it, and rebuilding 230 KB per input
        // would cost more than the rest of the run.
        telorad::DestroyScreenBitmap(client.framebuffer);
        telorad::DestroyScreenBitmap(client.tile);
    }

    telorad::NullWindowSystem window;
    telorad::Client client;
};

// Polls until the client has taken all it can; false once it gave the connection up.
bool Drain(telorad::Client& client) {
    for (int polls = 0; polls < 100000; ++polls) {
        const int result = telorad::ReceivePoll(client);
        if (result < 0) return false;
        if (result == 0) return true;
    }
    return false;
}

// An input is cut into at most this many pieces: enough to stop in every part of a message,
// few enough that system calls do not dominate a long input.
constexpr std::size_t kMaxPieces = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > 200 * 1024) return 0;  // what one socket buffer holds unread
    const std::uint8_t cut = data[0];
    ++data;
    --size;
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return 0;
    int room = 1 << 20;
    setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &room, sizeof room);
    setsockopt(fds[0], SOL_SOCKET, SO_RCVBUF, &room, sizeof room);

    static FuzzedClient fuzzed;
    fuzzed.ResetForInput(fds[0]);
    telorad::Client& client = fuzzed.client;

    // Piece sizes from 1 to 4 × cut, drawn from a generator the cut byte seeds.
    const std::size_t minPiece = (size + kMaxPieces - 1) / kMaxPieces;
    std::uint32_t generator = cut;
    bool open = true;
    std::size_t at = 0;
    while (open && at < size) {
        std::size_t piece = size - at;
        if (cut != 0) {
            generator = generator * 1103515245u + 12345u;
            piece = std::min<std::size_t>(
                piece, std::max<std::size_t>(minPiece, 1 + (generator >> 16) % (4u * cut)));
        }
        const ssize_t put = ::send(fds[1], data + at, piece, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (put <= 0) break;
        at += static_cast<std::size_t>(put);
        open = Drain(client);
    }
    ::shutdown(fds[1], SHUT_WR);
    if (open) Drain(client);
    telorad::CloseConnection(client.connection);
    ::close(fds[1]);
    return 0;
}

// Structure-aware mutations: the stream is decrypted, cut into messages, changed as a whole
// message or inside one (lengths kept right), and encrypted again where the server would.
extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace {

// Byte mutations inside one message; an update's length follows its new size.
void MutateInside(std::vector<std::uint8_t>& plain, const fuzz::StreamUnit& unit,
                  std::size_t room) {
    std::vector<std::uint8_t> bytes(plain.begin() + unit.offset,
                                    plain.begin() + unit.offset + unit.size);
    bytes.resize(unit.size + room);
    bytes.resize(LLVMFuzzerMutate(bytes.data(), unit.size, bytes.size()));
    if (bytes.size() >= telorad::kHeaderSize + telorad::kUpdateRectSize) {
        const std::uint32_t type = telorad::GetU32(bytes.data());
        if (type == telorad::MSG_SCREEN_RAW || type == telorad::MSG_SCREEN_RLE) {
            telorad::PutU32(bytes.data() + 4,
                            static_cast<std::uint32_t>(bytes.size() - telorad::kHeaderSize));
        }
    }
    plain.erase(plain.begin() + unit.offset, plain.begin() + unit.offset + unit.size);
    plain.insert(plain.begin() + unit.offset, bytes.begin(), bytes.end());
}

}  // namespace

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size,
                                               std::size_t maxSize, unsigned seed) {
    std::minstd_rand random(seed);
    if (size == 0 || maxSize < 2) return LLVMFuzzerMutate(data, size, maxSize);
    std::vector<std::uint8_t> plain = fuzz::WireToPlain({data + 1, size - 1});
    const std::vector<fuzz::StreamUnit> units = fuzz::SplitStream(plain);
    const std::size_t room = maxSize - 1 > plain.size() ? maxSize - 1 - plain.size() : 0;
    // A message boundary, or a whole message, chosen at random.
    const auto boundary = [&] {
        const std::size_t k = random() % (units.size() + 1);
        return k == units.size() ? plain.size() : units[k].offset;
    };
    const auto anyUnit = [&] { return units[random() % units.size()]; };
    switch (random() % 8) {
        case 0:
        case 1: {
            plain.resize(plain.size() + room);
            plain.resize(LLVMFuzzerMutate(plain.data(), plain.size() - room, plain.size()));
            break;
        }
        case 2:
        case 3: {
            const std::vector<std::uint8_t> message = fuzz::MakeMessage(random);
            plain.insert(plain.begin() + static_cast<std::ptrdiff_t>(boundary()), message.begin(),
                         message.end());
            break;
        }
        case 4:
            if (!units.empty()) {
                const fuzz::StreamUnit unit = anyUnit();
                plain.erase(plain.begin() + unit.offset, plain.begin() + unit.offset + unit.size);
            }
            break;
        case 5:
            if (!units.empty()) {
                const fuzz::StreamUnit unit = anyUnit();
                const std::vector<std::uint8_t> copy(plain.begin() + unit.offset,
                                                     plain.begin() + unit.offset + unit.size);
                plain.insert(plain.begin() + static_cast<std::ptrdiff_t>(boundary()), copy.begin(),
                             copy.end());
            }
            break;
        case 6:
            if (!units.empty()) MutateInside(plain, anyUnit(), room);
            break;
        default:
            data[0] = static_cast<std::uint8_t>(random());
            break;
    }
    const std::vector<std::uint8_t> wire = fuzz::PlainToWire(plain);
    const std::size_t kept = std::min(wire.size(), maxSize - 1);
    std::copy(wire.begin(), wire.begin() + static_cast<std::ptrdiff_t>(kept), data + 1);
    return 1 + kept;
}
