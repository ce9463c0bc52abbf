// The commands for scripts (list, publish, ...): the tool chosen by its
// first argument, without the menu. They never ask anything, print results
// on standard output and errors, one line each, on standard error.
#ifndef DRAV_COMMANDS_COMMANDS_H_
#define DRAV_COMMANDS_COMMANDS_H_

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "steam/steam_api.h"

/// Exit statuses of a command.
const int kCommandDone = 0;
const int kCommandFailed = 1;
const int kCommandMisused = 2;

/// One upload of a file as an item's content, with the fields to set.
struct cUpload {
  PublishedFileId_t itemId = 0;
  std::string file;
  int kind = 0;
  std::string preview;  // "" keeps the item's
  bool setTitle = false, setDescription = false;
  std::string title, description, note;
  int visibility = -1;  // -1 keeps the item's
};

/// A command's arguments, split by the command's table entry and, for the
/// commands that upload, read into the upload before anything else runs.
struct cCommandArgs {
  std::vector<std::string> operands;
  std::map<std::string, std::string> options;  // "--dry-run" etc. map to ""
  cUpload upload;
};

/// What every command works with once Steam runs.
struct cCommandContext {
  std::ostream* out;
  std::ostream* err;
  std::string usage;  // the command's usage line
  std::string workshopPath;
  ISteamUGC* ugc;
  AccountID_t account;
  AppId_t app;

  /// Prints "drav-workshop: `message`" on the error stream; returns
  /// kCommandFailed.
  int fail(const std::string& message) const;
  /// Prints `message` and the usage; returns kCommandMisused.
  int misuse(const std::string& message) const;
  /// Prints the legal-agreement notice on the error stream when Steam
  /// flags it; it changes no exit status.
  void warnLegalAgreement(bool needsToAccept) const;
};

/// Runs the command named by `args[0]`; false when there is none of that
/// name. Otherwise true, with the exit status in `status`.
bool runCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                int* status);

/// The commands' usage lines, for the help.
std::string commandUsage();

/// One of the user's published items, as the query gives it.
struct cListedItem {
  PublishedFileId_t id;
  std::string title;
  int kind;  // from the metadata; 0 when it names none
  int visibility;
  uint32_t updated;
};

/// Every item the user has published for the game, all pages, newest
/// first; false, with the reason printed, when a page could not be read.
bool readPublishedItems(const cCommandContext& context, std::vector<cListedItem>* items);

/// The kind a --kind value names (1 to 8 or a display name); false for none.
bool parseKind(const std::string& text, int* kind);
/// The word of a visibility ("public", ...); "unknown" for other numbers.
const char* visibilityName(int visibility);
/// The visibility a --visibility word names; false for none.
bool parseVisibility(const std::string& text, int* visibility);
/// Whether `file` can be uploaded as `kind`: readable, named by the kind's
/// rule, not one of the game's own files; says why not.
bool checkUploadFile(const cCommandContext& context, const std::string& file, int kind);
/// Whether the preview `preview` is a file; says why not.
bool checkPreviewFile(const cCommandContext& context, const std::string& preview);
/// Stages the file and submits the upload, waiting for the answer; says
/// why it failed.
bool submitUpload(const cCommandContext& context, const cUpload& upload);

// The commands, each in its own file.
int runList(cCommandContext& context, const cCommandArgs& args);
int runPublish(cCommandContext& context, const cCommandArgs& args);
int runUpdate(cCommandContext& context, const cCommandArgs& args);
int runInstall(cCommandContext& context, const cCommandArgs& args);

/// Fills the upload's file and fields from FILE and the options; false,
/// with the reason, when a value is malformed.
bool readUploadOptions(const cCommandArgs& args, const std::string& file, cUpload* upload,
                       std::string* why);

// What the uploading commands read from their arguments before the
// workshop path and Steam are touched; false, with the reason, for a
// wrong command line.
bool readPublishArgs(cCommandArgs* args, std::string* why);
bool readUpdateArgs(cCommandArgs* args, std::string* why);

#endif  // DRAV_COMMANDS_COMMANDS_H_
