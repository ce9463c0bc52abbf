// The install command: every subscribed item into the game's folders, as
// the menu's install does it, one line per item; or, with --dry-run, what
// that install would do, changing nothing.
#include <memory>
#include <string>
#include <vector>

#include "app/path_file.h"
#include "commands/commands.h"
#include "console/console.h"
#include "files/directory.h"
#include "files/paths.h"
#include "install/install_rules.h"
#include "platform/files.h"
#include "steam/steam_callback.h"

namespace {

/// One download, waited for until Steam broadcasts its end.
class cDownloadWait {
 public:
  cDownloadWait(PublishedFileId_t id, AppId_t app)
      : id_(id), app_(app), done_(false), result_(k_EResultFail),
        binding_(this, &cDownloadWait::onResult) {}

  /// Downloads the item; false, with the reason in `why`, on a failure.
  bool run(ISteamUGC* ugc, std::string* why) {
    if (!ugc->DownloadItem(id_, true)) {
      *why = "Steam refused the download";
      return false;
    }
    while (!done_)
      SteamAPI_RunCallbacks();
    if (result_ == k_EResultOK)
      return true;
    *why = "the download failed: Steam answered with error " +
           std::to_string(static_cast<int32_t>(result_));
    return false;
  }

 private:
  void onResult(DownloadItemResult_t* result) {
    if (result && (result->m_unAppID != app_ || result->m_nPublishedFileId != id_))
      return;
    result_ = result ? result->m_eResult : k_EResultFail;
    done_ = true;
  }

  PublishedFileId_t id_;
  AppId_t app_;
  bool done_;
  EResult result_;
  CCallback<cDownloadWait, DownloadItemResult_t, false> binding_;
};

/// Installs (or, on a dry run, shows) the files of the item folder;
/// false, with the reason in `why`, when the folder can't be read or a
/// file can't be placed.
bool installFolder(const cCommandContext& context, PublishedFileId_t id,
                   const std::string& folder, bool dryRun, std::string* why) {
  std::vector<std::string> names;
  if (!listFiles(folder, &names)) {
    *why = "its folder in the download cache can't be read";
    return false;
  }
  std::ostream& out = *context.out;
  size_t installed = 0;
  for (const std::string& name : names) {
    cInstallStep step = planInstallStep(context.workshopPath, folder, name);
    if (!step.skipReason.empty()) {
      out << id << (dryRun ? "\twould skip \"" : "\tskipped \"") << printableText(name)
          << "\": " << step.skipReason << "\n";
    } else if (dryRun) {
      out << id << "\t" << printableText(step.source) << " -> "
          << printableText(step.destination) << "\n";
    } else if (carryOutInstallStep(step, why)) {
      ++installed;
    } else {
      return false;
    }
  }
  if (!dryRun)
    out << id << "\tinstalled " << installed << (installed == 1 ? " file\n" : " files\n");
  return true;
}

/// Brings one item onto disk and installs it, downloading it again when
/// its cached copy can't be installed, as the menu does; false, with the
/// reason in `why`, on a failure.
bool installItem(const cCommandContext& context, PublishedFileId_t id, bool dryRun,
                 std::string* why) {
  std::string folder;
  bool onDisk = findItemFolder(context.ugc, id, &folder);
  if (onDisk && installFolder(context, id, folder, dryRun, why))
    return true;
  if (dryRun) {
    if (!onDisk)
      *context.out << id << "\tnot in the download cache: would be downloaded\n";
    return !onDisk;
  }
  cDownloadWait download(id, context.app);
  if (!download.run(context.ugc, why))
    return false;
  if (!findItemFolder(context.ugc, id, &folder)) {
    *why = "the download left no folder";
    return false;
  }
  return installFolder(context, id, folder, dryRun, why);
}

}  // namespace

int runInstall(cCommandContext& context, const cCommandArgs& args) {
  bool dryRun = args.options.count("--dry-run") > 0;
  std::vector<PublishedFileId_t> ids = subscribedItems(context.ugc);
  if (ids.empty()) {
    *context.out << "no subscribed items\n";
    return kCommandDone;
  }
  std::unique_ptr<cFileLock> lock;
  if (!dryRun) {
    lock.reset(new cFileLock(joinPath(context.workshopPath, kWorkshopLockName), false));
    if (lock->busy())
      return context.fail("another copy of the tool is using the workshop path");
    removeInstallTemporaries(context.workshopPath);
  }
  int status = kCommandDone;
  for (PublishedFileId_t id : ids) {
    std::string why;
    if (installItem(context, id, dryRun, &why))
      continue;
    *context.out << id << "\tfailed: " << why << "\n";
    status = context.fail("item " + std::to_string(id) + ": " + why);
  }
  return status;
}
