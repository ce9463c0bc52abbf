// drav-localsteam: sets up and inspects the store of the local workshop
// service, for people and tests. Usage: drav-localsteam VERB STORE ...;
// `drav-localsteam --help` lists the verbs.
// Prints data as JSON on stdout; exits 0 on success, 2 with one line on
// stderr on bad input, 1 when the store can't be written.
#include <stdio.h>

#include <algorithm>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/files.h"
#include "localsteam/local_store.h"
#include "steam/app_id.h"

using nlohmann::json;

namespace {

typedef std::vector<std::string> cArgs;

const int kBadInput = 2;
const int kFailed = 1;

int fail(int status, const std::string& message) {
  fprintf(stderr, "drav-localsteam: %s\n", message.c_str());
  return status;
}

int badInput(const std::string& message) {
  return fail(kBadInput, message);
}

int cannotWrite(const cLocalStore& store) {
  return fail(kFailed, "cannot write the store in " + store.folder());
}

/// The one-line usage of `verb` on stderr; the bad input status.
int usageOf(const std::string& verb);

void printJson(const json& value) {
  printf("%s\n", value.dump(2, ' ', false, json::error_handler_t::replace).c_str());
}

bool parseU32(const std::string& text, uint32_t* value) {
  uint64_t wide;
  if (!parseUnsigned(text, UINT32_MAX, &wide))
    return false;
  *value = static_cast<uint32_t>(wide);
  return true;
}

/// Parses the ids; with `mustExist`, each must name an item of the store.
bool parseIds(const cLocalStore& store, const cArgs& args, std::vector<PublishedFileId_t>* ids,
              int* status) {
  if (args.empty()) {
    *status = badInput("no item id given");
    return false;
  }
  for (const std::string& arg : args) {
    uint64_t id;
    if (!parseUnsigned(arg, UINT64_MAX, &id)) {
      *status = badInput("not an item id: " + arg);
      return false;
    }
    if (!store.itemExists(id)) {
      *status = badInput("unknown item " + arg);
      return false;
    }
    ids->push_back(id);
  }
  return true;
}

/// Reads the settings under the lock, lets `change` edit them and writes
/// them back; `change` returns an exit status (0 = write).
template <class F>
int changeSettings(const cLocalStore& store, F change) {
  cStoreLock lock(store.folder());
  cStoreSettings settings;
  if (!lock.held() || !store.readSettings(&settings))
    return fail(kFailed, "cannot read the store in " + store.folder());
  int status = change(&settings);
  if (status != 0)
    return status;
  return store.writeSettings(settings) ? 0 : cannotWrite(store);
}

int verbInit(const cLocalStore& store, const cArgs& args) {
  uint32_t account = 1001;
  if (!args.empty() && !(args.size() == 2 && args[0] == "--account" && parseU32(args[1], &account)))
    return usageOf("init");
  if (store.exists())
    return badInput("a store exists already in " + store.folder());
  return store.create(account) ? 0 : cannotWrite(store);
}

int verbStatus(const cLocalStore& store, const cArgs& args) {
  if (!args.empty())
    return usageOf("status");
  cStoreSettings settings;
  std::vector<PublishedFileId_t> subscriptions;
  if (!store.readSettings(&settings) || !store.readSubscriptions(&subscriptions))
    return fail(kFailed, "cannot read the store in " + store.folder());
  json status = settingsToJson(settings);
  status["subscriptions"] = subscriptions;
  printJson(status);
  return 0;
}

/// A setting that takes one of two words.
int setChoice(const cLocalStore& store, const std::string& value, const char* yes,
              const char* no, bool cStoreSettings::*field) {
  if (value != yes && value != no)
    return badInput(std::string("expected ") + yes + " or " + no + ", not " + value);
  return changeSettings(store, [&](cStoreSettings* settings) {
    settings->*field = value == yes;
    return 0;
  });
}

int verbSet(const cLocalStore& store, const cArgs& args) {
  if (args.size() != 2)
    return badInput("usage: set STORE NAME VALUE (see: drav-localsteam set --help)");
  const std::string& name = args[0];
  const std::string& value = args[1];
  if (name == "client")
    return setChoice(store, value, "running", "stopped", &cStoreSettings::clientRunning);
  if (name == "user")
    return setChoice(store, value, "on", "off", &cStoreSettings::userOn);
  if (name == "workshop")
    return setChoice(store, value, "on", "off", &cStoreSettings::workshopOn);
  if (name == "legal")
    return setChoice(store, value, "accepted", "pending", &cStoreSettings::legalAccepted);
  if (name == "noise")
    return setChoice(store, value, "on", "off", &cStoreSettings::noise);
  if (name == "latency") {
    uint32_t latency;
    if (!parseU32(value, &latency))
      return badInput("not a latency in milliseconds: " + value);
    return changeSettings(store, [&](cStoreSettings* settings) {
      settings->latencyMs = latency;
      return 0;
    });
  }
  if (name == "next-id") {
    uint64_t id;
    if (!parseUnsigned(value, UINT64_MAX, &id) || id == 0)
      return badInput("not an item id: " + value);
    return changeSettings(store, [&](cStoreSettings* settings) {
      settings->nextId = id;
      return 0;
    });
  }
  return badInput("unknown setting " + name);
}

int verbPublish(const cLocalStore& store, const cArgs& args) {
  cStoreSettings settings;
  if (!store.readSettings(&settings))
    return fail(kFailed, "cannot read the store in " + store.folder());
  cStoreItem item;
  item.owner = settings.account;
  item.app = toolAppId();
  item.visibility = 0;  // public
  bool titled = false;
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.compare(0, 2, "--") != 0) {
      if (fileStatus(arg).kind != kRegularFile)
        return badInput("not a file: " + arg);
      files.push_back(arg);
      continue;
    }
    if (i + 1 >= args.size())
      return badInput(arg + " needs a value");
    const std::string& value = args[++i];
    if (arg == "--title") {
      item.title = value;
      titled = true;
    } else if (arg == "--metadata") {
      item.metadata = value;
    } else if (arg == "--tag") {
      item.tags.push_back(value);
    } else if (arg == "--owner") {
      if (!parseU32(value, &item.owner))
        return badInput("not an account id: " + value);
    } else if (arg == "--app") {
      if (!parseU32(value, &item.app))
        return badInput("not an app id: " + value);
    } else if (arg == "--visibility") {
      uint32_t visibility;
      if (!parseU32(value, &visibility) || visibility > 3)
        return badInput("not a visibility (0 public to 3 unlisted): " + value);
      item.visibility = static_cast<int32_t>(visibility);
    } else {
      return badInput("unknown option " + arg);
    }
  }
  if (!titled || files.empty())
    return usageOf("publish");
  cStoreLock lock(store.folder());
  item.created = item.updated = storeTime();
  if (!lock.held() || !store.allocateId(&item.id) || !store.copyContentFiles(&item, files) ||
      !store.writeItem(item))
    return cannotWrite(store);
  printf("%llu\n", static_cast<unsigned long long>(item.id));
  return 0;
}

/// The verbs that act on a list of existing items: `act` changes the store
/// for all of them, under the lock.
int changeItems(const cLocalStore& store, const cArgs& args,
                const std::function<bool(const std::vector<PublishedFileId_t>&)>& act) {
  std::vector<PublishedFileId_t> ids;
  int status = 0;
  if (!parseIds(store, args, &ids, &status))
    return status;
  cStoreLock lock(store.folder());
  return lock.held() && act(ids) ? 0 : cannotWrite(store);
}

/// `act` for each item in turn, stopping at the first failure.
std::function<bool(const std::vector<PublishedFileId_t>&)> eachItem(
    const std::function<bool(PublishedFileId_t)>& act) {
  return [act](const std::vector<PublishedFileId_t>& ids) {
    return std::all_of(ids.begin(), ids.end(), act);
  };
}

int verbSubscribe(const cLocalStore& store, const cArgs& args) {
  return changeItems(store, args, [&](const std::vector<PublishedFileId_t>& ids) {
    return store.subscribe(ids);
  });
}

int verbUnsubscribe(const cLocalStore& store, const cArgs& args) {
  return changeItems(store, args, [&](const std::vector<PublishedFileId_t>& ids) {
    return store.unsubscribe(ids);
  });
}

int verbInstall(const cLocalStore& store, const cArgs& args) {
  return changeItems(store, args, eachItem([&](PublishedFileId_t id) {
    cStoreItem item;
    return store.readItem(id, &item) && store.cacheItem(item);
  }));
}

int verbUninstall(const cLocalStore& store, const cArgs& args) {
  return changeItems(store, args,
                     eachItem([&](PublishedFileId_t id) { return store.uncacheItem(id); }));
}

int verbBreak(const cLocalStore& store, const cArgs& args) {
  if (args.size() != 1)
    return usageOf("break");
  return changeItems(store, args,
                     eachItem([&](PublishedFileId_t id) { return store.breakCacheEntry(id); }));
}

bool parseOutcome(const std::string& text, cStoreFault* fault) {
  uint32_t code;
  if (text == "refuse")
    fault->kind = cStoreFault::kRefuse;
  else if (text == "null")
    fault->kind = cStoreFault::kNull;
  else if (text == "iofail")
    fault->kind = cStoreFault::kIoFail;
  else if (parseU32(text, &code) && code <= INT32_MAX)
    fault->code = static_cast<int32_t>(code);
  else
    return false;
  return true;
}

int verbFault(const cLocalStore& store, const cArgs& args) {
  if (args.size() < 2 || args.size() > 3)
    return usageOf("fault");
  bool knownOp = false;
  for (const char* op : kFaultOps)
    knownOp = knownOp || args[0] == op;
  if (!knownOp)
    return badInput("unknown call kind " + args[0]);
  cStoreFault fault;
  if (!parseOutcome(args[1], &fault))
    return badInput("not a result code, refuse, null or iofail: " + args[1]);
  fault.count = 1;
  if (args.size() == 3 && !parseU32(args[2], &fault.count))
    return badInput("not a count: " + args[2]);
  return changeSettings(store, [&](cStoreSettings* settings) {
    if (fault.count == 0)
      settings->faults.erase(args[0]);
    else
      settings->faults[args[0]] = fault;
    return 0;
  });
}

int verbList(const cLocalStore& store, const cArgs& args) {
  std::vector<PublishedFileId_t> ids;
  uint32_t owner;
  if (args.empty()) {
    store.allItemIds(&ids);
  } else if (args.size() == 2 && args[0] == "--owner" && parseU32(args[1], &owner)) {
    std::vector<cOwnerEntry> entries;
    store.ownerItems(owner, &entries);
    for (const cOwnerEntry& entry : entries)
      ids.push_back(entry.id);
  } else {
    return usageOf("list");
  }
  json items = json::array();
  for (PublishedFileId_t id : ids) {
    cStoreItem item;
    if (store.readItem(id, &item))
      items.push_back(itemToJson(item));
  }
  printJson(items);
  return 0;
}

int verbShow(const cLocalStore& store, const cArgs& args) {
  std::vector<PublishedFileId_t> ids;
  int status = 0;
  if (args.size() != 1)
    return usageOf("show");
  if (!parseIds(store, args, &ids, &status))
    return status;
  cStoreItem item;
  if (!store.readItem(ids[0], &item))
    return fail(kFailed, "cannot read item " + args[0]);
  json shown = itemToJson(item);
  std::vector<cContentFile> files;
  store.listContent(item, &files);
  json content = json::array();
  for (const cContentFile& file : files)
    content.push_back(json{{"name", file.name}, {"size", file.size}});
  shown["content"] = content;
  shown["previewSize"] = store.previewSize(item);
  printJson(shown);
  return 0;
}

struct cVerb {
  const char* name;
  int (*run)(const cLocalStore& store, const cArgs& args);
  const char* arguments;
  const char* what;
};

const cVerb kVerbs[] = {
    {"init", verbInit, "STORE [--account N]", "makes a new store; N is your account (1001)"},
    {"status", verbStatus, "STORE", "prints the settings, faults and subscriptions"},
    {"list", verbList, "STORE [--owner N]", "prints every item, or those of account N"},
    {"show", verbShow, "STORE ID", "prints every field of one item, its files and notes"},
    {"publish", verbPublish,
     "STORE --title T [--owner N] [--app N] [--metadata M] [--tag T] [--visibility V] FILE...",
     "adds an item with these files; prints its id"},
    {"subscribe", verbSubscribe, "STORE ID...", "subscribes your account to the items"},
    {"unsubscribe", verbUnsubscribe, "STORE ID...", "ends those subscriptions"},
    {"install", verbInstall, "STORE ID...", "puts the items into the download cache"},
    {"uninstall", verbUninstall, "STORE ID...", "takes the items out of the download cache"},
    {"break", verbBreak, "STORE ID", "leaves the item's cache entry without its folder"},
    {"set", verbSet, "STORE client running|stopped", "starts or stops the Steam client"},
    {"set", verbSet, "STORE user on|off", "logs the user in or out"},
    {"set", verbSet, "STORE workshop on|off", "makes the workshop reachable or not"},
    {"set", verbSet, "STORE latency MS", "delays every answer by MS milliseconds"},
    {"set", verbSet, "STORE legal accepted|pending", "the workshop legal agreement's state"},
    {"set", verbSet, "STORE next-id N", "the id the next new item gets"},
    {"set", verbSet, "STORE noise on|off", "answers for other apps and items between ours"},
    {"fault", verbFault,
     "STORE create|query|submit|download|delete CODE|refuse|null|iofail [COUNT]",
     "the next COUNT (1) calls of that kind fail that way; COUNT 0 clears"},
};

/// Prints every verb whose name is `only` (all for ""), with its arguments
/// and what it does.
void printUsage(FILE* stream, const std::string& only) {
  fprintf(stream, "usage: drav-localsteam VERB STORE ...\n"
                  "       drav-localsteam help | --help | VERB --help\n");
  for (const cVerb& verb : kVerbs) {
    if (only.empty() || only == verb.name)
      fprintf(stream, "  %s %s\n      %s\n", verb.name, verb.arguments, verb.what);
  }
  if (only.empty())
    fprintf(stream, "Data is printed as JSON. Exit status: 0 on success, 2 on bad\n"
                    "input, 1 when the store can't be written.\n");
}

bool isHelp(const std::string& word) { return word == "help" || word == "--help"; }

const cVerb* findVerb(const std::string& name) {
  for (const cVerb& verb : kVerbs) {
    if (name == verb.name)
      return &verb;
  }
  return nullptr;
}

int usageOf(const std::string& verb) {
  return badInput(std::string("usage: ") + verb + " " + findVerb(verb)->arguments);
}

int realMain(int argc, char** argv) {
  std::string verb = argc > 1 ? argv[1] : "";
  if (argc == 2 && isHelp(verb)) {
    printUsage(stdout, "");
    return 0;
  }
  const cVerb* known = findVerb(verb);
  if (known && argc == 3 && std::string(argv[2]) == "--help") {
    printUsage(stdout, verb);
    return 0;
  }
  if (argc < 3) {
    printUsage(stderr, "");
    return kBadInput;
  }
  if (!known)
    return badInput("unknown verb " + verb + " (drav-localsteam --help lists them)");
  cLocalStore store(argv[2]);
  if (verb != "init" && !store.exists())
    return badInput("no store in " + store.folder());
  return known->run(store, cArgs(argv + 3, argv + argc));
}

}  // namespace

int main(int argc, char** argv) {
  return realMain(argc, argv);
}
