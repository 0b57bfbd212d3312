// Reads and writes remote.ini through Windows' own profile functions, as other programs on the
// system do, so tests can check that both sides read each other's files byte for byte.
//   profile_probe read FILE KEY          prints the value of [Client] KEY in hex ("" if empty)
//   profile_probe write FILE KEY HEX     writes the bytes given in hex as [Client] KEY
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int Read(const char* file, const char* key) {
    char value[256] = {};
    GetPrivateProfileStringA("Client", key, "", value, sizeof value, file);
    for (const char* at = value; *at != '\0'; ++at) {
        std::printf("%02x", static_cast<unsigned char>(*at));
    }
    std::printf("\n");
    return 0;
}

int Write(const char* file, const char* key, const std::string& hex) {
    if (hex.size() % 2 != 0) return 64;
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        bytes += static_cast<char>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
    }
    return WritePrivateProfileStringA("Client", key, bytes.c_str(), file) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "read" && argc == 4) return Read(argv[2], argv[3]);
    if (command == "write" && argc == 5) return Write(argv[2], argv[3], argv[4]);
    std::fprintf(stderr, "usage: profile_probe read FILE KEY | write FILE KEY HEX\n");
    return 64;
}
