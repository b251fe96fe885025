#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Mutation testing: proves the tests catch faults instead of merely running the code.
#
# Applies one small fault at a time to the widget-free core sources (a comparison
# moved by its boundary or negated, + and - swapped, a constant changed by one, a
# statement dropped), rebuilds, runs the tests and puts the source back. A fault the
# tests notice is "killed" (the log names the test that noticed); one they miss
# "survived" and is listed at the end. Faults that do not compile are skipped.
#
# The build folder holds shared libraries and programs that are not relinked when a
# library changes: a fault recompiles one file and relinks one library, and only the
# tests that load that library run (the quick unit tests first, the first failure
# decides).
#
# The faults come from a fixed, seeded shuffle of every candidate in the files, so
# the same tree and seed always test the same sample:
#
#   scripts/mutation.sh [--count N] [--seed S] [--build DIR] [--jobs J] [--list]
#
#   --count N   faults to test (default 150)
#   --seed S    seed of the sample (default 15)
#   --build DIR build folder of its own (default build-mutation), Release at -O1,
#               shared libraries, no debug information, through ccache if installed
#   --jobs J    parallel compile jobs and tests (default 1)
#   --list      print the sample and stop, without building
#
# It edits the sources in place, so run it on a checkout nobody is editing, for
# example `git worktree add ../mut main`. The files it mutates must be unchanged
# against git; an interrupted run still puts them back.
set -euo pipefail
cd "$(dirname "$0")/.."

count=150
seed=15
build=build-mutation
jobs=1
list_only=0
while [[ $# -gt 0 ]]; do
    case "$1" in
        --count) count="$2"; shift 2 ;;
        --seed) seed="$2"; shift 2 ;;
        --build) build="$2"; shift 2 ;;
        --jobs) jobs="$2"; shift 2 ;;
        --list) list_only=1; shift ;;
        -h|--help) sed -n '2,30p' "$0"; exit 0 ;;
        *) echo "mutation.sh: unknown option $1" >&2; exit 64 ;;
    esac
done

# Every widget-free library under core/: numbers and dates, files, settings, the drawing
# surface, both analyses, the reports and price histories. Windows are left to the
# window tests.
mapfile -t sources < <(ls core/*/*.cpp)

work="$build/mutation"
mkdir -p "$work"
sample="$work/sample.tsv"

# ---- The sample ------------------------------------------------------------------
python3 - "$seed" "$sample" "${sources[@]}" <<'PY'
import random, re, sys

seed, out, files = int(sys.argv[1]), sys.argv[2], sys.argv[3:]

def code_mask(line):
    """The line with string and character literals and a // comment blanked out,
    so no fault lands inside text or a comment. Positions stay the same."""
    out, i, quote = [], 0, None
    while i < len(line):
        c = line[i]
        if quote:
            if c == '\\':
                out.append('  '); i += 2; continue
            out.append(c if c == quote else ' ')
            if c == quote: quote = None
        elif c in '"\'':
            quote = c; out.append(c)
        elif line.startswith('//', i):
            out.append(' ' * (len(line) - i)); break
        else:
            out.append(c)
        i += 1
    return ''.join(out)[:len(line)]

COMPARE = {'<': '<=', '<=': '<', '>': '>=', '>=': '>', '==': '!=', '!=': '=='}
ARITH = {'+': '-', '-': '+', '+=': '-=', '-=': '+='}
NOT_DROPPED = re.compile(r'^(return|case|default|break;|if|else|for|while|do|switch|'
                         r'const|static|constexpr|auto|using|namespace|template|throw|'
                         r'[A-Za-z_][\w:<>,]*[\s*&]+[A-Za-z_]\w*\s*(=|;|\(|\{))')

def candidates(path):
    lines = open(path, encoding='utf-8').read().split('\n')
    in_block = False
    previous = ';'   # the last code line before this one, masked
    for no, line in enumerate(lines, 1):
        s = line.strip()
        if in_block:
            in_block = '*/' not in s
            continue
        if s.startswith('/*'):
            in_block = '*/' not in s
            continue
        if not s or s.startswith(('#', '//', '*')) or 'Q_ASSERT' in s or 'Q_UNUSED' in s or 'static_assert' in s:
            continue
        m = code_mask(line)
        # A line that continues an expression is no statement of its own.
        continued = previous.rstrip()[-1:] in '=,(+-*/&|?:<' or m.lstrip()[:1] in ':+-*/&|?.<'
        previous = m if m.strip() else previous
        for r in re.finditer(r' (<=|>=|==|!=|<|>) ', m):
            yield no, r.start(1), r.end(1), COMPARE[r.group(1)], 'comparison'
        for r in re.finditer(r' (\+=|-=|\+|-) ', m):
            yield no, r.start(1), r.end(1), ARITH[r.group(1)], 'plus/minus'
        for r in re.finditer(r'(?<![\w.])(\d+)(\.\d+)?(?![\w.])', m):
            whole, frac = r.group(1), r.group(2) or ''
            yield no, r.start(), r.end(), str(int(whole) + 1) + frac, 'constant'
        body = m.strip()
        if (body.endswith(';') and not continued and not NOT_DROPPED.match(body) and body.count('(') == body.count(')')
                and body.count('{') == body.count('}') and '?' not in body):
            start = len(line) - len(line.lstrip())
            yield no, start, len(line.rstrip()), ';', 'statement dropped'

rows = []
for f in files:
    text = open(f, encoding='utf-8').read().split('\n')
    for no, a, b, new, kind in candidates(f):
        rows.append((f, no, a, b, new, kind, text[no - 1][a:b]))
random.Random(seed).shuffle(rows)
with open(out, 'w', encoding='utf-8') as o:
    for f, no, a, b, new, kind, old in rows:
        o.write('\t'.join([f, str(no), str(a), str(b), new, kind, old.strip()]) + '\n')
print(f'{len(rows)} candidate faults in {len(files)} files, seed {seed}', file=sys.stderr)
PY

if [[ $list_only == 1 ]]; then
    head -n "$count" "$sample" | awk -F'\t' '{printf "%s:%s %s: `%s` -> `%s`\n", $1, $2, $6, $7, $5}'
    exit 0
fi

if ! git diff --quiet -- "${sources[@]}"; then
    echo "mutation.sh: the core sources have uncommitted changes; run it on a clean checkout" >&2
    exit 1
fi

# ---- Build and test --------------------------------------------------------------
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
linker=()
command -v ld.lld >/dev/null && linker=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld -DCMAKE_SHARED_LINKER_FLAGS=-fuse-ld=lld)
# Shared libraries, and no program relinked when one of them changes: a fault then
# recompiles one file and relinks one library, and the test programs built once load it.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" \
    -DBUILD_SHARED_LIBS=ON -DCMAKE_LINK_DEPENDS_NO_SHARED=ON "${launcher[@]}" "${linker[@]}" >/dev/null

# Only what the tests run: every test executable, the command-line tool and the
# guide's helpers; the program itself and the benchmarks are not needed.
mapfile -t targets < <(ctest --test-dir "$build" -N 2>/dev/null | sed -n 's/^ *Test *#[0-9]*: \(test_.*\)$/\1/p')
targets+=(tessaray-cli tessaray-docshots docexamples)

build_all() {
    touch "$work/stamp"
    build_quietly
}
build_quietly() {
    timeout 1800 cmake --build "$build" -j"$jobs" --target "${targets[@]}" >"$work/build.log" 2>&1
}

# Which libraries of the build each test loads: its own program's, and those of the
# command-line tool and the guide's helper when it runs them. Worked out once on the
# clean build, as "test<TAB>library ..." lines in declaration order.
map_tests() {
    ctest --test-dir "$build" --show-only=json-v1 2>/dev/null | python3 -c '
import json, os, re, subprocess, sys
build = os.path.realpath(sys.argv[1])
tools = {}
for root, _, files in os.walk(build):
    for f in files:
        if f in ("tessaray-cli", "tessaray-docshots") and os.access(os.path.join(root, f), os.X_OK):
            tools[f] = os.path.join(root, f)
def libraries(program):
    out = subprocess.run(["ldd", program], capture_output=True, text=True).stdout
    return {os.path.realpath(m) for m in re.findall(r"=> (\S+)", out) if os.path.realpath(m).startswith(build + "/")}
for test in json.load(sys.stdin)["tests"]:
    command = test.get("command", [])
    programs = [c for c in command if c.startswith("/") and os.path.isfile(c) and not c.startswith("/bin/")
                and not c.startswith("/usr/")]
    text = " ".join(command)
    for name, path in tools.items():
        # A test program names the tool it runs in its own bytes (QStringLiteral: UTF-16).
        if name in text or any(path.encode() in b or path.encode("utf-16-le") in b
                               for b in (open(p, "rb").read() for p in programs)):
            programs.append(path)
    libs = set().union(*(libraries(p) for p in programs)) if programs else set()
    print(test["name"] + "\t" + " ".join(sorted(libs)))
' "$build" >"$work/tests.map"
}

# The tests that load a library the last build changed, as a ctest -R pattern; all
# tests when `all` is given. A test that loads none of them gives the same answer as
# on the clean tree.
changed_tests() {
    python3 - "$work/tests.map" "$work/stamp" "${1:-}" <<'PY'
import os, sys
stamp, everything = os.path.getmtime(sys.argv[2]), sys.argv[3] == "all"
names = []
for line in open(sys.argv[1]):
    name, _, libs = line.rstrip("\n").partition("\t")
    if everything or any(os.path.getmtime(l) >= stamp for l in libs.split()):
        names.append(name)
print("^(" + "|".join(names) + ")$" if names else "")
PY
}

run_tests() {
    local pattern
    pattern=$(changed_tests "$@")
    [[ -z $pattern ]] && return 0
    # In the order they are declared, the quick unit tests first, and the first failure
    # decides; a fault that makes a test loop ends at its timeout.
    rm -f "$build/Testing/Temporary/CTestCostData.txt"
    timeout 1800 ctest --test-dir "$build" -j"$jobs" --stop-on-failure -R "$pattern" >"$work/test.log" 2>&1
}

echo "Building the unmutated tree in $build ..."
build_all || { echo "mutation.sh: the unmutated tree does not build (see $work/build.log)" >&2; exit 1; }
map_tests
run_tests all || { echo "mutation.sh: the tests fail without any fault (see $work/test.log)" >&2; exit 1; }

backup="$work/original"
current=""
restore() {
    if [[ -n $current ]]; then
        cp "$backup" "$current"
        current=""
    fi
}
# Puts the library back before the next fault is stamped, so that fault runs only the
# tests of its own library (the clean object comes from ccache).
restore_and_rebuild() {
    restore
    build_quietly || true
}
trap restore EXIT
trap 'restore; exit 130' INT TERM

apply_fault() {   # file line start end replacement
    python3 - "$@" <<'PY'
import sys
path, no, a, b, new = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), sys.argv[5]
lines = open(path, encoding='utf-8').read().split('\n')
line = lines[no - 1]
lines[no - 1] = line[:a] + new + line[b:]
open(path, 'w', encoding='utf-8').write('\n'.join(lines))
PY
}

tested=0 killed=0 stillborn=0
started=$SECONDS
survivors=()
log="$work/results.txt"
: >"$log"
while IFS=$'\t' read -r file line start end new kind old; do
    [[ $tested -ge $count ]] && break
    what="$file:$line $kind: \`$old\` -> \`$new\`"
    began=$SECONDS
    cp "$file" "$backup"
    current="$file"
    apply_fault "$file" "$line" "$start" "$end" "$new"
    if ! build_all; then
        stillborn=$((stillborn + 1))
        restore_and_rebuild
        continue
    fi
    tested=$((tested + 1))
    if run_tests; then
        verdict=survived
        survivors+=("$what")
    else
        # The test that noticed it, as ctest names it.
        verdict="killed by $(sed -n 's/.*Test *#[0-9]*: \([A-Za-z0-9_]*\) .*\*\*\*.*/\1/p' "$work/test.log" | head -n 1)"
        killed=$((killed + 1))
    fi
    restore_and_rebuild
    printf '[%d/%d] %3ds %s: %s\n' "$tested" "$count" $((SECONDS - began)) "$what" "$verdict" | tee -a "$log"
done <"$sample"

# Leave the build folder matching the clean sources.
build_all || true

echo
echo "Faults that did not compile (not counted): $stillborn"
if [[ ${#survivors[@]} -gt 0 ]]; then
    echo "Surviving faults:"
    printf '  %s\n' "${survivors[@]}"
fi
echo "mutation score: $killed/$tested killed"
[[ $tested -gt 0 ]] && echo "seconds per fault: $(( (SECONDS - started) / tested ))"
