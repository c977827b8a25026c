#!/usr/bin/env bash
# The main job: sets up what is missing, builds, starts the demo probe and the console on it.
# With a display the console opens interactively on the demo node; without one it runs
# scripts/demo.script offscreen and writes screenshots (the table, a Utilization graph of
# three conversations, the All window, the view's context menu), the table and the graphs'
# points into OUT (default: out/ in the repository). LANGUAGE=zh_CN runs it in Chinese.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" --target programs
build="${BUILD_DIR:-$root/build}"
out="${OUT:-$root/out}"
probe_dir="${TMPDIR:-/tmp}/tessaran-probe"
mkdir -p "$out"

bash "$root/scripts/demo_probe.sh" start --dir "$probe_dir"
export TESSARAN_NODES="$probe_dir/nodes"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$build/bin/quillon" --open demo-probe
fi

script="$out/demo.script"
sed "s|\${OUT}|$out|g" "$root/scripts/demo.script" > "$script"
# Graphs poll every second, so the pictures show lines of ten points and more.
QT_QPA_PLATFORM=offscreen "$build/bin/quillon" --graph-interval 1 --script "$script"
echo "run.sh: the demo wrote $out/console.png, $out/utilization.png, $out/all.png," \
    "$out/table.tsv, $out/graphs.tsv, $out/messages.txt, $out/conversation.png," \
    "$out/conversation.tsv, $out/conversation-graph.png and $out/context-menu.png"
echo "run.sh: the demo probe keeps running; stop it with: bash scripts/demo_probe.sh stop"
