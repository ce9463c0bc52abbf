// The game's own files, which may not be published as workshop items.
#ifndef DRAV_ASSETS_STOCK_FILES_H_
#define DRAV_ASSETS_STOCK_FILES_H_

#include <string>

/// True when the file name of `path` is one of the game's stock files.
bool isStockFile(const std::string& path);

#endif  // DRAV_ASSETS_STOCK_FILES_H_
