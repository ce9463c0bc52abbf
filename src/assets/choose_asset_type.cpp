#include <iostream>

#include "assets/asset_types.h"
#include "console/console.h"

AssetType chooseAssetType() {
  for (;;) {
    std::cout << green << "\n\nWhat kind of asset is it?" << cyan
              << assetTypeMenu();
    AssetType type = assetTypeForMenuKey(readLine());
    if (type != Unrecognised)
      return type;
    // A script that has run out of lines would be asked for ever.
    if (inputEnded())
      return Unrecognised;
    std::cout << red
              << "\nSorry, but I don't know what that is. Choose one of the "
                 "following...";
  }
}
