#!/usr/bin/env bash
# Kills volumist-cli's writing commands with SIGKILL at random moments and checks what they leave.
#
#   scripts/crash-test.sh BUILD_DIR [COUNT]
#
# Each round starts one of scan (a new volume, or one replacing a volume), scan --add, rescan,
# describe, export or rename, kills it after a random delay within the command's own running time, and checks
# that the file it was writing is either byte for byte the old one or a complete new one (a volume
# that reads to its end and holds the change, a well-formed XML document). Then a following write
# in the same folders runs to its end, after which no temporary file may remain: a killed writer's
# file is swept by the next writer. Exits 1 on the first violation.
set -euo pipefail

build=${1:?usage: crash-test.sh BUILD_DIR [COUNT]}
count=${2:-100}
cli=$(realpath "$build")/volumist-cli
[[ -x "$cli" ]] || { echo "crash-test: no $cli (build first)" >&2; exit 2; }
command -v xmllint >/dev/null || { echo "crash-test: needs xmllint (libxml2-utils)" >&2; exit 2; }

# In memory where there is room: the kills test what a dead process leaves, not what a power cut
# does, and syncs there cost nothing. CRASH_DIR chooses another place.
place=${CRASH_DIR:-}
[[ -z "$place" && -d /dev/shm && -w /dev/shm ]] && place=/dev/shm
sandbox=$(mktemp -d "${place:-${TMPDIR:-/tmp}}/volumist-crash-XXXXXX")
trap 'rm -rf "$sandbox"' EXIT
export XDG_CONFIG_HOME=$sandbox/config XDG_DATA_HOME=$sandbox/data TZ=UTC
vols=$sandbox/vols
config=$XDG_CONFIG_HOME/zarn-volumist
mkdir -p "$vols" "$config"

# Sources: one large enough that a scan takes a while, one for adding, one tiny for following writes.
make_tree() {  # ROOT FOLDERS FILES: FILES empty files and one of 5000 bytes in each folder
  mkdir -p "$1" && (cd "$1" && eval "mkdir d{0..$(($2 - 1))}" && eval "touch d{0..$(($2 - 1))}/f{0..$(($3 - 1))}.txt" &&
    eval "truncate -s 5000 d{0..$(($2 - 1))}/big.bin")
}
make_tree "$sandbox/src" 100 200
make_tree "$sandbox/more" 10 100
make_tree "$sandbox/tiny" 1 3

volume=$vols/v.vkt
doc=$vols/doc.xml
"$cli" scan --yes --name Crash --file "$volume" "$sandbox/src" >/dev/null
"$cli" export "$volume" "$doc"

fail() { echo "crash-test: round $round ($op, killed after ${delay}s): $*" >&2; exit 1; }

temporaries() { find "$vols" "$config" -maxdepth 1 -regextype posix-extended -regex '.*/[0-9]{8,12}\.\$\$\$' | wc -l; }

# A volume that reads completely, every record to the end of its tree and its descriptions.
readable() { "$cli" dump "$1" >/dev/null 2>&1 && "$cli" ls -R "$1" >/dev/null 2>&1; }
# A field of the volume's header, as info prints it.
field() { "$cli" info "$1" 2>/dev/null | sed -n "s/^$2: //p" | head -1; }

# The command of each kind, given the round (texts and names differ from round to round). It
# replaces the calling shell, so that the kill reaches the command itself.
run() {
  local args
  case $1 in
    scan-new) args=(scan --name "New $round" --file "$vols/new.vkt" "$sandbox/src") ;;
    scan-replace) args=(scan --yes --name "Replaced $round" --file "$volume" "$sandbox/src") ;;
    add) args=(scan --add "$volume" "more=$sandbox/more") ;;
    rescan) args=(rescan --yes --quiet "$volume") ;;
    describe) args=(describe "$volume" "" "description $round") ;;
    export) args=(export "$volume" "$doc") ;;
    rename) args=(rename "$volume" "Name $round") ;;
  esac
  exec "$cli" "${args[@]}" >/dev/null 2>&1
}
ops=(scan-new scan-replace add rescan describe export rename)

# Each command's running time, so that kills land anywhere from its start to its end; before the
# program has started, nothing can be written, so the kills begin near the end of its start-up.
now() { echo $(( $(date +%s%N) / 1000 )); }  # microseconds
startup=$(now)
"$cli" --help >/dev/null
startup=$(( ($(now) - startup) * 8 / 10 ))
declare -A duration
round=0
for op in "${ops[@]}"; do
  cp "$volume" "$sandbox/saved.vkt"
  start=$(now)
  (run "$op") || true
  duration[$op]=$(( $(now) - start ))
  mv "$sandbox/saved.vkt" "$volume"
  rm -f "$vols/new.vkt"
done

landed=0
for ((round = 1; round <= count; round++)); do
  op=${ops[RANDOM % ${#ops[@]}]}
  old=$(sha256sum "$volume" | cut -d' ' -f1)
  olddoc=$(sha256sum "$doc" | cut -d' ' -f1)
  oldsources=$(field "$volume" sources)
  rm -f "$vols/new.vkt"
  span=$(( duration[$op] * 11 / 10 - startup ))
  micros=$(( startup + (RANDOM * 32768 + RANDOM) % (span > 0 ? span : 1) ))
  delay=$(printf '%d.%06d' $((micros / 1000000)) $((micros % 1000000)))
  run "$op" &
  pid=$!
  sleep "$delay"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  [[ $(temporaries) -gt 0 ]] && landed=$((landed + 1))

  # The old file, or the complete new one.
  if [[ $(sha256sum "$volume" | cut -d' ' -f1) != "$old" ]]; then
    readable "$volume" || fail "the volume is neither the old one nor a complete new one"
    case $op in
      scan-replace) [[ $(field "$volume" name) == "Replaced $round" ]] || fail "a changed volume without the new scan" ;;
      add) [[ $(field "$volume" sources) == $((oldsources + 1)) ]] || fail "a changed volume without the added source" ;;
      rescan)
        [[ $(field "$volume" sources) == "$oldsources" ]] || fail "a rescanned volume with other sources"
        ((round == 1)) || grep -aq "after $((round - 1))" "$volume" || fail "a rescanned volume without its description"
        ;;
      describe) grep -aq "description $round" "$volume" || fail "a changed volume without the description" ;;
      rename) [[ $(field "$volume" name) == "Name $round" ]] || fail "a changed volume without the new name" ;;
      *) fail "$op changed the volume" ;;
    esac
  fi
  if [[ -e "$vols/new.vkt" ]]; then
    readable "$vols/new.vkt" && [[ $(field "$vols/new.vkt" name) == "New $round" ]] || fail "a new volume that is not complete"
  fi
  if [[ $(sha256sum "$doc" | cut -d' ' -f1) != "$olddoc" ]]; then
    [[ $op == export ]] || fail "$op changed the document"
    xmllint --noout "$doc" 2>/dev/null || fail "the document is neither the old one nor a complete new one"
  fi

  # The next writes in both folders leave no temporary file behind, the killed writer's included.
  "$cli" describe "$volume" "" "after $round" >/dev/null 2>"$sandbox/err" || fail "the following describe failed: $(cat "$sandbox/err")"
  "$cli" scan --yes --name "Follow" --file "$vols/follow.vkt" "$sandbox/tiny" >/dev/null 2>"$sandbox/err" ||
    fail "the following scan failed: $(cat "$sandbox/err")"
  [[ $(temporaries) -eq 0 ]] || fail "temporary files remain after the following writes: $(ls "$vols" "$config")"
done
echo "crash-test: $count kills, $landed of them while a temporary file existed; every file was the old or the complete new one, and no temporary file outlived the next write"
