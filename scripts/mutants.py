#!/usr/bin/env python3
"""Measures what the Linux suite catches: small deliberate faults (mutants) in
the sources that the linux preset builds, each built and run through the whole
of hw_tests in turn, and which tests fail for each.

  scripts/mutants.py sample SEED COUNT > mutants.json
  scripts/mutants.py run mutants.json results.jsonl [WORKER WORKERS]
  scripts/mutants.py report results.jsonl

`run` changes the sources of the tree it lives in and puts each file back
after its mutant, so give it a clean worktree of its own (git worktree add),
with build/linux configured. Several workers may share one results file, each
in its own worktree; a run that is stopped takes up where it was.

`report` says how many mutants the suite kills, and which tests are the only
ones to kill a mutant: a test that is the only one to catch a fault cannot go
without that fault going uncaught."""
import collections, json, os, random, re, subprocess, sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OPERATORS = [(" < ", " <= "), (" <= ", " < "), (" > ", " >= "), (" >= ", " > "), (" == ", " != "),
             (" != ", " == "), (" && ", " || "), (" || ", " && "), (" + 1", ""), (" - 1", ""),
             ("return true;", "return false;"), ("return false;", "return true;"), ("(!", "("), ("++", "--")]
NOT_CODE = re.compile(r"^\s*(#|//|\*|/\*)|static_assert|template\s*<")
# A statement that calls or assigns, which the mutant leaves out.
STATEMENT = re.compile(r"^[A-Za-z_][\w:.>\[\]-]*(\(|\s*[+-]?=\s)")
DECLARATION = re.compile(r"^(return|break|continue|const|auto|std::|int|bool|char|unsigned|size_t|using|throw)\b")
TEST_TIMEOUT = 60  # seconds for the whole suite, which takes about ten


def built_sources():
    ninja = open(os.path.join(ROOT, "build/linux/build.ninja")).read()
    objects = sorted(set(re.findall(r"CMakeFiles/hw\w*\.dir/src/\S+\.cpp\.o", ninja)))
    return [o.split("/", 2)[2][:-2] for o in objects if "/src/app/" not in o]


def sites(files):
    for f in files:
        for n, line in enumerate(open(os.path.join(ROOT, f), encoding="utf-8", errors="replace")):
            if NOT_CODE.search(line):
                continue
            code = line.split("//")[0]
            for op, (old, _) in enumerate(OPERATORS):
                at = code.find(old)
                while at >= 0:
                    in_string = code[:at].count('"') % 2 == 1
                    longer_number = old[-1].isdigit() and code[at + len(old):at + len(old) + 1].isalnum()
                    if not in_string and not longer_number:
                        yield {"file": f, "line": n, "op": op, "col": at}
                    at = code.find(old, at + 1)
            s = code.strip()
            if s.endswith(";") and STATEMENT.match(s) and not DECLARATION.match(s) and "(" in s and s.count("(") == s.count(")"):
                yield {"file": f, "line": n, "op": -1, "col": 0}


def mutate(m):
    path = os.path.join(ROOT, m["file"])
    lines = open(path, encoding="utf-8", errors="surrogateescape").read().split("\n")
    old = lines[m["line"]]
    if m["op"] < 0:
        new = old[: len(old) - len(old.lstrip())] + ";"
    else:
        find, put = OPERATORS[m["op"]]
        if old[m["col"]:m["col"] + len(find)] != find:
            return None
        new = old[: m["col"]] + put + old[m["col"] + len(find):]
    lines[m["line"]] = new
    open(path, "w", encoding="utf-8", errors="surrogateescape").write("\n".join(lines))
    return old.strip() + "  ==>  " + new.strip()


def failing_tests():
    """The tests that fail; a test that crashes or hangs the suite counts as
    failing, and the suite runs again without it."""
    failed, skip = set(), []
    for _ in range(4):
        try:
            out = subprocess.run(["./hw_tests", "--gtest_filter=-" + ":".join(skip)], cwd=ROOT + "/build/linux",
                                 capture_output=True, text=True, errors="replace", timeout=TEST_TIMEOUT).stdout
        except subprocess.TimeoutExpired as e:
            out = (e.stdout or b"").decode(errors="replace")
        failed |= set(re.findall(r"^\[  FAILED  \] (\w+\.\w+/?\w*)", out, re.M))
        started = re.findall(r"^\[ RUN      \] (\S+)", out, re.M)
        ended = set(re.findall(r"^\[\s+(?:OK|FAILED|SKIPPED)\s+\] (\S+) \(", out, re.M))
        if re.search(r"^\[==========\] \d+ tests? from .* ran", out, re.M) or not started or started[-1] in ended:
            break
        failed.add(started[-1])
        skip.append(started[-1])
    return sorted(failed)


def run(listing, results, worker=0, workers=1):
    done = {json.loads(l)["id"] for l in open(results)} if os.path.exists(results) else set()
    build = ["cmake", "--build", "--preset", "linux", "--target", "hw_tests"]
    for i, m in enumerate(json.load(open(listing))):
        if i % workers != worker or i in done:
            continue
        record = {"id": i, "file": m["file"], "line": m["line"] + 1, "change": mutate(m)}
        if record["change"] is None:
            record["status"] = "stale"
        elif subprocess.run(build, cwd=ROOT, capture_output=True).returncode != 0:
            record["status"] = "does not build"
        else:
            record["killed_by"] = failing_tests()
            record["status"] = "killed" if record["killed_by"] else "survived"
        subprocess.run(["git", "checkout", "-q", "--", m["file"]], cwd=ROOT, check=True)
        with open(results, "a") as out:
            out.write(json.dumps(record) + "\n")
    subprocess.run(build, cwd=ROOT, capture_output=True)


def report(results):
    records = [json.loads(l) for l in open(results)]
    killed = [r for r in records if r["status"] == "killed"]
    print("mutants: %d; %s" % (len(records), ", ".join("%s %d" % kv for kv in collections.Counter(
        r["status"] for r in records).most_common())))
    built = [r for r in records if r["status"] in ("killed", "survived")]
    if built:
        print("killed: %.0f%% of those that build" % (100.0 * len(killed) / len(built)))
    by = collections.Counter(min(len(r["killed_by"]), 5) for r in killed)
    print("killed by 1, 2, 3, 4, 5 or more tests: %s" % ", ".join(str(by[k]) for k in range(1, 6)))
    only = collections.defaultdict(list)
    for r in killed:
        if len(r["killed_by"]) == 1:
            only[r["killed_by"][0]].append(r)
    print("tests that alone kill a mutant: %d" % len(only))
    for test, rs in sorted(only.items()):
        for r in rs:
            print("  %s  %s:%d  %s" % (test, r["file"], r["line"], r["change"][:120]))
    print("survivors:")
    for r in records:
        if r["status"] == "survived":
            print("  %s:%d  %s" % (r["file"], r["line"], r["change"][:140]))


if __name__ == "__main__":
    if len(sys.argv) >= 4 and sys.argv[1] == "sample":
        all_sites = list(sites(built_sources()))
        random.Random(int(sys.argv[2])).shuffle(all_sites)
        json.dump(all_sites[: int(sys.argv[3])], sys.stdout, indent=0)
    elif len(sys.argv) in (4, 6) and sys.argv[1] == "run":
        run(sys.argv[2], sys.argv[3], *(int(a) for a in sys.argv[4:]))
    elif len(sys.argv) == 3 and sys.argv[1] == "report":
        report(sys.argv[2])
    else:
        sys.exit(__doc__)
