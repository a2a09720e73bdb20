#!/usr/bin/env python3
# Follows the README as a newcomer types it: every indented line "$ COMMAND"
# (or "HOST$ COMMAND" on that machine, "$" being machine one) runs in order, in one shell a machine
# with its own fresh HOME, and what it prints (standard output and error) must
# be the lines the README shows under it, with each HOME read as /home/you.
# The lines that say what a sync or clone waits on a terminal alone shows,
# and are passed by. ssh to a host reaches that host's shell here. It starts where the
# README's first session leaves the catalogue: one record in ~/catalogue.
#
# Usage: readme_test.py BINARY README
import os, re, shlex, subprocess, sys, tempfile

binary, readme = os.path.realpath(sys.argv[1]), sys.argv[2]
steps, shown = [], None  # (host, command, the lines shown under it)
for line in open(readme, encoding="utf-8").read().split("\n"):
    if m := re.fullmatch(r"    (\w*)\$ (.*)", line):
        steps.append((m[1] or "one", m[2], shown := []))
    elif line.startswith("    ") and shown is not None:
        shown.append(line[4:])
    else:
        shown = None  # the block ends

io = tempfile.mkdtemp(prefix="quorvane-readme-")
os.mkdir(bin := os.path.join(io, "bin"))
os.symlink(binary, os.path.join(bin, "quorvane"))
with open(ssh := os.path.join(bin, "ssh"), "w") as f:  # ssh HOST COMMAND: COMMAND in HOST's home
    f.write('#!/bin/sh\nfor last; do :; done\nwhile [ "$#" -gt 1 ]; do host=$1; shift; done\n'
            'cd "%s/$host" && exec sh -c "$last"\n' % io)
os.chmod(ssh, 0o755)
now = "2026-01-01T00:00:00Z"
failures, status = [], {}


def run(host, command):
    home = os.path.join(io, host)
    state = shlex.quote(os.path.join(home, ".state"))  # the shell's variables and folder between commands
    if not os.path.isdir(home):
        os.mkdir(home)
        open(os.path.join(home, ".state"), "w").write("cd %s\n" % shlex.quote(home))
    env = dict(os.environ, HOME=home, PATH=bin + ":" + os.environ["PATH"], GIT_CONFIG_NOSYSTEM="1",
               GIT_SSH_COMMAND="ssh", GIT_AUTHOR_DATE=now, GIT_COMMITTER_DATE=now)
    for name in ("QUORVANE_DIR", "EDITOR", "GIT_DIR", "GIT_WORK_TREE"):
        env.pop(name, None)
    script = ". %s\n(exit %d)\n{ %s\n} 2>&1\ns=$?\n{ export -p; echo cd \"$(pwd)\"; } > %s\nexit $s\n" % (
        state, status.get(host, 0), command, state)
    step = subprocess.run(["sh", "-c", script], cwd=home, env=env, capture_output=True, stdin=subprocess.DEVNULL)
    status[host] = step.returncode
    got = step.stdout.decode("utf-8", "replace") + step.stderr.decode("utf-8", "replace")
    for other in os.listdir(io):
        got = got.replace(os.path.join(io, other), "/home/you")
    return got


run("one", "mkdir ~/catalogue && quorvane -C ~/catalogue add 'Photo Editor Pro' PEP-2231-XK >/dev/null")
for host, command, shown in steps:
    want = "".join(line + "\n" for line in shown if not re.fullmatch(r"\w+: (fetching from|pushing to) .*\u2026", line))
    if (got := run(host, command)) != want:
        failures.append("%s$ %s\n--- the README shows ---\n%s--- it prints ---\n%s" % (host, command, want, got))
subprocess.run(["rm", "-rf", io])
print("".join("FAIL " + f for f in failures) + "%d commands, %d failures" % (len(steps), len(failures)))
sys.exit(1 if failures else 0)
