// DecodeRle16's output rate beside memcpy and memset writing the same number of bytes.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "screen/rle.h"

namespace {

using Clock = std::chrono::steady_clock;

// Keeps the compiler from dropping writes nobody reads.
void Touch(void* p) { asm volatile("" : : "r"(p) : "memory"); }

// Bytes per second of the best of five rounds, each repeating body for at least 0.1 s.
double Rate(std::size_t bytesPerCall, const std::function<void()>& body) {
    double best = 0;
    for (int round = 0; round < 5; ++round) {
        std::int64_t calls = 0;
        const auto start = Clock::now();
        auto now = start;
        do {
            for (int k = 0; k < 16; ++k) body();
            calls += 16;
            now = Clock::now();
        } while (now - start < std::chrono::milliseconds(100));
        const double seconds = std::chrono::duration<double>(now - start).count();
        best = std::max(best, static_cast<double>(calls) * bytesPerCall / seconds);
    }
    return best;
}

void PutWord(std::vector<std::uint8_t>& code, std::uint32_t word) {
    code.push_back(static_cast<std::uint8_t>(word));
    code.push_back(static_cast<std::uint8_t>(word >> 8));
}

// Runs of runLength words until outputBytes are covered; the value's two bytes differ.
std::vector<std::uint8_t> RunCode(std::size_t outputBytes, std::size_t runLength) {
    std::vector<std::uint8_t> code;
    for (std::size_t words = 0, k = 0; words < outputBytes / 2; words += runLength, ++k) {
        const std::size_t count = std::min(runLength, outputBytes / 2 - words);
        PutWord(code, 0x8000 + static_cast<std::uint32_t>(count));
        PutWord(code, 0x1234 + static_cast<std::uint32_t>(k * 0x0101) % 0x4000);
    }
    return code;
}

// Literals of literalLength words of varying data.
std::vector<std::uint8_t> LiteralCode(std::size_t outputBytes, std::size_t literalLength) {
    std::vector<std::uint8_t> code;
    for (std::size_t words = 0; words < outputBytes / 2;) {
        const std::size_t count = std::min(literalLength, outputBytes / 2 - words);
        PutWord(code, static_cast<std::uint32_t>(count));
        for (std::size_t k = 0; k < count; ++k, ++words) {
            PutWord(code, static_cast<std::uint32_t>(words * 2654435761u >> 16));
        }
    }
    return code;
}

void Measure(const char* name, std::size_t outputBytes, const std::vector<std::uint8_t>& code) {
    std::vector<std::uint8_t> out(outputBytes), from(outputBytes, 0x5A);
    const auto words = static_cast<std::int32_t>(code.size() / 2);
    bool ok = true;
    const double decode = Rate(outputBytes, [&] {
        ok &= telorad::DecodeRle16(code.data(), words, out.data(), out.size());
        Touch(out.data());
    });
    const double copy = Rate(outputBytes, [&] {
        std::memcpy(out.data(), from.data(), out.size());
        Touch(out.data());
    });
    const double fill = Rate(outputBytes, [&] {
        std::memset(out.data(), 0x77, out.size());
        Touch(out.data());
    });
    std::printf(
        "%-34s %9zu B  decode %8.0f MB/s  memcpy %8.0f MB/s  memset %8.0f MB/s  "
        "decode/memcpy %.2f  decode/memset %.2f%s\n",
        name, outputBytes, decode / 1e6, copy / 1e6, fill / 1e6, decode / copy, decode / fill,
        ok ? "" : "  (DECODE FAILED)");
}

}  // namespace

int main() {
    constexpr std::size_t kTile = 64 * 64 * 4;       // the server's default tile at 32 bits
    constexpr std::size_t kLarge = 1920 * 1080 * 4;  // a full 1080p frame at 32 bits
    for (std::size_t size : {kTile, kLarge}) {
        const char* where = size == kTile ? "tile 64x64x32" : "1920x1080x32";
        char name[64];
        std::snprintf(name, sizeof name, "runs of 64 words, %s", where);
        Measure(name, size, RunCode(size, 64));
        std::snprintf(name, sizeof name, "runs of 4 words, %s", where);
        Measure(name, size, RunCode(size, 4));
        std::snprintf(name, sizeof name, "literals of 0x7FFF, %s", where);
        Measure(name, size, LiteralCode(size, 0x7FFF));
        std::snprintf(name, sizeof name, "literals of 8 words, %s", where);
        Measure(name, size, LiteralCode(size, 8));
    }
    return 0;
}
