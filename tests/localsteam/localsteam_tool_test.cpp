// The control tool drav-localsteam, run as its own process against a store
// that the test reads directly. The scenarios use its verbs to set up every
// case and `show`/`list`/`status` to check the store after; here what they
// leave out: bad input, concurrent runs and writes that fail.
#include <stdlib.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <thread>

#include <gtest/gtest.h>

#include "files/paths.h"
#include "localsteam/local_store.h"
#include "test_util.h"

namespace {

struct cRun {
  int status = -1;
  std::string out, err;
};

class LocalSteamToolTest : public ::testing::Test {
 protected:
  /// Runs the tool with `words` after its name; `tag` names its output
  /// files, so that runs may overlap. Without `room` no file may grow, so
  /// every write of a store file fails; all the tool says then goes through
  /// a pipe into `out`, and its status after it.
  cRun runWords(const std::vector<std::string>& words, const std::string& tag = "run",
                bool room = true) {
    std::string command = joinPath(getToolFolder(), DRAV_LOCALSTEAM_NAME);
    for (const std::string& word : words)
      command += " " + quote(word);
    if (!room)
      command = "(trap '' XFSZ; ulimit -f 0; " + command + " 2>&1; echo \" $?\") | cat";
    std::string out = temp_.file(tag + ".out"), err = temp_.file(tag + ".err");
    // A braced list is evaluated in order: the run, then what it wrote.
    cRun result{system((command + " >" + quote(out) + " 2>" + quote(err)).c_str()),
                readFile(out), readFile(err)};
    // POSIX hands back a wait status (exit code in the second byte),
    // Windows the exit code itself.
    result.status = result.status > 255 ? result.status >> 8 : result.status;
    if (!room)
      result.status = atoi(result.out.substr(result.out.rfind(' ') + 1).c_str());
    return result;
  }
  cRun run(const std::string& verb, std::vector<std::string> args = {}) {
    args.insert(args.begin(), {verb, store_.folder()});
    return runWords(args);
  }

  static std::string quote(const std::string& text) { return "\"" + text + "\""; }

  ScopedTempDir temp_;
  cLocalStore store_{temp_.file("store")};
};

// Every bad command line, and a store whose settings are not JSON; the
// usage, on standard output only when asked for.
TEST_F(LocalSteamToolTest, BadInputExitsTwoWithOneLineAndUsageComesWhenAskedFor) {
  EXPECT_EQ(2, run("show", {"1000000"}).status);  // no store yet
  ASSERT_EQ(0, run("init").status);
  writeFile(temp_.file("a.txt"), "a");
  const std::vector<std::vector<std::string>> cases = {
      {"init"}, {"frobnicate"}, {"break"}, {"subscribe", "5"},
      {"show", "1000000"}, {"set", "next-id", "12x"}, {"set", "next-id", "-1"},
      {"set", "next-id", "+1"}, {"set", "next-id", " 1"}, {"set", "next-id", "0"},
      {"set", "next-id", "18446744073709551616"}, {"set", "latency", "fast"},
      {"set", "latency", "4294967296"}, {"set", "user", "maybe"}, {"set", "colour", "red"},
      {"fault", "remove", "refuse"}, {"fault", "create", "sometimes"},
      {"fault", "create", "refuse", "-1"}, {"set", "latency", "-0"},
      {"publish", "--title", "t", temp_.file("missing.txt")}, {"publish", temp_.file("a.txt")}};
  for (const auto& words : cases) {
    SCOPED_TRACE(words[0] + " " + (words.size() > 1 ? words[1] : ""));
    cRun result = run(words[0], std::vector<std::string>(words.begin() + 1, words.end()));
    EXPECT_EQ(2, result.status);
    EXPECT_EQ("", result.out);
    ASSERT_FALSE(result.err.empty());
    EXPECT_EQ(result.err.size() - 1, result.err.find('\n'));
  }
  writeFile(joinPath(store_.folder(), "settings.json"), "{\"account\": ");
  EXPECT_EQ(1, run("status").status);

  const std::vector<std::string> usages[] = {{"help"}, {"--help"}, {"set", "--help"}, {}, {"list"}};
  for (const auto& words : usages) {
    cRun result = runWords(words);
    bool asked = !words.empty() && words.back().find("help") != std::string::npos;
    EXPECT_EQ(asked ? 0 : 2, result.status) << result.err;
    EXPECT_NE(std::string::npos, (asked ? result.out : result.err).find("  set STORE latency MS"));
    EXPECT_EQ("", asked ? result.err : result.out);
  }
  EXPECT_NE(std::string::npos, runWords({"frob", "--help"}).err.find("unknown verb frob"));
}

// Each run reads the subscription list, adds its item and writes the list
// back; a long list keeps both runs inside that stretch at once, so only
// the store's lock keeps one from dropping the other's item.
TEST_F(LocalSteamToolTest, TwoProcessesChangeOneStoreAtOnce) {
  ASSERT_EQ(0, run("init").status);
  std::string list = "[1";
  for (int i = 0; i < 200000; ++i)
    list += ",1";
  writeFile(joinPath(store_.folder(), "subscriptions.json"), list + "]");
  cStoreItem item;
  for (item.id = 2; item.id <= 3; ++item.id)
    ASSERT_TRUE(store_.writeItem(item));
  cRun second;
  std::thread other([&] { second = runWords({"subscribe", store_.folder(), "3"}, "second"); });
  EXPECT_EQ(0, run("subscribe", {"2"}).status);
  other.join();
  EXPECT_EQ(0, second.status) << second.err;
  std::vector<PublishedFileId_t> subscribed;
  ASSERT_TRUE(store_.readSubscriptions(&subscribed));
  EXPECT_EQ(200003u, subscribed.size());
}

#ifndef _WIN32
// Every store file is replaced whole through a temporary file (one
// function writes them all), so whoever holds the old one (here a second
// link) reads it whole; a write that fails is said and changes nothing.
TEST_F(LocalSteamToolTest, StoreFilesAreReplacedWholeAndFailedWritesSaySo) {
  ASSERT_EQ(0, run("init").status);
  writeFile(temp_.file("map_a.txt"), "abc");
  ASSERT_EQ(0, run("publish", {"--title", "a", temp_.file("map_a.txt")}).status);
  std::string path = joinPath(store_.folder(), "settings.json");
  std::string before = readFile(path);
  ASSERT_EQ(0, link(path.c_str(), temp_.file("old").c_str()));
  ASSERT_EQ(0, run("set", {"latency", "5"}).status);
  EXPECT_EQ(before, readFile(temp_.file("old")));

  const std::string settings = readFile(path);
  const std::vector<std::vector<std::string>> writes = {
      {"set", store_.folder(), "latency", "7"},
      {"subscribe", store_.folder(), "1000000"},
      {"publish", store_.folder(), "--title", "c", temp_.file("map_a.txt")}};
  for (const auto& words : writes) {
    cRun failed = runWords(words, "full", false);
    EXPECT_EQ(1, failed.status) << words[0];
    EXPECT_NE(std::string::npos, failed.out.find("cannot write the store")) << failed.out;
  }
  EXPECT_EQ(settings, readFile(path));
  std::vector<PublishedFileId_t> ids;
  EXPECT_TRUE(store_.readSubscriptions(&ids) && ids.empty());
  EXPECT_FALSE(store_.itemExists(1000001));
}
#endif

}  // namespace
