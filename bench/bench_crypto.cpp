// Throughput of the stream cipher and MD5, each beside OpenSSL's RC4 and MD5 on the same data in
// the same run. Prints MB/s (10^6 bytes per second) and the ratio ours / OpenSSL.
// The low-level RC4 and MD5 calls are deprecated in OpenSSL 3 but are the fair comparison here.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "crypto/cipher.h"
#include "crypto/md5.h"

#if __has_include(<openssl/rc4.h>) && __has_include(<openssl/md5.h>)
#include <openssl/md5.h>
#include <openssl/rc4.h>
#define TELORAD_HAVE_OPENSSL 1
#else
#define TELORAD_HAVE_OPENSSL 0
#endif

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr int kChunk = 1024;
constexpr int kTrials = 9;

std::vector<std::uint8_t> Pattern(std::size_t length) {
    std::vector<std::uint8_t> bytes(length);
    std::uint32_t x = 2463534242u;
    for (auto& byte : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        byte = static_cast<std::uint8_t>(x);
    }
    return bytes;
}

double MegabytesPerSecond(std::size_t bytesPerRound, int rounds,
                          const std::function<void()>& body) {
    const auto start = Clock::now();
    for (int r = 0; r < rounds; ++r) body();
    const std::chrono::duration<double> elapsed = Clock::now() - start;
    return static_cast<double>(bytesPerRound) * rounds / elapsed.count() / 1e6;
}

// Trials of ours and the reference alternate, so that load from other processes hits both
// alike; the best trial of each counts. A null reference is reported alone.
void Compare(const char* what, std::size_t bytesPerRound, int rounds,
             const std::function<void()>& ours, const std::function<void()>& reference) {
    double bestOurs = 0;
    double bestReference = 0;
    for (int trial = 0; trial < kTrials; ++trial) {
        bestOurs = std::max(bestOurs, MegabytesPerSecond(bytesPerRound, rounds, ours));
        if (reference) {
            bestReference =
                std::max(bestReference, MegabytesPerSecond(bytesPerRound, rounds, reference));
        }
    }
    if (reference) {
        std::printf("%-34s ours %8.1f MB/s   OpenSSL %8.1f MB/s   ratio %.2f\n", what, bestOurs,
                    bestReference, bestOurs / bestReference);
    } else {
        std::printf("%-34s ours %8.1f MB/s   (no OpenSSL reference)\n", what, bestOurs);
    }
}

std::uint32_t Fold(const std::uint8_t* bytes, std::size_t length) {
    std::uint32_t sum = 0;
    for (std::size_t n = 0; n < length; ++n) sum = sum * 31 + bytes[n];
    return sum;
}

}  // namespace

int main() {
    using namespace telorad;
    const auto data = Pattern(kBufferSize);
    std::vector<std::uint8_t> out(kBufferSize);
    std::vector<std::uint8_t> work = data;
    std::uint8_t key[16];
    for (int n = 0; n < 16; ++n) key[n] = static_cast<std::uint8_t>(n * 29 + 7);
    std::uint32_t sink = 0;

    CipherState state;
    CipherSetKey(state, key, 16);
    std::function<void()> rc4Separate;
    std::function<void()> rc4InPlace;
    std::function<void()> rc4Whole;
#if TELORAD_HAVE_OPENSSL
    RC4_KEY rc4;
    RC4_set_key(&rc4, 16, key);
    rc4Separate = [&] {
        for (std::size_t at = 0; at < kBufferSize; at += kChunk) {
            RC4(&rc4, kChunk, data.data() + at, out.data() + at);
        }
    };
    rc4InPlace = [&] {
        for (std::size_t at = 0; at < kBufferSize; at += kChunk) {
            RC4(&rc4, kChunk, work.data() + at, work.data() + at);
        }
    };
    rc4Whole = [&] { RC4(&rc4, kBufferSize, data.data(), out.data()); };
#endif
    // 1,024-byte chunks of a 64 KiB buffer: into a separate buffer as the send path does, and in
    // place as the receive path does. 32 MiB per trial.
    const int cipherRounds = 512;
    Compare(
        "cipher, 1 KiB chunks, separate", kBufferSize, cipherRounds,
        [&] {
            for (std::size_t at = 0; at < kBufferSize; at += kChunk) {
                CipherCrypt(state, data.data() + at, kChunk, out.data() + at);
            }
        },
        rc4Separate);
    sink += Fold(out.data(), 64);
    Compare(
        "cipher, 1 KiB chunks, in place", kBufferSize, cipherRounds,
        [&] {
            for (std::size_t at = 0; at < kBufferSize; at += kChunk) {
                CipherCrypt(state, work.data() + at, kChunk, work.data() + at);
            }
        },
        rc4InPlace);
    sink += Fold(work.data(), 64);
    Compare(
        "cipher, whole 64 KiB buffers", kBufferSize, cipherRounds,
        [&] { CipherCrypt(state, data.data(), static_cast<int>(kBufferSize), out.data()); },
        rc4Whole);
    sink += Fold(out.data(), 64);

    // MD5 of whole inputs of two sizes, 8 MiB per trial.
    for (const std::size_t size : {kBufferSize, std::size_t{1024}}) {
        const int repeats = static_cast<int>((kBufferSize / size) * 128);
        Digest16 digest{};
        std::function<void()> reference;
#if TELORAD_HAVE_OPENSSL
        unsigned char theirs[MD5_DIGEST_LENGTH];
        reference = [&] {
            MD5_CTX context;
            MD5_Init(&context);
            MD5_Update(&context, data.data(), size);
            MD5_Final(theirs, &context);
            sink += theirs[0];
        };
#endif
        char label[64];
        std::snprintf(label, sizeof label, "MD5, %zu-byte input", size);
        Compare(
            label, size, repeats,
            [&] {
                Md5Context context;
                Md5Init(context);
                Md5Update(context, data.data(), static_cast<std::uint32_t>(size));
                digest = Md5Final(context);
                sink += digest[0];
            },
            reference);
#if TELORAD_HAVE_OPENSSL
        if (std::memcmp(theirs, digest.data(), digest.size()) != 0) {
            std::printf("MD5 differs from OpenSSL at %zu bytes\n", size);
            return 1;
        }
#endif
    }

    std::printf("(checksum %08x)\n", static_cast<unsigned>(sink));
    return 0;
}
