#include "tile_updates.h"

#include <algorithm>
#include <cstring>

#include "net/wire.h"
#include "rle_encoder.h"
#include "screen/rle.h"

namespace telorad::server {

namespace {

std::size_t BytesPerPixel(int bitsPerPixel) { return static_cast<std::size_t>(bitsPerPixel) / 8; }

const std::uint8_t* PictureRow(const ScreenBitmap& picture, int y) {
    return picture.pixels.data() + static_cast<std::size_t>(picture.height - 1 - y) *
                                       static_cast<std::size_t>(picture.stride);
}

bool SameGeometry(const ScreenBitmap& a, const ScreenBitmap& b) {
    return a.flags != 0 && b.flags != 0 && a.width == b.width && a.height == b.height &&
           a.bitsPerPixel == b.bitsPerPixel && a.rowOrder == b.rowOrder;
}

bool TileDiffers(const ScreenBitmap& previous, const ScreenBitmap& current, const TileRect& rect) {
    const std::size_t bpp = BytesPerPixel(current.bitsPerPixel);
    const std::size_t offset = static_cast<std::size_t>(rect.x) * bpp;
    const std::size_t count = static_cast<std::size_t>(rect.width) * bpp;
    for (int r = 0; r < rect.height; ++r) {
        if (std::memcmp(PictureRow(previous, rect.y + r) + offset,
                        PictureRow(current, rect.y + r) + offset, count) != 0) {
            return true;
        }
    }
    return false;
}

// The one place where a tile is run-length coded. False: the code does not fit the client's
// 64 KiB scratch buffer, so the tile goes raw.
bool CodeTile(const std::vector<std::uint8_t>& tileMemory, std::vector<std::uint8_t>& coded,
              std::size_t& codedBytes) {
    coded.resize(kRleScratchBytes);
    const auto result =
        EncodeRle16(tileMemory.data(), tileMemory.size() / 2, coded.data(), coded.size());
    if (!result) return false;
    codedBytes = *result;
    return true;
}

}  // namespace

std::vector<TileRect> ChangedTiles(const ScreenBitmap& previous, const ScreenBitmap& current,
                                   int tileSize) {
    std::vector<TileRect> tiles;
    if (current.flags == 0 || tileSize <= 0) return tiles;
    const bool compare = SameGeometry(previous, current);
    for (int y = 0; y < current.height; y += tileSize) {
        for (int x = 0; x < current.width; x += tileSize) {
            const TileRect rect{x, y, std::min(tileSize, current.width - x),
                                std::min(tileSize, current.height - y)};
            if (!compare || TileDiffers(previous, current, rect)) tiles.push_back(rect);
        }
    }
    return tiles;
}

std::int64_t TileMemoryBytes(int tileSize, int bitsPerPixel) {
    return RowStride(tileSize, bitsPerPixel) * tileSize;
}

void LayOutTile(const ScreenBitmap& picture, const TileRect& rect, int tileSize,
                std::vector<std::uint8_t>& tileMemory) {
    const std::size_t tileStride =
        static_cast<std::size_t>(RowStride(tileSize, picture.bitsPerPixel));
    tileMemory.assign(tileStride * static_cast<std::size_t>(tileSize), 0);
    const std::size_t bpp = BytesPerPixel(picture.bitsPerPixel);
    const std::size_t offset = static_cast<std::size_t>(rect.x) * bpp;
    const std::size_t count = static_cast<std::size_t>(rect.width) * bpp;
    for (int r = 0; r < rect.height; ++r) {
        std::memcpy(tileMemory.data() + static_cast<std::size_t>(tileSize - 1 - r) * tileStride,
                    PictureRow(picture, rect.y + r) + offset, count);
    }
}

void BuildTileUpdate(const ScreenBitmap& picture, const TileRect& rect, int tileSize,
                     TileEncoding encoding, TileScratch& scratch,
                     std::vector<std::uint8_t>& message) {
    LayOutTile(picture, rect, tileSize, scratch.tileMemory);
    std::uint32_t type = MSG_SCREEN_RAW;
    const std::uint8_t* payload = scratch.tileMemory.data();
    std::size_t payloadBytes = scratch.tileMemory.size();
    std::size_t codedBytes = 0;
    if (encoding == TileEncoding::Rle && CodeTile(scratch.tileMemory, scratch.coded, codedBytes)) {
        type = MSG_SCREEN_RLE;
        payload = scratch.coded.data();
        payloadBytes = codedBytes;
    }
    message.resize(kHeaderSize + kUpdateRectSize + payloadBytes);
    EncodeHeader({type, static_cast<std::uint32_t>(kUpdateRectSize + payloadBytes)},
                 message.data());
    EncodeUpdateRect({rect.x, rect.y, rect.width, rect.height}, message.data() + kHeaderSize);
    std::memcpy(message.data() + kHeaderSize + kUpdateRectSize, payload, payloadBytes);
}

}  // namespace telorad::server
