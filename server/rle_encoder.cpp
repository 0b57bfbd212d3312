#include "rle_encoder.h"

#include <cstring>

namespace telorad::server {
namespace {

// Equal words this long become a run; shorter ones stay inside a literal, where they cost no
// more than a run would and do not split it.
constexpr std::size_t kMinRun = 3;

bool SameWord(const std::uint8_t* words, std::size_t a, std::size_t b) {
    return words[2 * a] == words[2 * b] && words[2 * a + 1] == words[2 * b + 1];
}

class Writer {
  public:
    Writer(std::uint8_t* out, std::size_t capacity) : out_(out), capacity_(capacity) {}

    bool Token(std::size_t value) {
        if (capacity_ - used_ < 2) return false;
        out_[used_] = static_cast<std::uint8_t>(value);
        out_[used_ + 1] = static_cast<std::uint8_t>(value >> 8);
        used_ += 2;
        return true;
    }
    bool Bytes(const std::uint8_t* from, std::size_t count) {
        if (capacity_ - used_ < count) return false;
        if (count != 0) std::memcpy(out_ + used_, from, count);
        used_ += count;
        return true;
    }
    std::size_t used() const { return used_; }

  private:
    std::uint8_t* out_;
    std::size_t capacity_;
    std::size_t used_ = 0;
};

// Emits words [begin, end) as literals of at most kMaxRleCount words.
bool FlushLiteral(Writer& writer, const std::uint8_t* words, std::size_t begin, std::size_t end) {
    while (begin < end) {
        const std::size_t count = end - begin < kMaxRleCount ? end - begin : kMaxRleCount;
        if (!writer.Token(count) || !writer.Bytes(words + 2 * begin, 2 * count)) return false;
        begin += count;
    }
    return true;
}

}  // namespace

std::optional<std::size_t> EncodeRle16(const std::uint8_t* words, std::size_t wordCount,
                                       std::uint8_t* out, std::size_t outCapacity) {
    Writer writer(out, outCapacity);
    std::size_t literalBegin = 0;
    std::size_t i = 0;
    while (i < wordCount) {
        std::size_t run = 1;
        while (i + run < wordCount && run < kMaxRleCount && SameWord(words, i, i + run)) ++run;
        if (run < kMinRun) {
            i += run;
            continue;
        }
        if (!FlushLiteral(writer, words, literalBegin, i)) return std::nullopt;
        if (!writer.Token(0x8000 + run) || !writer.Bytes(words + 2 * i, 2)) return std::nullopt;
        i += run;
        literalBegin = i;
    }
    if (!FlushLiteral(writer, words, literalBegin, wordCount)) return std::nullopt;
    writer.Token(0);  // the end mark is optional: decoding also stops at the last word
    return writer.used();
}

}  // namespace telorad::server
