#include "image_files.h"

#ifdef TELORAD_WITH_PNG
#include <png.h>
#endif

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

#include "screen/bmp_file.h"

namespace telorad::cli {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

#ifdef TELORAD_WITH_PNG
bool WritePng(std::FILE* file, const RgbImage& image) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3;
    for (std::int32_t y = 0; y < image.height; ++y) {
        png_write_row(png, image.rgb.data() + static_cast<std::size_t>(y) * rowBytes);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

// Any PNG, converted by libpng to 8-bit RGB (palette, grey and 16-bit expanded or reduced,
// alpha dropped).
bool ReadPng(std::FILE* file, RgbImage& image, std::string& error) {
    png_image reader{};
    reader.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_stdio(&reader, file)) {
        error = reader.message;
        return false;
    }
    if (reader.width == 0 || reader.height == 0 || reader.width > kMaxPictureSide ||
        reader.height > kMaxPictureSide) {
        png_image_free(&reader);
        error = "the PNG file's size is out of range";
        return false;
    }
    reader.format = PNG_FORMAT_RGB;
    image.width = static_cast<std::int32_t>(reader.width);
    image.height = static_cast<std::int32_t>(reader.height);
    image.rgb.resize(PNG_IMAGE_SIZE(reader));
    if (!png_image_finish_read(&reader, nullptr, image.rgb.data(), 0, nullptr)) {
        error = reader.message;
        png_image_free(&reader);
        return false;
    }
    return true;
}

#else
// A build without libpng (the Windows cross build) reads and writes BMP only.
bool WritePng(std::FILE*, const RgbImage&) { return false; }
bool ReadPng(std::FILE*, RgbImage&, std::string& error) {
    error = "this build of telorad-cli reads and writes BMP files only";
    return false;
}
#endif

}  // namespace

bool IsPngName(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ending = path.substr(path.size() - 4);
    for (char& c : ending) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ending == ".png";
}

bool WritePicture(const std::string& path, const ScreenBitmap& picture, std::string& error) {
    bool written = false;
    if (IsPngName(path)) {
        const RgbImage image = BitmapToRgb(picture);
        File file(std::fopen(path.c_str(), "wb"));
        written = file && image.width > 0 && WritePng(file.get(), image) &&
                  std::fclose(file.release()) == 0;
    } else {
        const std::vector<std::uint8_t> bytes = EncodeBmpFile(picture);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (out && !bytes.empty()) {
            out.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::streamsize>(bytes.size()));
            out.close();
            written = static_cast<bool>(out);
        }
    }
    if (!written) {
        error = "cannot write " + path;
        std::remove(path.c_str());
    }
    return written;
}

bool ReadPicture(const std::string& path, RgbImage& image, std::string& error) {
    std::string why;
    bool read = false;
    if (IsPngName(path)) {
        File file(std::fopen(path.c_str(), "rb"));
        read = file && ReadPng(file.get(), image, why);
    } else {
        std::ifstream in(path, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                              std::istreambuf_iterator<char>()};
        read = in.is_open() && DecodeBmpFile(bytes, image, why);
    }
    if (!read) error = "cannot read the picture " + path + (why.empty() ? "" : ": " + why);
    return read;
}

}  // namespace telorad::cli
