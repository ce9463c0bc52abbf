// The control tool drav-localsteam, run as its own process against a store
// that the test and the in-process service share.
#include <stdlib.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "files/directory.h"
#include "files/paths.h"
#include "localsteam/local_steam.h"
#include "localsteam/local_store.h"
#include "platform/files.h"
#include "test_util.h"

using nlohmann::json;

namespace {

struct cRun {
  int status = -1;
  std::string out;
  std::string err;
};

class LocalSteamToolTest : public ::testing::Test {
 protected:
  LocalSteamToolTest() : store_(temp_.file("store")) {}

  /// Runs the tool with `verb`, the store and `args`; `tag` names its
  /// output files, so that runs may overlap.
  cRun run(const std::string& verb, const std::vector<std::string>& args = {},
           const std::string& tag = "run") {
    std::vector<std::string> words = {verb, store_.folder()};
    words.insert(words.end(), args.begin(), args.end());
    return runWords(words, tag);
  }

  /// Runs the tool with exactly `words` after its name.
  cRun runWords(const std::vector<std::string>& words, const std::string& tag = "run") {
    std::string command = joinPath(getToolFolder(), DRAV_LOCALSTEAM_NAME);
    for (const std::string& word : words)
      command += " " + quote(word);
    std::string out = temp_.file(tag + ".out"), err = temp_.file(tag + ".err");
    command += " >" + quote(out) + " 2>" + quote(err);
    cRun result;
    int status = system(command.c_str());
    // POSIX hands back a wait status (exit code in the second byte),
    // Windows the exit code itself.
    result.status = status > 255 ? status >> 8 : status;
    result.out = withoutCarriageReturns(readFile(out));
    result.err = withoutCarriageReturns(readFile(err));
    return result;
  }

  // Windows writes the tool's text with CR LF line ends.
  static std::string withoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
  }

#ifndef _WIN32
  /// Runs the tool with `words` where no file may grow, so that every
  /// write of a store file fails; standard error goes through a pipe.
  cRun runWithoutRoom(const std::vector<std::string>& words) {
    std::string command = "(trap '' XFSZ; ulimit -f 0; " +
                          quote(joinPath(getToolFolder(), DRAV_LOCALSTEAM_NAME));
    for (const std::string& word : words)
      command += " " + quote(word);
    std::string err = temp_.file("full.err");
    command += " 2>&1 >/dev/null; echo \"status $?\") | cat >" + quote(err);
    cRun result;
    if (system(command.c_str()) != 0)
      return result;
    std::string text = readFile(err);
    size_t end = text.rfind("status ");
    if (end != std::string::npos) {
      result.status = atoi(text.c_str() + end + 7);
      result.err = text.substr(0, end);
    }
    return result;
  }
#endif

  static std::string quote(const std::string& text) { return "\"" + text + "\""; }

  json runJson(const std::string& verb, const std::vector<std::string>& args = {}) {
    cRun result = run(verb, args);
    EXPECT_EQ(0, result.status) << result.err;
    return json::parse(result.out, nullptr, false);
  }

  std::string file(const std::string& name, const std::string& content) {
    std::string path = temp_.file(name);
    writeFile(path, content);
    return path;
  }

  ScopedTempDir temp_;
  cLocalStore store_;
};

TEST_F(LocalSteamToolTest, InitPublishShowAndList) {
  ASSERT_EQ(0, run("init", {"--account", "42"}).status);
  cRun published = run("publish", {"--title", "My map", "--metadata", "1", "--tag", "Map",
                                   "--tag", "Extra", file("map_a.txt", "abc"),
                                   file("map_b.txt", "hello")});
  ASSERT_EQ(0, published.status) << published.err;
  EXPECT_EQ(json(1000000), json::parse(published.out, nullptr, false));
  ASSERT_EQ(0, run("publish", {"--title", "Theirs", "--owner", "7", "--app", "999",
                               file("x.txt", "x")}).status);

  json shown = runJson("show", {"1000000"});
  EXPECT_EQ(1000000u, shown.value("id", 0u));
  EXPECT_EQ("My map", shown.value("title", ""));
  EXPECT_EQ(42u, shown.value("owner", 0u));
  EXPECT_EQ(toolAppId(), shown.value("app", 0u));
  EXPECT_EQ("1", shown.value("metadata", ""));
  EXPECT_EQ(0, shown.value("visibility", -1));
  EXPECT_EQ(json({"Map", "Extra"}), shown["tags"]);
  EXPECT_EQ(json::parse(R"([{"name": "map_a.txt", "size": 3}, {"name": "map_b.txt", "size": 5}])"),
            shown["content"]);
  EXPECT_TRUE(shown["changeNotes"].is_array());

  json all = runJson("list");
  ASSERT_EQ(2u, all.size());
  json theirs = runJson("list", {"--owner", "7"});
  ASSERT_EQ(1u, theirs.size());
  EXPECT_EQ(999u, theirs[0].value("app", 0u));

  cRun again = run("init");
  EXPECT_EQ(2, again.status);

  // A new id passes over the items that exist; a title that is not UTF-8
  // is kept with a replacement character.
  ASSERT_EQ(0, run("set", {"next-id", "1000000"}).status);
  cRun odd = run("publish", {"--title", "caf\xe9", file("y.txt", "y")});
  EXPECT_EQ(json(1000002), json::parse(odd.out, nullptr, false)) << odd.err;
#ifndef _WIN32
  EXPECT_EQ("caf\xef\xbf\xbd", runJson("show", {"1000002"}).value("title", ""));
#endif
}

TEST_F(LocalSteamToolTest, BadInputExitsTwoWithOneLine) {
  cRun noStore = run("show", {"1000000"});
  EXPECT_EQ(2, noStore.status);
  ASSERT_EQ(0, run("init").status);
  std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"frobnicate", {}},
      {"show", {"1000000"}},
      {"show", {"12x"}},
      {"subscribe", {"5"}},
      {"set", {"latency", "fast"}},
      {"set", {"next-id", "18446744073709551616"}},
      {"set", {"user", "maybe"}},
      {"set", {"colour", "red"}},
      {"fault", {"remove", "refuse"}},
      {"fault", {"create", "sometimes"}},
      {"fault", {"create", "refuse", "-1"}},
      {"publish", {"--title", "t", temp_.file("missing.txt")}},
      {"publish", {file("a.txt", "a")}},
      {"break", {}},
  };
  for (const auto& c : cases) {
    cRun result = run(c.first, c.second);
    SCOPED_TRACE(c.first + " " + (c.second.empty() ? "" : c.second[0]));
    EXPECT_EQ(2, result.status);
    EXPECT_EQ("", result.out);
    ASSERT_FALSE(result.err.empty());
    EXPECT_EQ(result.err.size() - 1, result.err.find('\n'));
  }
}

TEST_F(LocalSteamToolTest, HelpListsEveryVerb) {
  const char* const verbs[] = {"init", "status", "list", "show", "publish", "subscribe",
                               "unsubscribe", "install", "uninstall", "break", "set", "fault"};
  struct cHelpCase {
    std::vector<std::string> words;
    int status;
    bool onStdout;
  };
  const cHelpCase cases[] = {
      {{"help"}, 0, true}, {{"--help"}, 0, true}, {{}, 2, false}, {{"list"}, 2, false}};
  for (const cHelpCase& one : cases) {
    cRun result = runWords(one.words);
    SCOPED_TRACE(one.words.empty() ? "(nothing)" : one.words[0]);
    EXPECT_EQ(one.status, result.status);
    const std::string& text = one.onStdout ? result.out : result.err;
    EXPECT_EQ("", one.onStdout ? result.err : result.out);
    for (const char* verb : verbs)
      EXPECT_NE(std::string::npos, text.find(std::string("\n  ") + verb + " STORE")) << verb;
  }
  cRun set = runWords({"set", "--help"});
  EXPECT_EQ(0, set.status);
  EXPECT_NE(std::string::npos, set.out.find("  set STORE latency MS\n      delays"));
  EXPECT_EQ(std::string::npos, set.out.find("  fault STORE"));
  cRun unknown = runWords({"frob", "--help"});
  EXPECT_EQ(2, unknown.status);
  EXPECT_NE(std::string::npos, unknown.err.find("unknown verb frob"));
}

// How the service acts on each setting and fault is the service's own test;
// here the tool's verbs must land in the store and come back from status.
TEST_F(LocalSteamToolTest, SetAndFaultShowInStatus) {
  ASSERT_EQ(0, run("init").status);
  for (auto setting : std::vector<std::vector<std::string>>{
           {"client", "stopped"}, {"user", "off"}, {"workshop", "off"}, {"latency", "5"},
           {"legal", "pending"}, {"noise", "on"}, {"next-id", "77"}})
    ASSERT_EQ(0, run("set", setting).status) << setting[0];
  ASSERT_EQ(0, run("fault", {"query", "16", "2"}).status);
  ASSERT_EQ(0, run("fault", {"download", "iofail"}).status);
  ASSERT_EQ(0, run("fault", {"delete", "refuse"}).status);
  cStoreSettings settings;
  ASSERT_TRUE(store_.readSettings(&settings));
  settings.richPresence["status"] = "DRAV (Workshop)";
  ASSERT_TRUE(store_.writeSettings(settings));

  json status = runJson("status");
  EXPECT_EQ("stopped", status.value("client", ""));
  EXPECT_EQ("off", status.value("user", ""));
  EXPECT_EQ("off", status.value("workshop", ""));
  EXPECT_EQ(5u, status.value("latency", 0u));
  EXPECT_EQ("pending", status.value("legal", ""));
  EXPECT_EQ("on", status.value("noise", ""));
  EXPECT_EQ(77u, status.value("nextId", 0u));
  EXPECT_EQ(json::parse(R"({"query": {"outcome": 16, "count": 2},
                            "download": {"outcome": "iofail", "count": 1},
                            "delete": {"outcome": "refuse", "count": 1}})"),
            status["faults"]);
  EXPECT_EQ("DRAV (Workshop)", status["richPresence"].value("status", ""));

  ASSERT_EQ(0, run("fault", {"query", "16", "0"}).status);
  EXPECT_EQ(0u, runJson("status")["faults"].count("query"));
}

TEST_F(LocalSteamToolTest, SubscribeInstallBreakAndUninstall) {
  ASSERT_EQ(0, run("init").status);
  ASSERT_EQ(0, run("publish", {"--title", "a", file("map_a.txt", "abc")}).status);
  ASSERT_EQ(0, run("publish", {"--title", "b", file("map_b.txt", "b")}).status);
  ASSERT_EQ(0, run("subscribe", {"1000001", "1000000"}).status);
  EXPECT_EQ(json({1000001, 1000000}), runJson("status")["subscriptions"]);
  ASSERT_EQ(0, run("unsubscribe", {"1000001"}).status);
  EXPECT_EQ(json({1000000}), runJson("status")["subscriptions"]);

  uint32_t time;
  ASSERT_EQ(0, run("install", {"1000000"}).status);
  EXPECT_EQ("abc", readFile(joinPath(store_.cacheFolder(1000000), "map_a.txt")));
  ASSERT_EQ(0, run("break", {"1000000"}).status);
  EXPECT_NE(kFolder, fileStatus(store_.cacheFolder(1000000)).kind);
  EXPECT_TRUE(store_.isCached(1000000, &time));
  ASSERT_EQ(0, run("uninstall", {"1000000"}).status);
  EXPECT_FALSE(store_.isCached(1000000, &time));
}

TEST_F(LocalSteamToolTest, IdsAboveTwoToTheSixtyThirdRoundTrip) {
  ASSERT_EQ(0, run("init").status);
  ASSERT_EQ(0, run("set", {"next-id", "18446744073709551614"}).status);
  cRun published = run("publish", {"--title", "big", file("a.txt", "a")});
  EXPECT_EQ(json(18446744073709551614ULL), json::parse(published.out, nullptr, false));
  ASSERT_EQ(0, run("subscribe", {"18446744073709551614"}).status);
  json shown = runJson("show", {"18446744073709551614"});
  EXPECT_EQ(18446744073709551614ULL, shown.value("id", uint64_t{0}));
  json status = runJson("status");
  EXPECT_EQ(18446744073709551614ULL, status["subscriptions"][0].get<uint64_t>());
  EXPECT_EQ(18446744073709551615ULL, status.value("nextId", uint64_t{0}));
}

TEST_F(LocalSteamToolTest, TwoProcessesChangeOneStoreAtOnce) {
  ASSERT_EQ(0, run("init").status);
  std::vector<std::string> halves[2];
  for (uint64_t n = 0; n < 400; ++n) {
    cStoreItem item;
    item.id = 2000000 + n;
    item.owner = static_cast<uint32_t>(n + 1);  // small owner indexes: a quick set-up
    ASSERT_TRUE(store_.writeItem(item));
    halves[n % 2].push_back(std::to_string(item.id));
  }
  cRun results[2];
  std::thread first([&] { results[0] = run("subscribe", halves[0], "first"); });
  std::thread second([&] { results[1] = run("subscribe", halves[1], "second"); });
  first.join();
  second.join();
  EXPECT_EQ(0, results[0].status) << results[0].err;
  EXPECT_EQ(0, results[1].status) << results[1].err;
  std::vector<PublishedFileId_t> subscribed;
  ASSERT_TRUE(store_.readSubscriptions(&subscribed));
  EXPECT_EQ(400u, subscribed.size());
}

#ifndef _WIN32
// Each store file is replaced whole through a temporary file, so whoever
// holds the old one (here a second link) reads it whole; a write that
// fails (no file may grow: every write fails) is said and changes nothing.
TEST_F(LocalSteamToolTest, StoreFilesAreReplacedWholeAndFailedWritesSaySo) {
  ASSERT_EQ(0, run("init").status);
  ASSERT_EQ(0, run("publish", {"--title", "a", file("map_a.txt", "abc")}).status);
  const std::string files[] = {joinPath(store_.folder(), "settings.json"),
                               joinPath(store_.folder(), "items/1000000/item.json")};
  std::string before[2];
  for (int i = 0; i < 2; ++i) {
    before[i] = readFile(files[i]);
    ASSERT_EQ(0, link(files[i].c_str(), temp_.file("old" + std::to_string(i)).c_str()));
  }
  ASSERT_EQ(0, run("set", {"latency", "5"}).status);
  ASSERT_EQ(0, run("publish", {"--title", "b", file("map_b.txt", "b")}).status);
  EXPECT_EQ(5u, runJson("status").value("latency", 0u));
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(before[i], readFile(temp_.file("old" + std::to_string(i)))) << files[i];

  const std::string settings = readFile(files[0]);
  const std::vector<std::vector<std::string>> writes = {
      {"set", store_.folder(), "latency", "7"},
      {"subscribe", store_.folder(), "1000000"},
      {"publish", store_.folder(), "--title", "c", file("map_c.txt", "c")}};
  for (const auto& words : writes) {
    cRun failed = runWithoutRoom(words);
    EXPECT_EQ(1, failed.status) << words[0];
    EXPECT_NE(std::string::npos, failed.err.find("cannot write the store")) << failed.err;
  }
  EXPECT_EQ(settings, readFile(files[0]));
  json status = runJson("status");
  EXPECT_EQ(json::array(), status["subscriptions"]);
  EXPECT_EQ(2u, runJson("list").size());
}
#endif

TEST_F(LocalSteamToolTest, ServiceChangesAreSeenByTheTool) {
  ASSERT_EQ(0, run("init").status);
  std::unique_ptr<cSteamBackend> steam(newLocalSteam(store_.folder()));
  ASSERT_TRUE(steam->init());
  ISteamUGC* ugc = steam->ugc();
  SteamAPICall_t call = ugc->CreateItem(toolAppId(), k_EWorkshopFileTypeCommunity);
  ASSERT_NE(k_uAPICallInvalid, call);
  for (int i = 0; i < 500 && !store_.itemExists(1000000); ++i)
    steam->runCallbacks();
  steam->shutdown();
  json shown = runJson("show", {"1000000"});
  EXPECT_EQ(2, shown.value("visibility", -1));
  EXPECT_EQ(json::array(), shown["content"]);
  EXPECT_EQ(1001u, shown.value("owner", 0u));
}

}  // namespace
