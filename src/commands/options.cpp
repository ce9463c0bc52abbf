#include "commands/options.h"

#include "app/backend_choice.h"
#include "commands/commands.h"
#include "console/console.h"
#include "steam/app_id.h"
#include "steamlib/steam_library.h"

namespace {

const char kVersion[] = "1.2";

const char kUsage[] = "usage: drav-workshop [-h | --help | --version]\n";

std::string usage() {
  return kUsage + commandUsage();
}

const char kHelp[] =
    "Publishes DRAV content to the game's Steam Workshop and installs the\n"
    "items you subscribe to. Without options it shows a menu:\n"
    "  1  create a new workshop item and upload its first asset file\n"
    "  2  upload a new asset file to one of your items\n"
    "  3  install every subscribed item into the game's folders\n"
    "  4  open the workshop path (the game's folder) in the file browser\n"
    "  5  change the workshop path\n"
    "  x  exit\n"
    "\n"
    "Files:\n"
    "  workshopPath.txt       in the folder the tool starts in: the workshop\n"
    "                         path, the game's folder that holds its assets\n"
    "  _DRAV_WORKSHOP_TEMP_   staging folder inside the workshop path; the\n"
    "                         file being uploaded is copied there, and the\n"
    "                         folder is removed after each action\n"
    "  _default_workshop_.png beside the tool: preview of new items that get\n"
    "                         no image of their own\n"
    "\n"
    "Environment:\n"
    "  DRAV_LOCAL_STEAM  a store folder of the local workshop service, used\n"
    "                    instead of Steam\n"
    "  NO_COLOR          set and not empty: no colours on the terminal\n"
    "\n"
    "Commands (for scripts; they never ask anything): each takes --path DIR,\n"
    "the workshop path, else the one in workshopPath.txt.\n"
    "  list     every item you have published for the game, all pages;\n"
    "           one line each: ID, kind, visibility, title (tab-separated)\n"
    "  publish  creates an item and uploads FILE as its first content, with\n"
    "           the menu's checks; prints the new item's id; an item whose\n"
    "           upload fails is deleted again\n"
    "  update   uploads FILE as new content of your item ID; title,\n"
    "           description and visibility change only when given\n"
    "  install  every subscribed item into the game's folders, one line per\n"
    "           item; --dry-run shows where each file would go and which are\n"
    "           skipped, changing nothing\n"
    "\n"
    "Exit status: 0 when the tool ends normally or a command did all it was\n"
    "asked, 1 when a command failed in part or whole, 2 on a wrong command\n"
    "line.\n";

int printHelp(std::ostream& out) {
  out << usage() << "\n" << kHelp;
  return 0;
}

int printVersion(std::ostream& out) {
  std::string store;
  out << "drav-workshop " << kVersion << "\nSteam app id: " << toolAppId()
      << "\nSteam back end: ";
  if (localStoreFolder(&store))
    out << "the local workshop service, store folder \"" << printableText(store) << "\"\n";
  else
    out << "the Steam library " << steamLibraryFileName() << " beside the tool\n";
  return 0;
}

struct cOption {
  const char* name;
  const char* shortName;
  int (*run)(std::ostream& out);
};

const cOption kOptions[] = {
    {"--help", "-h", printHelp},
    {"--version", nullptr, printVersion},
};

}  // namespace

bool runCommandLine(const std::vector<std::string>& args, std::ostream& out,
                    std::ostream& err, int* status) {
  if (args.empty())
    return false;
  if (runCommand(args, out, err, status))
    return true;
  for (const cOption& option : kOptions) {
    bool named = args[0] == option.name ||
                 (option.shortName && args[0] == option.shortName);
    if (named && args.size() == 1) {
      *status = option.run(out);
      return true;
    }
  }
  err << "drav-workshop: unknown or misplaced argument \"" << printableText(args[0])
      << "\"\n" << usage();
  *status = 2;
  return true;
}
