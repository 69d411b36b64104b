#!/bin/sh
# Times flint-sim showcase: one mock-up at 375 × 812 @3x (a 1125 × 2436 screenshot in a bezel on a
# colour, no tilt) against ImageMagick's convert doing the same 2D composite, when a convert is
# given; then a batch of JOBS such mock-ups with --parallel 1 and --parallel 2.
#
#   bench/bench_batch.sh [BUILD_DIR] [JOBS] [CONVERT]
#
# Each figure is the best of three runs' wall time. The numbers are for the report, not a test.
set -eu
build=${1:-build/release}
jobs=${2:-100}
convert=${3:-}
sim="$build/bin/flint-sim"
bundle="$build/resources/Flint.bundle"
work=$(mktemp -d /tmp/flint-bench-batch-XXXXXX)
trap 'rm -rf "$work"' EXIT

best() { # command…: the best wall time of three runs, in seconds
    b=""
    for _ in 1 2 3; do
        s=$(date +%s.%N)
        "$@" >/dev/null 2>&1 || true
        e=$(date +%s.%N)
        t=$(echo "$e - $s" | bc)
        if [ -z "$b" ] || [ "$(echo "$t < $b" | bc)" = 1 ]; then b=$t; fi
    done
    echo "$b"
}

"$sim" snapshot -o "$work/shot.png" >/dev/null
one=$(best "$sim" showcase --screenshot "$work/shot.png" --template 2 --background-color '#00B2FF' -o "$work/one.png")
echo "flint-sim showcase, one mock-up 1125 × 2193 (boot included): $one s"

if [ -n "$convert" ]; then
    # A convert that does nothing would time as fast as anything: it must make a PNG first.
    if ! "$convert" -size 4x4 xc:red "$work/probe.png" >/dev/null 2>&1 || [ ! -s "$work/probe.png" ]; then
        echo "$convert does not make PNGs (is ImageMagick installed?): not compared" >&2
        convert=""
    fi
fi
if [ -n "$convert" ]; then
    # The same composite: the screenshot resized into the bezel's screen (251 × 542 pt at 3x,
    # centred in the 287 × 571 bezel, centred on the 375 × 730.8 canvas), the bezel PNG over it,
    # all over the colour.
    im=$(best "$convert" -size 1125x2193 'xc:#00B2FF' \
        \( "$work/shot.png" -resize '753x1626!' \) -gravity center -composite \
        \( "$bundle/iPhoneX-black@3x.png" -resize '861x1713!' \) -gravity center -composite "$work/im.png")
    echo "convert, the same composite: $im s (flint-sim is $(echo "scale=2; $im / $one" | bc)× as fast)"
fi

printf '[' > "$work/jobs.json"
i=1
while [ "$i" -le "$jobs" ]; do
    [ "$i" -gt 1 ] && printf ',' >> "$work/jobs.json"
    printf '{"screenshot": "shot.png", "template": %d, "backgroundColor": "#00B2FF", "output": "out/%d.png"}' \
        $(( (i - 1) % 10 + 1 )) "$i" >> "$work/jobs.json"
    i=$((i + 1))
done
printf ']' >> "$work/jobs.json"
for n in 1 2; do
    s=$(date +%s.%N)
    "$sim" showcase --jobs "$work/jobs.json" --parallel "$n" > "$work/batch-$n.log" 2>&1 || true
    e=$(date +%s.%N)
    t=$(echo "$e - $s" | bc)
    eval "t$n=$t"
    echo "$jobs jobs, --parallel $n: $t s ($(echo "scale=2; $jobs / $t" | bc) jobs/s); $(tail -n 1 "$work/batch-$n.log")"
done
echo "--parallel 2 runs at $(echo "scale=2; $t1 / $t2" | bc)× the rate of --parallel 1"
