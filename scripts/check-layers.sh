#!/usr/bin/env bash
# Checks the layers of the program's sources:
#  - every file that includes a Windows header has "win32" in its path, a Qt header "qt";
#  - the portable core library holds no platform source (win32, posix) in any build: CMake itself is asked for the
#    core target's sources, for the native and for the Windows build;
#  - includes run one way: support <- settings (the record, the file, the dialog) <- render <- app,
#    and no portable file includes a platform one;
#  - no two source files (a header with its .cpp counts as one) include each other, directly or
#    round a longer loop.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# CMake's file API: a query file before configuring, a reply with every target's sources after.
ask_cmake() {  # folder cmake-arguments...
  local build=$work/$1; shift
  mkdir -p "$build/.cmake/api/v1/query"
  touch "$build/.cmake/api/v1/query/codemodel-v2"
  cmake -S . -B "$build" -G Ninja "$@" >/dev/null
}
ask_cmake native -DKESTRIVAL_BENCH=OFF
ask_cmake windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake

python3 - "$work" <<'PY'
import glob, json, os, re, subprocess, sys

work = sys.argv[1]
problems = []

def core_sources(build):
    reply = glob.glob(os.path.join(work, build, ".cmake/api/v1/reply/target-kestrival_core-*.json"))
    if not reply:
        problems.append(f"{build} build: CMake names no kestrival_core target")
        return []
    return [s["path"] for s in json.load(open(reply[0]))["sources"]]

PLATFORMS = ("win32", "posix", "qt")
def platform_of(path):
    return next((p for p in PLATFORMS if f"/{p}/" in "/" + path), None)

for build in ("native", "windows"):
    for path in core_sources(build):
        if platform_of(path):
            problems.append(f"{build} build: the core library compiles the platform source {path}")

# Each build compiles only its own platform's folders: no win32 source on Linux, no Qt or POSIX
# source in the Windows build.
foreign = {"native": ("win32",), "windows": ("qt", "posix")}
for build, excluded in foreign.items():
    for reply in glob.glob(os.path.join(work, build, ".cmake/api/v1/reply/target-*.json")):
        target = json.load(open(reply))
        for source in target.get("sources", []):
            if platform_of(source["path"]) in excluded:
                problems.append(f"{build} build: {target['name']} compiles {source['path']}")

files = subprocess.run(["git", "ls-files", "app", "render", "settings", "support"],
                       capture_output=True, text=True, check=True).stdout.split()
files = [f for f in files if f.endswith((".h", ".cpp"))]
windows_header = re.compile(r'#include <(windows|commctrl|commdlg|shellapi|shlobj|winres|imm|wtsapi32)\.h>')
include = re.compile(r'^#include "([^"]+)"', re.M)
qt_header = re.compile(r'#include <Q[A-Za-z]+>')

# Layers from the bottom, one per top folder: the folder tells the layer (the settings dialog
# lives under settings/ and so may not lean on render/); a platform folder may also use the
# platform folders of the layers below.
ORDER = ["support", "settings", "render", "app"]
def layer_of(path):
    if path == "kestrival_version.h":
        return ("support", None)
    subsystem = path.split("/")[0]
    platform = platform_of(path)
    return (subsystem if subsystem in ORDER else None, platform)

def may_include(source, target):
    (s_layer, s_platform), (t_layer, t_platform) = source, target
    if s_layer is None or t_layer is None:
        return True
    # Portable code never reaches into a platform folder; the Qt layer runs on POSIX systems.
    if t_platform and t_platform not in {"win32": ("win32",), "posix": ("posix",), "qt": ("qt", "posix")}.get(
            s_platform, ()):
        return False
    return ORDER.index(t_layer) <= ORDER.index(s_layer)

graph = {}
for f in files:
    text = open(f, encoding="utf-8").read()
    if windows_header.search(text) and "/win32/" not in f:
        problems.append(f"{f} includes a Windows header outside a win32 folder")
    if qt_header.search(text) and "/qt/" not in f:
        problems.append(f"{f} includes a Qt header outside a qt folder")
    module = os.path.splitext(f)[0]
    for included in include.findall(text):
        if not may_include(layer_of(f), layer_of(included)):
            problems.append(f"{f} {layer_of(f)} includes {included} {layer_of(included)}")
        target = os.path.splitext(included)[0]
        if target != module:
            graph.setdefault(module, set()).add(target)

# Loops between modules, by depth-first search.
state, stack = {}, []
def visit(module):
    state[module] = "open"
    stack.append(module)
    for target in sorted(graph.get(module, ())):
        if state.get(target) == "open":
            loop = stack[stack.index(target):] + [target]
            problems.append("include loop: " + " -> ".join(loop))
        elif target not in state:
            visit(target)
    stack.pop()
    state[module] = "done"
for module in sorted(graph):
    if module not in state:
        visit(module)

for problem in problems:
    print("layers:", problem, file=sys.stderr)
if problems:
    sys.exit(1)
print("layers: every Windows header in a win32 path and every Qt header in a qt path; the core holds no platform "
      "source and each build only its own platform's; includes run one way, without loops")
PY
