#include "support/test_support.h"

// The helpers that need no operating-system call of their own.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "net/wire.h"

namespace telorad::testing {

std::uint32_t SentMessage::Word(std::size_t index) const {
    return GetU32(payload.data() + 4 * index);
}

std::vector<SentMessage> SplitMessages(const std::vector<std::uint8_t>& bytes) {
    std::vector<SentMessage> messages;
    std::size_t at = 0;
    while (at + kHeaderSize <= bytes.size()) {
        const MessageHeader header = DecodeHeader(bytes.data() + at);
        at += kHeaderSize;
        if (bytes.size() - at < header.length) {
            ADD_FAILURE() << "short message of type " << header.type;
            return messages;
        }
        const auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(at);
        messages.push_back(
            {header.type, {begin, begin + static_cast<std::ptrdiff_t>(header.length)}});
        at += header.length;
    }
    EXPECT_EQ(at, bytes.size()) << "trailing bytes";
    return messages;
}

TempDir::~TempDir() {
    std::error_code error;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(path_, error);
}

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
    return WriteAll(fd, bytes.data(), bytes.size());
}

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

}  // namespace telorad::testing
