#!/usr/bin/env bash
# Media analysis against peer tools, interleaved on the same files, medians of REPETITIONS runs.
#
#   bash bench/media_bench.sh [BUILD_DIR]        (needs: bash scripts/install-deps.sh bench)
#   MEDIA_KINDS="wmf mp3" bash bench/media_bench.sh   (only those kinds; default: all of
#                                                      jpeg png bmp gif mp3 video wmf)
#
# Corpora (made once into $MEDIA_BENCH_DIR, default /tmp/volumist-media-bench), from one ImageMagick
# plasma of 4000 x 3000:
#   jpeg/  100 JPEGs of 4000 x 3000, quality 90 (10 distinct)
#   png/   50 PNGs of 1920 x 1080 (10 distinct)
#   bmp/   25 BMPs of 1024 x 768, 24 bits       gif/  25 GIFs of 1024 x 768, 256 colours (5 distinct)
#   mp3/   300 MP3 files: one real lame stream (sox tone, 30 s, 128 kbit/s) in 300 distinct ID3v2.3
#          tags (texts, a 300-byte comment, a 20 KB picture frame) and ID3v1 tags
#   video/ 100 AVI files and 100 MPEG-1 system streams of 2 MB, built field by field
#   wmf/   100 metafiles like exported clip art (about 600 shapes and a bitmap each, ~100 KB)
# Each repetition runs, per picture format: media_analysis_bench on one thread and on two,
# `vipsthumbnail -s 100 -o %s_t.jpg[Q=45]` (JPEG and PNG) and
# `gm mogrify -size 200x200 -thumbnail 100x100 -quality 45` (into another folder) on copies of the
# same files; then the MP3 and video folders with media_analysis_bench and
# `mediainfo --Output=JSON` over all files in one process; then the metafiles against
# `wmf2gd -t jpeg --maxwidth=100 --maxheight=100 --maxpect --auto` (libwmf, 100-pixel JPEGs too).
set -euo pipefail
build_dir=${1:-build}
bench=$build_dir/media_analysis_bench
work=${MEDIA_BENCH_DIR:-/tmp/volumist-media-bench}
repetitions=${REPETITIONS:-5}
kinds=" ${MEDIA_KINDS:-jpeg png bmp gif mp3 video wmf} "
wanted() { [[ $kinds == *" $1 "* ]]; }
pictures=()
for kind in jpeg png bmp gif; do wanted $kind && pictures+=("$kind"); done
[[ -x $bench ]] || { echo "media_bench: $bench is not built" >&2; exit 1; }

make_corpus() {
  mkdir -p "$work"/{jpeg,png,bmp,gif,mp3,video,wmf,base}
  if [[ ${#pictures[@]} -gt 0 && ! -f $work/base/plasma.png ]]; then
    echo "media_bench: making the picture corpus (a few minutes, once)" >&2
    convert -seed 7 -size 4000x3000 plasma:fractal "$work/base/plasma.png"
  fi
  # A few distinct pictures of each kind (rolled, cropped and recoloured from the plasma), copied up
  # to the counts: distinct content does not change the decoding work, and making 100 large JPEGs
  # one by one would take the better part of an hour.
  local i k
  corpus_of() { # kind name extension count distinct make...: makes kind/name001.ext ...
    local kind=$1 name=$2 ext=$3 n=$4 distinct=$5; shift 5
    for i in $(seq 1 "$distinct"); do
      local first
      first=$(printf '%s/%s/%s%03d.%s' "$work" "$kind" "$name" "$i" "$ext")
      [[ -f $first ]] || "$@" "$i" "$first"
    done
    for i in $(seq $((distinct + 1)) "$n"); do
      local target source
      target=$(printf '%s/%s/%s%03d.%s' "$work" "$kind" "$name" "$i" "$ext")
      source=$(printf '%s/%s/%s%03d.%s' "$work" "$kind" "$name" $(( (i - 1) % distinct + 1 )) "$ext")
      [[ -f $target ]] || cp "$source" "$target"
    done
  }
  jpeg_of() { convert "$work/base/plasma.png" -roll +$(($1 * 370))+$(($1 * 230)) -modulate 100,100,$((60 + 8 * $1)) -quality 90 "$2"; }
  png_of() { convert "$work/base/plasma.png" -crop 1920x1080+$(($1 * 181))+$(($1 * 149)) +repage -modulate 100,100,$((50 + 9 * $1)) -depth 8 "$2"; }
  bmp_of() { convert "$work/base/plasma.png" -crop 1024x768+$(($1 * 97))+$(($1 * 53)) +repage -depth 8 -type TrueColor "$2"; }
  gif_of() { convert "$work/base/plasma.png" -crop 1024x768+$(($1 * 389))+$(($1 * 261)) +repage -colors 256 "$2"; }
  if wanted jpeg; then corpus_of jpeg photo jpg 100 10 jpeg_of; fi
  if wanted png; then corpus_of png shot png 50 10 png_of; fi
  if wanted bmp; then corpus_of bmp paint bmp 25 25 bmp_of; fi
  if wanted gif; then corpus_of gif anim gif 25 5 gif_of; fi
  if wanted mp3 && [[ ! -f $work/mp3/song299.mp3 ]]; then
    sox -n -r 44100 -c 2 "$work/base/tone.wav" synth 30 sine 440 sine 660
    lame --quiet -b 128 "$work/base/tone.wav" "$work/base/tone.mp3"
    "$bench" make-mp3 "$work/mp3" "$work/base/tone.mp3" 300
  fi
  if wanted video && [[ ! -f $work/video/clip99.mpg ]]; then "$bench" make-video "$work/video" 100; fi
  if wanted wmf && [[ ! -f $work/wmf/clipart99.wmf ]]; then "$bench" make-wmf "$work/wmf" 100; fi
  if wanted wmf && [[ ! -d $work/wmf-wmf2gd ]]; then
    mkdir -p "$work/wmf-wmf2gd"
    cp "$work/wmf"/* "$work/wmf-wmf2gd/"
  fi
  for kind in "${pictures[@]}"; do
    for peer in vips gm; do
      if [[ ! -d $work/$kind-$peer ]]; then
        mkdir -p "$work/$kind-$peer" "$work/$kind-$peer-out"
        cp "$work/$kind"/* "$work/$kind-$peer/"
      fi
    done
  done
}

seconds() { # command... : wall seconds of one run
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN { print e - s }'
}

median() { sort -g | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }

make_corpus
scanned=$(mktemp -d)
trap 'rm -rf "$scanned"' EXIT
# A whole scan of the folder with the analyser on, as a user runs it (two cores).
scan_of() { # analyser-option folder
  seconds env XDG_CONFIG_HOME="$scanned" XDG_DATA_HOME="$scanned" "$build_dir/volumist-cli" scan --yes --no-archives \
    "$1" --file "$scanned/v.vkt" "$2"
}
declare -A times
record() { times[$1]+="$2 "; }

for r in $(seq 1 "$repetitions"); do
  for kind in "${pictures[@]}"; do
    files=( $(cd "$work/$kind" && ls) )
    record "$kind ours-1" "$(seconds "$bench" analyse "$work/$kind" 1)"
    record "$kind ours-2" "$(seconds "$bench" analyse "$work/$kind" 2)"
    record "$kind scan" "$(scan_of --images "$work/$kind")"
    if [[ $kind == jpeg || $kind == png ]]; then
      record "$kind vipsthumbnail" "$(seconds bash -c "cd '$work/$kind-vips' && vipsthumbnail -s 100 -o '%s_t.jpg[Q=45]' ${files[*]}")"
    fi
    record "$kind gm" "$(seconds bash -c "cd '$work/$kind-gm' && gm mogrify -output-directory '$work/$kind-gm-out' -size 200x200 -thumbnail 100x100 -quality 45 ${files[*]}")"
  done
  if wanted mp3; then
    record "mp3 ours-1" "$(seconds "$bench" analyse "$work/mp3" 1)"
    record "mp3 scan" "$(scan_of --audio "$work/mp3")"
    record "mp3 mediainfo" "$(seconds bash -c "mediainfo --Output=JSON '$work'/mp3/*.mp3")"
  fi
  if wanted video; then
    record "video ours-1" "$(seconds "$bench" analyse "$work/video" 1)"
    record "video scan" "$(scan_of --video "$work/video")"
    record "video mediainfo" "$(seconds bash -c "mediainfo --Output=JSON '$work'/video/*")"
  fi
  if wanted wmf; then
    record "wmf ours-1" "$(seconds "$bench" analyse "$work/wmf" 1)"
    record "wmf ours-2" "$(seconds "$bench" analyse "$work/wmf" 2)"
    record "wmf scan" "$(scan_of --images "$work/wmf")"
    record "wmf wmf2gd" "$(seconds bash -c "cd '$work/wmf-wmf2gd' && wmf2gd -t jpeg --maxwidth=100 --maxheight=100 --maxpect --auto *.wmf")"
  fi
done

count() { ls "$work/$1" | wc -l; }
printf '%-6s %-15s %10s %10s\n' kind tool "median s" "files/s"
for key in $(printf '%s\n' "${!times[@]}" | sed 's/ /|/' | sort); do
  kind=${key%%|*}; tool=${key#*|}
  m=$(echo "${times["$kind $tool"]}" | tr ' ' '\n' | grep . | median)
  printf '%-6s %-15s %10.3f %10.1f\n' "$kind" "$tool" "$m" "$(awk -v n="$(count "$kind")" -v m="$m" 'BEGIN { print n / m }')"
done
