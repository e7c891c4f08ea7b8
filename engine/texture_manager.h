// The texture manager: 64 texture slots keyed by file name. Objects hold a
// texture as its slot number (0: none). Textures come from .TEX files, are
// shared by name (no reference count), cut to the size limit of their group,
// converted to 16 bits with an optional transparent key colour, and kept in
// the graphics board's texture memory.
//
// .TEX file: u16 width, u16 height, then width x height texels row by row from
// the top, each R, G, B. A texture whose name holds '_' is colour-keyed: its
// texels of exactly the key colour are transparent.
#pragma once

#include <cstdint>
#include <memory>

using TextureSlot = std::uint8_t;

constexpr int TEXTURE_SLOT_COUNT = 64;
constexpr int TEXTURE_NAME_SIZE = 260;
inline constexpr const char* UNUSED_TEXTURE_NAME = "UNUSED TEXTURE";

// Slot states.
constexpr std::uint8_t TEXTURE_UNUSED = 0;
constexpr std::uint8_t TEXTURE_FREED = 1;  // memory kept for a texture of the same size
constexpr std::uint8_t TEXTURE_LOADED = 2;

// Next free address of a texture unit not yet read from the board.
constexpr std::uint32_t TEXTURE_ADDRESS_UNKNOWN = 0xFFFFFFFFu;

// The key colour of textures loaded from now on.
struct ColourKey {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};
extern ColourKey g_ColourKey;

// Largest side allowed per texture group, in units of 32 pixels (8 = 256).
constexpr int TEXTURE_SIZE_CLASS_COUNT = 47;
extern std::uint8_t g_TextureSizeClasses[TEXTURE_SIZE_CLASS_COUNT];

// Groups of the size table.
constexpr int SIZE_CLASS_REFLECTION = 0;
constexpr int SIZE_CLASS_FIRST_LAND = 1;   // land piece n uses 1 + n (n = 0..7)
constexpr int SIZE_CLASS_FIRST_RIDER = 9;  // rider i uses 28 - i
constexpr int SIZE_CLASS_LAST_RIDER = 28;
constexpr int SIZE_CLASS_BIKE = 29;
constexpr int SIZE_CLASS_BIKE_2 = 30;
constexpr int SIZE_CLASS_GROUND = 31;
constexpr int SIZE_CLASS_RAIN = 32;
constexpr int SIZE_CLASS_SKY = 33;
constexpr int SIZE_CLASS_FIRST_UI = 34;  // the named user-interface textures, 34..44

// The limit that Load uses for `name` (upper case): the table entry of a named
// user-interface texture or of a land piece ("LND" and its number), else
// `callerLimit`.
std::uint8_t TextureLimitForName(const char* name, std::uint8_t callerLimit);

// A texture in the board's layout: the long side's level of detail (log2, no
// mipmaps), the aspect (log2 of width/height, negative when taller than
// wide), and the texel format (always ARGB 1-5-5-5).
struct TextureDescription {
  std::int32_t smallLodLog2;
  std::int32_t largeLodLog2;
  std::int32_t aspectLog2;
  std::int32_t format;
  const void* data;  // only while loading
};

// Texels as read from a .TEX file, reduced and converted to ARGB 1-5-5-5.
struct TexPixels {
  std::unique_ptr<std::uint16_t[]> texels;
  std::uint16_t width = 0;
  std::uint16_t height = 0;
};

// A .TEX file read whole and checked against its own size, and the part
// kept under a size limit: every stepX-th texel of every stepY-th row, at
// most `limit` x 32 on each side (a limit of 0 counts as 1).
struct TexImage {
  std::unique_ptr<std::uint8_t[]> rgb;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t outWidth = 0;
  std::uint32_t outHeight = 0;
  std::uint32_t stepX = 1;
  std::uint32_t stepY = 1;
  // Kept texel (x, y): its R, G and B.
  const std::uint8_t* Kept(std::uint32_t x, std::uint32_t y) const {
    return rgb.get() + 3ull * (static_cast<std::uint64_t>(width) * (static_cast<std::uint64_t>(y) * stepY) +
                               static_cast<std::uint64_t>(x) * stepX);
  }
};
enum class TexRead { OK, NOT_FOUND, DAMAGED, NO_MEMORY };
TexRead ReadTexImage(const char* name, std::uint8_t limit, TexImage* out);
// The texel of a .TEX file at (u, v), 0..1 across each side, as R, G, B;
// false beyond its edges or its bytes, or when it cannot be read.
bool ReadTexTexel(const char* name, float u, float v, std::uint8_t rgb[3]);

class TextureManager {
 public:
  TextureManager();

  // Loads the texture of file `name` (upper-cased in place) into a slot, or
  // finds the slot that already holds that name. "NULL" gives slot 0. False
  // after a reported failure, or without a message when every slot is taken.
  bool Load(char* name, TextureSlot* slot, std::uint8_t limit);
  // Makes the slot the current texture (0: none).
  bool Select(TextureSlot slot);
  // Forgets the slot's name; its memory stays for a texture of the same size.
  void Free(TextureSlot slot);
  // Reads the slot's file again at the size it had.
  bool Reload(TextureSlot slot);
  // After the device was reopened: every loaded texture again, packed from
  // the start of texture memory. The first failure stops it.
  bool ReloadAll();
  // The same, going on past failures, to gather the textures after a scene's
  // worth of them was freed.
  void Repack();
  // The colour of the slot's file at (u, v), each channel cut to the bits the
  // board keeps, 0..1; black when the file cannot be read.
  void SampleTexel(TextureSlot slot, float u, float v, float* red, float* green, float* blue);
  // Exit handler: every name emptied.
  void ClearNames();

  // The steps of Load: the file read, reduced to `limit` x 32 on each side
  // and converted; then the description and the coordinate scales.
  static bool ReadTexFile(const char* name, bool keyed, std::uint8_t limit, std::uint8_t keyRed,
                          std::uint8_t keyGreen, std::uint8_t keyBlue, TexPixels* out);
  static bool ComputeTexInfo(std::uint16_t width, std::uint16_t height, TextureDescription* info, float* sScale,
                             float* tScale);

  TextureDescription description[TEXTURE_SLOT_COUNT];
  std::uint32_t memorySize[TEXTURE_SLOT_COUNT];
  std::uint32_t startAddress[TEXTURE_SLOT_COUNT];
  std::uint8_t keyed[TEXTURE_SLOT_COUNT];
  std::uint32_t nextFreeAddress[2];
  std::uint32_t unit[TEXTURE_SLOT_COUNT];
  std::uint8_t state[TEXTURE_SLOT_COUNT];
  // Factors for 0..1 texture coordinates (256 on the long side).
  float sScale[TEXTURE_SLOT_COUNT];
  float tScale[TEXTURE_SLOT_COUNT];
  std::uint8_t alphaReference;
  TextureSlot selected;
  char name[TEXTURE_SLOT_COUNT][TEXTURE_NAME_SIZE];
  std::uint16_t width[TEXTURE_SLOT_COUNT];
  std::uint16_t height[TEXTURE_SLOT_COUNT];
  ColourKey keyColour[TEXTURE_SLOT_COUNT];

 private:
  // Places a texture of `size` bytes in texture memory; false after the
  // "not enough texture memory" report.
  bool Allocate(std::uint32_t size, std::uint32_t* unitOut, std::uint32_t* startOut);
  void Download(TextureSlot slot);
};

extern TextureManager& g_TextureManager;
