#!/usr/bin/env bash
# Resident memory of the desktop program after it has played for a while (10 minutes unless told), the way a
# user runs it: the tray on a panel, the island on the screen, the cat dancing, one workspace on the fake
# Slack. Runs on a private bus with a keyring and an X display of its own:
#   tests/support/run-in-session-bus.sh --keyring --display -- bench/e2e/desktop-memory.sh BUILD_DIR [SECONDS]
# (`make bench-desktop` does that with the release build.)
set -euo pipefail
build="$(cd "$1" && pwd)"
seconds="${2:-600}"
here="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$here"
}
trap cleanup EXIT

# A fake started in the background, its first line (the port, or that it is ready) read from a pipe.
start() {
    local name="$1"
    shift
    mkfifo "$here/$name.out"
    "$@" >"$here/$name.out" 2>"$here/$name.err" &
    pids+=("$!")
    exec {fd}<"$here/$name.out"
    read -r -t 20 -u "$fd" line || { echo "$name did not start: $(cat "$here/$name.err")" >&2; exit 1; }
    echo "$line"
}

slack_port=$(start slack "$build/tests/support/nimbrel-fake-slack" --token xoxp-one:T1:U1)
itunes_port=$(start itunes "$build/tests/support/nimbrel-fake-itunes" --artist "Kavinsky=Electronic")
start panel "$build/tests/support/fake_sni_watcher/nimbrel-fake-sni-watcher" >/dev/null
start player "$build/tests/support/fake_player/nimbrel-fake-player" --name spotify --identity Spotify \
    --play "Kavinsky — Nightcall" >/dev/null
printf 'xoxp-one' | secret-tool store --label 'Nimbrel — Slack (T1)' service com.quillmoor.nimbrel account T1

export NIMBREL_HOME="$here/home"
mkdir -p "$NIMBREL_HOME"
# The built-in configuration with one workspace.
sed '1a\  "slack_accounts": [{"team_id": "T1", "team_name": "One", "user_id": "U1"}],' \
    "$(dirname "$0")/../../resources/config.json" >"$NIMBREL_HOME/config.json"
export NimbrelDebugLogging="${NimbrelDebugLogging:-0}" NimbrelSlackBaseURL="http://127.0.0.1:$slack_port/api/" NimbrelITunesBaseURL="http://127.0.0.1:$itunes_port"
"$build/app/cli/nimbrel" &
program=$!
pids+=("$program")
sleep 5
curl -s "http://127.0.0.1:$slack_port/_fake/requests" | grep -q users.profile.set ||
    { echo "the first status did not reach Slack:" >&2; cat "$NIMBREL_HOME/app.log" >&2; exit 1; }
echo "playing for $seconds s…"
sleep "$seconds"
field() { awk -v name="$1:" '$1 == name { printf "%.1f MB", $2 / 1024 }' "/proc/$program/status"; }
echo "| VmRSS / VmHWM after $seconds s playing | $(field VmRSS) / $(field VmHWM) |"
echo "| of which the program's own (RssAnon) / mapped files (RssFile) | $(field RssAnon) / $(field RssFile) |"
echo "| Proportional set size (shared pages split among the processes that map them) | $(awk '$1 == "Pss:" { printf "%.1f MB", $2 / 1024 }' "/proc/$program/smaps_rollup") |"
echo "The mapped files with the most resident pages:"
awk '/^[0-9a-f]+-[0-9a-f]+ / { file = $6 } /^Rss:/ && file != "" { rss[file] += $2 }
     END { for (f in rss) printf "%8.1f MB  %s\n", rss[f] / 1024, f }' "/proc/$program/smaps" | sort -rn | head -n 8
"$build/app/cli/nimbrel" quit
