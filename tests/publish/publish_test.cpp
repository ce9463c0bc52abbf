// Choosing an item to update, with a count of the query handles held.
#include <string>

#include <gtest/gtest.h>

#include "app/workshop_session.h"
#include "localsteam/local_steam.h"

namespace {

class cCountingUgc : public cLocalUgc {
 public:
  using cLocalUgc::cLocalUgc;
  UGCQueryHandle_t CreateQueryUserUGCRequest(AccountID_t account, EUserUGCList list,
                                             EUGCMatchingUGCType type,
                                             EUserUGCListSortOrder order, AppId_t creator,
                                             AppId_t consumer, uint32_t page) override {
    ++created;
    ++held;
    return cLocalUgc::CreateQueryUserUGCRequest(account, list, type, order, creator,
                                                consumer, page);
  }
  bool ReleaseQueryUGCRequest(UGCQueryHandle_t handle) override {
    bool released = cLocalUgc::ReleaseQueryUGCRequest(handle);
    held -= released ? 1 : 0;
    return released;
  }

  int created = 0;
  int held = 0;
};

class cCountingSteam : public cLocalSteam {
 public:
  using cLocalSteam::cLocalSteam;
  ISteamUGC* ugc() override { return cLocalSteam::ugc() ? &counting : nullptr; }

  cCountingUgc counting{this};
};

TEST(ChooseItemTest, EveryQueryHandleIsReleasedAfterAnInvalidChoice) {
  cWorkshopSession session;
  session.publish("map_a.txt", "map");
  cCountingSteam steam(session.store.folder());
  std::string output = session.run(&steam, "2\n1\n2\n-1\n2\n99\nx\n", [&] {
    EXPECT_EQ(3, steam.counting.created);
    EXPECT_EQ(0, steam.counting.held);
  });
  size_t refusals = 0;
  for (size_t at = 0; (at = output.find("Invalid choice!", at)) != std::string::npos; ++at)
    ++refusals;
  EXPECT_EQ(3u, refusals) << output;
}

}  // namespace
