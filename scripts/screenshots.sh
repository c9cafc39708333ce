#!/usr/bin/env bash
# Pictures of the windows for docs/screenshots: makes a sample volume directory with volumist-cli
# (the project's own folders as volumes) and a folder of sample media (songs made with sox and lame,
# pictures with ImageMagick), then runs volumist-screenshots under Xvfb at 1366 x 768, which builds
# the main window over it, loads a volume, starts a scan, scans the media and shows every view of
# the file list, and saves PNG files.
set -euo pipefail
build_dir=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
cli="$build_dir/volumist-cli"
out="$here/docs/screenshots"
mkdir -p "$out"

sample=$(mktemp -d)
trap 'rm -rf "$sample"' EXIT
export XDG_CONFIG_HOME="$sample/config" XDG_DATA_HOME="$sample/data" XDG_RUNTIME_DIR="$sample/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
"$cli" scan --name "Project sources" --file sources.vkt --signatures "Sources=$here/src" >/dev/null
"$cli" scan --name "Documents" --file documents.vkt "Docs=$here/docs" >/dev/null
"$cli" scan --name "Tests and fixtures" --file tests.vkt "Tests=$here/tests" >/dev/null
"$cli" scan --name "Shared data" --file shared.vkt "Share=/usr/share/doc" >/dev/null
# A volume whose disk is gone, so the list shows an absent mark beside the present ones.
mkdir -p "$sample/old-backup/letters" && echo "Dear Anna," >"$sample/old-backup/letters/anna.txt"
"$cli" scan --name "Old backup" --file old-backup.vkt "Backup=$sample/old-backup" >/dev/null
rm -rf "$sample/old-backup"
"$cli" describe sources.vkt "" "The program's own source folders, scanned for the screenshots." >/dev/null || true

# A backup disk scanned with signatures, then changed behind the volume's back, for the
# verification dialog: one byte (size and time kept), a shortened file, a lost one, a new one.
backup="$sample/backup"
mkdir -p "$backup/Photos/2003" "$backup/Letters" "$backup/Music"
for name in Photos/2003/harbour.jpg Photos/2003/lighthouse.jpg Photos/2003/boats.jpg Photos/beach.jpg \
            Letters/bank.pdf Letters/insurance.pdf Music/tide.mp3 Music/gulls.mp3 notes.txt; do
  head -c $((20000 + RANDOM * 8)) /dev/urandom >"$backup/$name"
done
"$cli" scan --name "Backup disk" --file backup.vkt --signatures "Backup=$backup" >/dev/null
touch -r "$backup/Photos/2003/boats.jpg" "$sample/boats.time"
printf '\x00' | dd of="$backup/Photos/2003/boats.jpg" bs=1 seek=4000 conv=notrunc status=none
touch -r "$sample/boats.time" "$backup/Photos/2003/boats.jpg"
truncate -s 12000 "$backup/Music/gulls.mp3"
rm "$backup/Letters/insurance.pdf"
echo "call the bank on Monday" >"$backup/Letters/todo.txt"

media="$sample/media"
mkdir -p "$media/Music" "$media/Pictures" "$media/Video"
song() {  # file, title, seconds, frequency, lame options
  sox -q -n -r 44100 -c 2 "$sample/tone.wav" synth "$3" sine "$4" fade 0.2 "$3" 0.5
  lame --quiet $5 --tt "$2" --ta "Harbour Lights" --tl "Coastlines" --ty 2004 --tc "sample" \
    "$sample/tone.wav" "$media/Music/$1"
}
song "01 Morning Tide.mp3" "Morning Tide" 9 440 "-b 192"
song "02 Gulls.mp3" "Gulls" 6 660 "-b 128"
song "03 Low Water.mp3" "Low Water" 12 330 "-V 4"
song "04 Evening Calm.mp3" "Evening Calm" 7 550 "-b 160"
rm -f "$sample/tone.wav"
convert -seed 7 -size 1024x768 plasma:steelblue-navy "$media/Pictures/harbour at night.jpg"
convert -seed 11 -size 1600x900 plasma:gold-firebrick "$media/Pictures/sunset.jpg"
convert -size 800x600 gradient:skyblue-white "$media/Pictures/sky.png"
convert -seed 3 -size 640x480 plasma:green-yellow -colors 256 "$media/Pictures/meadow.gif"
convert -size 400x400 radial-gradient:orange-darkred "$media/Pictures/buoy.png"
convert -seed 5 -size 1200x400 plasma:seagreen-lightcyan "$media/Pictures/shore panorama.jpg"

unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1366x768x24" "$build_dir/volumist-screenshots" "$out" /usr/share "$media"
