// The asset type catalogue: the kinds of workshop asset, told apart by
// their file names.
#ifndef DRAV_ASSETS_ASSET_TYPES_H_
#define DRAV_ASSETS_ASSET_TYPES_H_

#include <stdint.h>

#include <string>

/// The numbers are stored on workshop items as their metadata and must not
/// change.
enum AssetType : int32_t {
  Unrecognised = 0,
  Map = 1,
  Leaderboard = 2,
  ServerSettings = 3,
  ChatMacros = 4,
  Translations = 5,
  BotConfig = 6,
  BotMovements = 7,
  Recording = 8,
};

/// The type that the file-name rules give for a bare file name; 0 when
/// none matches.
AssetType detectAssetType(const std::string& name);

/// True when the file name of `path` has the `expected` type. Otherwise
/// prints the type's rule message (grey for an empty path, else magenta)
/// and returns false.
bool checkAssetFileName(int expected, const std::string& path);

/// The display name, also the item's tag: "UNKNOWN" for 0, "UNDEFINED!"
/// for numbers outside 0 to 8.
std::string assetTypeName(int type);

/// The open-file dialog filter block of the type; the empty filter for
/// numbers outside 1 to 8.
const char* assetTypeFileFilter(int type);

/// The game sub-folder into which a file of the type is installed; "" for
/// the workshop path itself.
std::string assetTypeInstallFolder(int type);

/// The type that a key of the asset type menu stands for; Unrecognised
/// when the line is not exactly one of the keys "1" to "8".
AssetType assetTypeForMenuKey(const std::string& line);

/// Asks for the kind of an asset by the asset type menu until a key of it
/// is given; Unrecognised when the input has ended.
AssetType chooseAssetType();

/// The lines of the asset type menu, in the order of their keys.
std::string assetTypeMenu();

#endif  // DRAV_ASSETS_ASSET_TYPES_H_
