#pragma once
// Cutting a picture into update tiles: which tiles changed since the last frame sent, and the
// update message of one tile. The tile memory is the client's update tile: T × T pixels,
// rows bottom-up and padded to 4 bytes, with the rectangle in the top-left corner, so tile
// picture row r sits in memory row T - 1 - r. The whole memory is sent, raw or coded.
#include <cstdint>
#include <vector>

#include "options.h"
#include "screen/screen_bitmap.h"

namespace telorad::server {

struct TileRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Tiles in rows from the top-left, edge tiles cut to the picture. All of them when previous
// is empty or of another geometry.
std::vector<TileRect> ChangedTiles(const ScreenBitmap& previous, const ScreenBitmap& current,
                                   int tileSize);

// Bytes of a tile memory: RowStride(T, depth) × T.
std::int64_t TileMemoryBytes(int tileSize, int bitsPerPixel);

// Lays the rectangle of picture out as tile memory (resized to TileMemoryBytes; the bytes
// outside the rectangle are zero).
void LayOutTile(const ScreenBitmap& picture, const TileRect& rect, int tileSize,
                std::vector<std::uint8_t>& tileMemory);

// Reusable buffers, so a frame allocates nothing once they have grown.
struct TileScratch {
    std::vector<std::uint8_t> tileMemory;
    std::vector<std::uint8_t> coded;
};

// The whole update message for one tile: header (MSG_SCREEN_RAW or MSG_SCREEN_RLE, length
// 16 + n), UpdateRect, payload. RLE falls back to raw when the code would pass 65,536 bytes.
void BuildTileUpdate(const ScreenBitmap& picture, const TileRect& rect, int tileSize,
                     TileEncoding encoding, TileScratch& scratch,
                     std::vector<std::uint8_t>& message);

}  // namespace telorad::server
