// The store on disk below the control tool and the service: damaged files
// are read without failing hard, and changes leave nothing behind.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "files/directory.h"
#include "files/paths.h"
#include "localsteam/local_store.h"
#include "test_util.h"

namespace {

TEST(ParseUnsigned, AcceptsOnlyPlainDecimalsThatFit) {
  struct {
    const char* text;
    uint64_t max;
    bool ok;
    uint64_t value;
  } cases[] = {
      {"0", UINT64_MAX, true, 0},
      {"1001", UINT64_MAX, true, 1001},
      {"18446744073709551615", UINT64_MAX, true, UINT64_MAX},
      {"18446744073709551616", UINT64_MAX, false, 0},
      {"99999999999999999999", UINT64_MAX, false, 0},
      {"4294967295", UINT32_MAX, true, UINT32_MAX},
      {"4294967296", UINT32_MAX, false, 0},
      {"", UINT64_MAX, false, 0},
      {"-1", UINT64_MAX, false, 0},
      {"+1", UINT64_MAX, false, 0},
      {" 1", UINT64_MAX, false, 0},
      {"1x", UINT64_MAX, false, 0},
  };
  for (const auto& c : cases) {
    uint64_t value = 0;
    EXPECT_EQ(c.ok, parseUnsigned(c.text, c.max, &value)) << c.text;
    if (c.ok) {
      EXPECT_EQ(c.value, value) << c.text;
    }
  }
}

class LocalStoreTest : public ::testing::Test {
 protected:
  LocalStoreTest() : store_(temp_.file("store")) {}
  void SetUp() override { ASSERT_TRUE(store_.create(42)); }

  ScopedTempDir temp_;
  cLocalStore store_;
};

TEST_F(LocalStoreTest, DamagedFilesReadAsFailureOrDefaults) {
  writeFile(joinPath(store_.folder(), "settings.json"), "{\"account\": ");
  cStoreSettings settings;
  EXPECT_FALSE(store_.readSettings(&settings));

  writeFile(joinPath(store_.folder(), "settings.json"),
            "{\"account\": \"x\", \"latency\": -4, \"nextId\": 1.5, \"faults\": {\"create\": 3}}");
  ASSERT_TRUE(store_.readSettings(&settings));
  EXPECT_EQ(1001u, settings.account);
  EXPECT_EQ(20u, settings.latencyMs);
  EXPECT_EQ(1000000u, settings.nextId);
  EXPECT_TRUE(settings.faults.empty());

  createFolder(joinPath(joinPath(store_.folder(), "items"), "7"));
  writeFile(joinPath(joinPath(joinPath(store_.folder(), "items"), "7"), "item.json"),
            "{\"title\": 5, \"tags\": \"no\"}");
  cStoreItem item;
  ASSERT_TRUE(store_.readItem(7, &item));
  EXPECT_EQ("", item.title);
  EXPECT_TRUE(item.tags.empty());
  writeFile(joinPath(store_.folder(), "subscriptions.json"), "[1, \"2\", -3, 4");
  std::vector<PublishedFileId_t> ids;
  EXPECT_FALSE(store_.readSubscriptions(&ids));
}

TEST_F(LocalStoreTest, ChangesLeaveNoTemporaryFilesOrOldContent) {
  std::string source = temp_.file("a.txt");
  writeFile(source, "a");
  cStoreItem item;
  ASSERT_TRUE(store_.allocateId(&item.id));
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(store_.copyContentFiles(&item, {source}));
    ASSERT_TRUE(store_.writeItem(item));
    store_.dropOldContent(item);
  }
  ASSERT_TRUE(store_.subscribe({item.id}));
  ASSERT_TRUE(store_.cacheItem(item));
  ASSERT_TRUE(store_.cacheItem(item));
  std::vector<std::string> names;
  std::error_code error;
  for (auto entry = std::filesystem::recursive_directory_iterator(store_.folder(), error);
       entry != std::filesystem::recursive_directory_iterator(); entry.increment(error))
    names.push_back(entry->path().filename().string());
  for (const std::string& name : names) {
    EXPECT_EQ(std::string::npos, name.find(".tmp")) << name;
    EXPECT_EQ(std::string::npos, name.find(".old")) << name;
    EXPECT_NE("content-1", name);
  }
  EXPECT_EQ("a", readFile(joinPath(store_.cacheFolder(item.id), "a.txt")));
}

}  // namespace
