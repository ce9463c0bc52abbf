// The install over many subscriptions, run in-process.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/workshop_session.h"
#include "files/paths.h"
#include "localsteam/local_steam.h"

namespace {

// Steam allows 10,000 subscriptions; the last of them is installed too. The
// others name no item, so each is refused at once.
TEST(InstallTest, TheTenThousandthSubscriptionIsInstalled) {
  cWorkshopSession session;
  PublishedFileId_t last = session.publish("last_item.txt", "installed");
  ASSERT_TRUE(session.store.subscribe({last}));
  // The list alone, written at once: subscribing one by one takes seconds.
  std::string list = "[";
  for (PublishedFileId_t id = 1; id < 10000; ++id)
    list += std::to_string(id) + ",";
  writeFile(joinPath(session.store.folder(), "subscriptions.json"),
            list + std::to_string(last) + "]");
  cStoreItem item;
  ASSERT_TRUE(session.store.readItem(last, &item));
  ASSERT_TRUE(session.store.cacheItem(item));
  std::unique_ptr<cSteamBackend> steam(newLocalSteam(session.store.folder()));
  std::string output = session.run(steam.get(), "3\nx\n", [] {});
  EXPECT_EQ("installed", readFile(joinPath(session.game(), "last_item.txt")))
      << output.substr(output.size() > 2000 ? output.size() - 2000 : 0);
}

}  // namespace
