// The command table, the parsing of a command's arguments and what every
// command needs first: the workshop path and a running Steam.
#include "commands/commands.h"

#include <memory>

#include "app/backend_choice.h"
#include "app/path_file.h"
#include "console/console.h"
#include "platform/files.h"
#include "steam/steam_backend.h"

namespace {

struct cCommand {
  const char* name;
  const char* usage;
  size_t operands;
  /// Options that take a value, then those that stand alone, each
  /// space-separated with a trailing space ("--title --note ").
  const char* valueOptions;
  const char* flagOptions;
  /// Reads the arguments further; null when splitting them is all.
  bool (*read)(cCommandArgs* args, std::string* why);
  int (*run)(cCommandContext& context, const cCommandArgs& args);
};

const cCommand kCommands[] = {
    {"list", "list [--json] [--path DIR]", 0, "--path ", "--json ", nullptr, runList},
    {"publish",
     "publish FILE --title TITLE [--preview IMAGE] [--description TEXT]\n"
     "                     [--visibility public|friends|private|unlisted] [--note TEXT]\n"
     "                     [--kind KIND] [--path DIR]",
     1, "--title --preview --description --visibility --note --kind --path ", "", readPublishArgs,
     runPublish},
    {"update",
     "update ID FILE [--preview IMAGE] [--title TITLE] [--description TEXT]\n"
     "                     [--visibility public|friends|private|unlisted] [--note TEXT]\n"
     "                     [--kind KIND] [--path DIR]",
     2, "--title --preview --description --visibility --note --kind --path ", "", readUpdateArgs,
     runUpdate},
    {"install", "install [--dry-run] [--path DIR]", 0, "--path ", "--dry-run ", nullptr, runInstall},
};

bool listed(const char* names, const std::string& word) {
  return std::string(names).find(word + " ") != std::string::npos &&
         word.compare(0, 2, "--") == 0;
}

/// Splits `args` (after the command's name) by the command's options;
/// false, with the reason in `why`, when one is unknown, lacks its value
/// or the count of operands is wrong.
bool splitArgs(const cCommand& command, const std::vector<std::string>& args,
               cCommandArgs* split, std::string* why) {
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (listed(command.valueOptions, word)) {
      if (i + 1 == args.size()) {
        *why = "option " + word + " needs a value";
        return false;
      }
      split->options[word] = args[++i];
    } else if (listed(command.flagOptions, word)) {
      split->options[word] = "";
    } else if (word.compare(0, 1, "-") == 0 && word != "-") {
      *why = "unknown option \"" + printableText(word) + "\"";
      return false;
    } else {
      split->operands.push_back(word);
    }
  }
  if (split->operands.size() != command.operands) {
    *why = "wrong number of arguments";
    return false;
  }
  return true;
}

/// The workshop path: --path, else the menu's path file.
bool settleWorkshopPath(const cCommandArgs& args, cCommandContext* context) {
  auto given = args.options.find("--path");
  std::string path;
  if (given != args.options.end()) {
    path = given->second;
  } else if (!readPathFile("workshopPath.txt", &path)) {
    context->fail("no workshop path: give --path DIR or set one in the menu");
    return false;
  }
  if (fileStatus(path).kind != kFolder) {
    context->fail("the workshop path \"" + printableText(path) + "\" is not a folder");
    return false;
  }
  context->workshopPath = path;
  return true;
}

bool startSteam(cCommandContext* context) {
  if (!SteamAPI_Init() || !SteamUser() || !SteamUtils()) {
    context->fail("Steam could not be started: open Steam and log in");
    return false;
  }
  context->ugc = SteamUGC();
  if (!context->ugc) {
    context->fail("the workshop could not be reached");
    return false;
  }
  context->account = SteamUser()->GetSteamID().GetAccountID();
  context->app = SteamUtils()->GetAppID();
  return true;
}

int runWithSteam(const cCommand& command, const cCommandArgs& args, cCommandContext* context) {
  if (!settleWorkshopPath(args, context))
    return kCommandFailed;
  std::unique_ptr<cSteamBackend> backend(chooseSteamBackend());
  replaceSteamBackend(backend.get());
  int status = startSteam(context) ? command.run(*context, args) : kCommandFailed;
  SteamAPI_Shutdown();
  replaceSteamBackend(nullptr);
  return status;
}

}  // namespace

int cCommandContext::fail(const std::string& message) const {
  *err << "drav-workshop: " << message << "\n";
  return kCommandFailed;
}

int cCommandContext::misuse(const std::string& message) const {
  *err << "drav-workshop: " << message << "\nusage: drav-workshop " << usage << "\n";
  return kCommandMisused;
}

void cCommandContext::warnLegalAgreement(bool needsToAccept) const {
  if (needsToAccept)
    *err << "drav-workshop: you must accept the Steam Workshop Legal Agreement before using "
            "the workshop\n";
}

std::string commandUsage() {
  std::string usage;
  for (const cCommand& command : kCommands)
    usage += std::string("       drav-workshop ") + command.usage + "\n";
  return usage;
}

bool runCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                int* status) {
  for (const cCommand& command : kCommands) {
    if (args[0] != command.name)
      continue;
    cCommandContext context = {&out, &err, command.usage, "", nullptr, 0, 0};
    cCommandArgs split;
    std::string why;
    if (!splitArgs(command, args, &split, &why)) {
      *status = context.misuse(std::string(command.name) + ": " + why);
      return true;
    }
    if (command.read && !command.read(&split, &why)) {
      *status = context.misuse(why);
      return true;
    }
    *status = runWithSteam(command, split, &context);
    return true;
  }
  return false;
}
