#!/usr/bin/env bash
# Builds the tool and runs it on a demo set-up in demo/ (git-ignored),
# against the local workshop service: nothing reaches the real Steam.
#
#   scripts/run.sh           make the demo on first use, then run the tool
#   scripts/run.sh --fresh   throw the demo away and make it anew first
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

case ${1-} in
  '') ;;
  --fresh) rm -rf demo ;;
  *) fail "usage: scripts/run.sh [--fresh]" ;;
esac

scripts/setup.sh linux
configure build
build build drav-workshop drav-localsteam

demo=$root/demo
store=$demo/store
game=$demo/game
localsteam=$root/build/drav-localsteam

# The control tool prints the new item's id alone.
publish() {
  "$localsteam" publish "$store" "$@"
}

# publishAsset OWNER KIND TITLE FILE...: an item as the tool itself would
# make it, with the kind as metadata and its display name as the one tag.
publishAsset() {
  local owner=$1 kind=$2 title=$3; shift 3
  local tags=("" "Map" "Leaderboard" "Server Settings" "Chat Macros"
              "Translations" "Bot Config" "Bot Movements" "Recording")
  publish --title "$title" --owner "$owner" --metadata "$kind" \
    --tag "${tags[$kind]}" "$@"
}

sampleMap() {
  cat >"$1" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<map version="1.10" orientation="orthogonal" width="4" height="4" tilewidth="32" tileheight="32">
 <properties><property name="title" value="$2"/></properties>
 <layer id="1" name="ground" width="4" height="4">
  <data encoding="csv">1,1,1,1,1,2,2,1,1,2,3,1,1,1,1,1</data>
 </layer>
</map>
EOF
}

samplePage() {
  printf '<!DOCTYPE html>\n<html><head><title>%s</title></head>\n<body><h1>%s</h1><table><tr><th>Player</th><th>Score</th></tr></table></body></html>\n' "$2" "$2" >"$1"
}

sampleText() {
  printf '# %s\n%s\n' "$2" "$3" >"$1"
}

sampleRecording() {
  printf 'DRAVREC\0\1\0\0%s\0' "$2" >"$1"
}

# Items by other players: one of each kind, one that carries a file of no
# known kind, all subscribed; the recording is left out of the download
# cache so that the install downloads it first.
makeSubscriptions() {
  local src=$demo/.make ids=() notCached
  mkdir -p "$src"
  sampleMap "$src/stormyCape.tmx" "Stormy Cape"
  samplePage "$src/clanLadder.html" "Clan ladder"
  sampleText "$src/serverSettings_ctf.txt" "Capture the flag" "mode=ctf"
  sampleText "$src/textMacros_friendly.txt" "Friendly macros" "1=Good game!"
  sampleText "$src/translations_pirate.txt" "Pirate speak" "hello=ahoy"
  sampleText "$src/bots_hard.txt" "Hard bots" "skill=9"
  sampleText "$src/movements_stormyCape.txt" "Routes on Stormy Cape" "0,0 4,4"
  sampleRecording "$src/cupFinal.rec" "Cup final"
  sampleMap "$src/twinPeaks.tmx" "Twin Peaks"
  sampleText "$src/twinPeaks_notes.md" "Twin Peaks" "Built for four players."

  ids+=("$(publishAsset 2001 1 "Stormy Cape" "$src/stormyCape.tmx")")
  ids+=("$(publishAsset 2002 2 "Clan ladder" "$src/clanLadder.html")")
  ids+=("$(publishAsset 2003 3 "Capture the flag server" "$src/serverSettings_ctf.txt")")
  ids+=("$(publishAsset 2001 4 "Friendly chat macros" "$src/textMacros_friendly.txt")")
  ids+=("$(publishAsset 2002 5 "Pirate speak" "$src/translations_pirate.txt")")
  ids+=("$(publishAsset 2003 6 "Hard bots" "$src/bots_hard.txt")")
  ids+=("$(publishAsset 2001 7 "Routes for Stormy Cape" "$src/movements_stormyCape.txt")")
  notCached=$(publishAsset 2002 8 "Cup final" "$src/cupFinal.rec")
  ids+=("$(publishAsset 2003 1 "Twin Peaks (with notes)" "$src/twinPeaks.tmx" "$src/twinPeaks_notes.md")")

  "$localsteam" subscribe "$store" "${ids[@]}" "$notCached"
  "$localsteam" install "$store" "${ids[@]}"
  rm -rf "$src"
}

# The player's own game folder: one asset of every kind to publish, a
# preview image beside the map, and one item already published from it.
makeGame() {
  mkdir -p "$game"
  sampleMap "$game/myIsland.tmx" "My Island"
  cp data/_default_workshop_.png "$game/myIsland.png"
  samplePage "$game/myStats.html" "My stats"
  sampleText "$game/serverSettings_myServer.txt" "My server" "mode=deathmatch"
  sampleText "$game/textMacros_mine.txt" "My macros" "1=Well played!"
  sampleText "$game/translations_myLanguage.txt" "My language" "hello=hi"
  sampleText "$game/bots_myBots.txt" "My bots" "skill=3"
  sampleText "$game/movements_myIsland.txt" "Routes on My Island" "1,1 2,2"
  sampleRecording "$game/myMatch.rec" "My match"
  publish --title "My Island" --metadata 1 --tag Map "$game/myIsland.tmx" >/dev/null
  # As the tool writes it: the path alone, no line break.
  printf '%s' "$game" >"$demo/workshopPath.txt"
}

makeDemo() {
  rm -rf "$demo"
  mkdir -p "$demo"
  "$localsteam" init "$store" --account 1001
  makeSubscriptions
  makeGame
  touch "$demo/.ready"
}

if [ ! -f "$demo/.ready" ]; then
  makeDemo
fi

cat <<EOF
Demo in demo/ (local workshop store demo/store, game folder demo/game):
  3  installs your nine subscriptions into demo/game
  1  publishes one of the assets in demo/game as a new item
     (asked for a file, type e.g. game/myIsland.tmx, preview game/myIsland.png)
  2  uploads new content to an item of yours, such as "My Island"
The store afterwards: build/drav-localsteam list demo/store
Start again from scratch: scripts/run.sh --fresh

EOF
cd "$demo"
DRAV_LOCAL_STEAM=$store exec "$root/build/drav-workshop"
