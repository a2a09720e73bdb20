#!/usr/bin/env python3
# Runs the program as its users meet it. Each case file in cases/ holds the
# starting files, the typed input, and the expected screen and files; the
# program runs in a fresh directory, and the screen and every file left
# there are compared byte for byte (a file nobody expected fails too). A
# failure names the case, the step, and for the menu the operation in which
# the first difference falls.
#
# Usage: session_test.py BINARY [CASE...]      (no CASE: every case)
#
# A case is a list of sections, each opened by a line "== KIND ...":
#   start NAME [< SHARED]   a file there before the run (or cases/shared/SHARED)
#   setup, after            shell lines run in the directory before the run,
#                           and after it and the comparisons (they must succeed)
#   keys A|B|C              the menu's input: the lines A, B and C
#   stdin                   the menu's input, as the section's body
#   stdout STEP             the menu's expected screen; the session is the step
#   cli                     steps: a shell line "$ quorvane ARGS  ## STEP", or
#                           "$ ## STEP" and then its commands one a line, each
#                           marked "> " (ended by "&&" to chain them), each
#                           step followed by its standard output, its standard
#                           error with each line marked "! ", and "? N" for a
#                           status N but 0; $QUORVANE is the binary, for
#                           `timeout $QUORVANE`
#   file NAME...            files expected afterwards, holding the body
#   same NAME...            files expected as they were at the start
#   exists NAME...          files expected, contents not compared
# A body is its lines, each ended by a newline. {banner}, {new}, {loaded},
# {menu} and {damaged} stand for the start-up lines, the menu and the refusal
# of a damaged data file, {xHH} for a byte; {nonl} takes back the newline
# that ends its line, and {skip} in an expected text passes over anything up
# to the text that follows it, though never over a menu prompt. In a cli
# section, {work} stands for the directory the case runs in and {case} for
# the one above it, as the program names them (their real paths).
import itertools, os, re, shutil, subprocess, sys, tempfile

PROMPT = "Please enter the code  \n:"
TOKENS = {
    "{banner}": "Quorvane (Text Version v1.1.2) for Linux. \ncode:KX-P-1 \n",
    "{new}": "Data file not found , creating a one ... \n",
    "{loaded}": "Data file loaded successful .... \n",
    "{menu}": "\n(1)Enter new S/N to DataBase \n(2)Edit the exist data \n(3)Delete the exist data \n"
    "(4)Load the VELK files \n(5)Save the VELK files as text file \n(6)Search S/N in DataBase \n"
    "(7)View full data \n(8)View README \n(9)Check the data file \n(R)VELK Recovery \n(Q)Quit \n" + PROMPT,
    "{damaged}": "The data file is damaged , nothing has been changed , please check it (9) or recover it (R) . ",
    "{nonl}\n": "",
}


def read(path):  # bytes as text, one character a byte
    return open(path, "rb").read().decode("latin-1")


def expand(body):
    body = re.sub(r"\{x([0-9A-Fa-f]{2})\}", lambda m: chr(int(m[1], 16)), body)
    return re.sub("|".join(map(re.escape, TOKENS)), lambda m: TOKENS[m[0]], body)


def parse(path):
    case = {"start": {}, "expected": {}, "present": set(), "text": {}, "session": ""}
    for section in re.split(r"^== ", read(path), flags=re.M)[1:]:
        head, _, body = section.partition("\n")
        kind, *names = head.split()
        if kind == "keys":
            case["text"]["stdin"] = head[5:].replace("|", "\n") + "\n"
            continue
        body = expand(body)
        if len(names) == 3 and names[1] == "<":
            body, names = read(os.path.join(os.path.dirname(path), "shared", names[2])), names[:1]
        if kind in ("start", "file", "same", "exists"):
            case["present"] |= set(names) if kind != "start" else set()
            for name in names:
                if kind == "start":
                    case["start"][name] = body
                elif kind != "exists":
                    case["expected"][name] = body if kind == "file" else case["start"][name]
        else:
            case["text"][kind], case["session"] = body, case["session"] or " ".join(names)
    return case


def difference(want, got):  # None where `got` matches `want`; else where in `got`, and what
    w = g = 0
    while (skip := want.find("{skip}", w)) >= 0:
        if got[g : g + skip - w] != want[w:skip]:
            break
        g += skip - w
        later = want.find("{skip}", skip + 6)
        after = want[skip + 6 : later if later >= 0 else None]
        found = got.find(after, g) if later >= 0 else len(got) - min(len(got) - g, len(after))
        if found < 0 or got[found:found + len(after)] != after:  # it lies where the longest start of it ends
            k = next((k for k in range(len(after), 0, -1) if got.find(after[:k], g) >= 0), 0)
            g, w = got.find(after[:k], g) if k else g, skip + 6
            break
        if PROMPT in got[g:found]:
            break  # a skip never passes over a menu prompt: it stays inside one operation
        g, w = found, skip + 6
    same = 0
    while w + same < len(want) and g + same < len(got) and want[w + same] == got[g + same]:
        same += 1
    if w + same == len(want) and g + same == len(got):
        return None
    back = min(same, 60)
    return g + same, "first difference at byte %d\n--- expected ---\n%r\n--- got ---\n%r" % (
        g + same, want[w + same - back : w + same + 60], got[g + same - back : g + same + 60])


def line_before(text, at, mark):  # the rest of the line of the last `mark` before `at`
    start = ("\n" + text).rfind(mark, 0, at + 1)
    return "" if start < 0 else ("\n" + text)[start + len(mark):].partition("\n")[0]


def shell(dir, lines, env):
    return subprocess.run(["sh", "-c", ("set -e\n" + lines).encode("latin-1")], cwd=dir, env=env,
                          stdout=sys.stderr).returncode


def run(binary, path):
    case, failures = parse(path), []
    io = tempfile.mkdtemp(prefix="quorvane-case-")
    os.mkdir(work := os.path.join(io, "work"))
    # Nobody's own configuration reaches git in a case: no identity, no hooks;
    # every commit in the same second, so a case makes the same history each run.
    now = "2026-01-01T00:00:00Z"
    env = dict(os.environ, HOME=io, GIT_CONFIG_NOSYSTEM="1", QUORVANE=binary, GIT_AUTHOR_DATE=now, GIT_COMMITTER_DATE=now)
    for name, body in case["start"].items():
        open(os.path.join(work, name), "wb").write(body.encode("latin-1"))
    if shell(work, case["text"].get("setup", ""), env):
        return ["the setup failed"]
    if "stdin" in case["text"]:
        menu = subprocess.run(["timeout", "30", binary], cwd=work, env=env, capture_output=True,
                              input=case["text"]["stdin"].encode("latin-1"))
        got = menu.stdout.decode("latin-1") + ("\n(status %d)" % menu.returncode if menu.returncode else "")
        if d := difference(case["text"].get("stdout", ""), got):
            failures.append("in the menu session '%s', in the operation headed '%s': %s"
                            % (case["session"], line_before(got, d[0], PROMPT), d[1]))
    got, lines = "", case["text"].get("cli", "").split("\n")
    for at, line in enumerate(lines):
        if line.startswith("$ "):
            more = list(itertools.takewhile(lambda line: line.startswith("> "), lines[at + 1 :]))
            script = 'quorvane() { "$QUORVANE" "$@"; }\n{ %s\n}' % "\n".join([line[2:]] + [m[2:] for m in more])
            step = subprocess.run(["sh", "-c", script.encode("latin-1")], cwd=work, env=env, capture_output=True,
                                  stdin=subprocess.DEVNULL)
            out = step.stdout.decode("latin-1") + "".join(
                "! " + e + "\n" for e in step.stderr.decode("latin-1").splitlines())
            out = out.replace(os.path.realpath(work), "{work}").replace(os.path.realpath(io), "{case}")
            got += "".join(m + "\n" for m in [line] + more) + out
            got += "? %d\n" % step.returncode if step.returncode else ""
    if d := difference(case["text"].get("cli", ""), got):
        failures.append("in the step '%s': %s" % (line_before(got, d[0], "\n$ ").rpartition("## ")[2], d[1]))
    if (found := sorted(os.listdir(work))) != sorted(case["present"]):
        failures.append("files in the working directory: %s, not %s" % (found, sorted(case["present"])))
    failures += ["in %s: %s" % (name, d[1]) for name, body in case["expected"].items()
                 if name in found and (d := difference(body, read(os.path.join(work, name))))]
    if shell(work, case["text"].get("after", ""), env):
        failures.append("after the run")
    shutil.rmtree(io)
    return failures


def main():
    binary, paths = os.path.realpath(sys.argv[1]), sys.argv[2:]
    here = os.path.join(os.path.dirname(os.path.realpath(__file__)), "cases")
    paths = paths or sorted(os.path.join(here, p) for p in os.listdir(here) if p.endswith(".case"))
    failures = [(path, failure) for path in paths for failure in run(binary, path)]
    print("".join("FAIL %s: %s\n" % (os.path.basename(path), failure) for path, failure in failures), end="")
    print("%d cases, %d failures" % (len(paths), len(failures)))
    sys.exit(1 if failures else 0)


main()
