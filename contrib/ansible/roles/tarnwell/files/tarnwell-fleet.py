#!/usr/bin/env python3
"""The host side of the playbook: checks a host before any run, starts
tarnwell-cli detached at its start time, and keeps it alive only while the
control node renews a lease.

The play's tasks are short commands; the run itself belongs to a small
supervisor started here. The supervisor stops the run (SIGINT: the runner
removes what it made) and removes the whole work folder when the lease is
not renewed in time: an interrupted play, a killed ansible-playbook and a
lost network all end the same way, and no rerun then meets a busy folder.

Subcommands print one JSON object on stdout.
"""
import argparse
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

UNITS = {"KB": 1 << 10, "MB": 1 << 20, "GB": 1 << 30, "TB": 1 << 40}


def emit(**fields):
    sys.stdout.write(json.dumps(fields) + "\n")
    sys.stdout.flush()


def path_in(work, name):
    return os.path.join(work, name)


def total_bytes(options):
    """Bytes of the runner's --total, or None when the options do not say
    (a --fill, or a total the runner reads itself)."""
    for i, option in enumerate(options[:-1]):
        if option == "--total":
            text = options[i + 1].strip().upper()
            unit = UNITS.get(text[-2:])
            if unit and text[:-2].isdigit():
                return int(text[:-2]) * unit
    return None


def host_folder_part(host):
    """The part --per-host adds to TRW_TEMP- for this host, by the runner's
    own rule: characters no file system takes (/ \\ : * ? " < > |), controls
    and a dot after a dot become _, a trailing dot or space too, at most 64
    bytes of UTF-8, never empty."""
    part = ""
    size = 0
    for character in host:
        code = ord(character)
        length = len(character.encode("utf-8", "surrogatepass"))
        if code >= 0xA0:
            if size + length > 64:
                break
            part += character
            size += length
            continue
        if size + 1 > 64:
            break
        harmful = (code < 0x20 or 0x7F <= code < 0xA0 or character in '/\\:*?"<>|'
                   or (character == "." and part.endswith(".")))
        part += "_" if harmful else character
        size += 1
    if part.endswith((".", " ")):
        part = part[:-1] + "_"
    return part or "_"


def writable_folder(folder):
    """None when a file can be made and removed in folder, else why not."""
    if not os.path.isdir(folder):
        return "not a folder" if os.path.exists(folder) else "does not exist"
    try:
        fd, probe = tempfile.mkstemp(prefix=".tarnwell-probe-", dir=folder)
        os.close(fd)
        os.unlink(probe)
    except OSError as error:
        return error.strerror or str(error)
    return None


def check(args):
    problems = []
    try:
        version = subprocess.run([args.cli, "--version"], stdin=subprocess.DEVNULL,
                                 capture_output=True, timeout=30, check=False)
        if version.returncode != 0:
            problems.append("runner %s: --version exited with %d"
                            % (args.cli, version.returncode))
    except (OSError, subprocess.TimeoutExpired) as error:
        problems.append("runner %s: %s" % (args.cli, error))
    why = writable_folder(args.folder)
    if why:
        problems.append("folder %s: %s" % (args.folder, why))
    else:
        run_folder = os.path.join(args.folder, "TRW_TEMP-" + host_folder_part(args.host))
        if os.path.isdir(run_folder) and not os.access(run_folder, os.W_OK | os.X_OK):
            problems.append("folder %s: not writable" % run_folder)
        total = total_bytes(args.options)
        if total is not None:
            stat = os.statvfs(args.folder)
            free = stat.f_bavail * stat.f_frsize
            if free < total:
                problems.append("folder %s: %d MB free, the total needs %d MB"
                                % (args.folder, free >> 20, total >> 20))
    document = args.document
    if os.path.lexists(document):
        if os.path.islink(document) or not os.path.isfile(document):
            problems.append("document %s: not a regular file" % document)
        elif not os.access(document, os.W_OK):
            problems.append("document %s: not writable" % document)
    parent = os.path.dirname(os.path.abspath(document))
    why = writable_folder(parent)
    if why:
        problems.append("document folder %s: %s" % (parent, why))
    emit(problems=problems, user=os.getuid())


def identify(_args):
    machine = ""
    for name in ("/etc/machine-id", "/var/lib/dbus/machine-id"):
        try:
            with open(name, encoding="ascii") as file:
                machine = file.read().strip()
        except OSError:
            continue
        if machine:
            break
    emit(machine=machine or socket.gethostname())


def touch(name):
    with open(name, "a", encoding="ascii"):
        pass
    os.utime(name)


def write_atomically(name, text):
    with open(name + ".new", "w", encoding="utf-8") as file:
        file.write(text)
    os.replace(name + ".new", name)


STOP_SIGNALS = (signal.SIGINT, signal.SIGTERM, signal.SIGHUP, signal.SIGQUIT)


def default_signals():
    """The runner's stop signals as the runner expects them: a play started
    from a script's background job, or Ansible's own processes, may pass
    them on ignored, and an ignored SIGINT would not stop the run."""
    for number in STOP_SIGNALS:
        signal.signal(number, signal.SIG_DFL)


def supervise(work, lease_seconds, argv, ready):
    """The daemon: runs the runner, records how it ended, and stops it when
    the lease runs out. Says "ok" on ready once the runner's pid is on
    record, so that no poll can find the run neither started nor ended."""
    lease = path_in(work, "lease")
    touch(lease)
    try:
        with open(path_in(work, "stdout"), "wb") as out, open(path_in(work, "stderr"), "wb") as err:
            child = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                     preexec_fn=default_signals)
    except OSError as error:
        os.write(ready, str(error).encode("utf-8", "replace"))
        return
    try:
        write_atomically(path_in(work, "pid"), "%d\n" % child.pid)
    except OSError as error:
        # No pid on record, no poll would know of the run: it must not go
        # on unsupervised (a full disk, the folder removed under it).
        child.kill()
        child.wait()
        os.write(ready, ("cannot record the run: %s" % error).encode("utf-8", "replace"))
        return
    os.write(ready, b"ok")
    os.close(ready)
    stopped = None
    stopping_since = None
    last_stamp, renewed = os.stat(lease).st_mtime_ns, time.monotonic()
    while True:
        try:
            rc = child.wait(timeout=0.5)
            break
        except subprocess.TimeoutExpired:
            pass
        if stopped is None and os.path.exists(path_in(work, "cancel")):
            stopped = "cancelled"
            child.send_signal(signal.SIGINT)
        elif stopped is None:
            # Renewed when its time stamp changes; counted on the monotonic
            # clock, so that a step of the wall clock neither ends nor
            # stretches the lease.
            try:
                stamp = os.stat(lease).st_mtime_ns
            except OSError:
                stamp = None
            if stamp != last_stamp:
                last_stamp, renewed = stamp, time.monotonic()
            if stamp is None or time.monotonic() - renewed > lease_seconds:
                stopped = "lease"
                child.send_signal(signal.SIGINT)
        if stopped and stopping_since is None:
            stopping_since = time.monotonic()
        elif stopped and time.monotonic() - stopping_since > 60:
            # Sixty seconds after the interrupt, the runner is not stopping.
            child.kill()
    if stopped == "lease":
        # Nobody is left to fetch anything: leave nothing behind.
        shutil.rmtree(work, ignore_errors=True)
        return
    write_atomically(path_in(work, "rc"), json.dumps({"rc": rc, "stopped": stopped}))


def start(args):
    for name in ("rc", "pid", "cancel", "stdout", "stderr"):
        try:
            os.unlink(path_in(args.work, name))
        except FileNotFoundError:
            pass
    now = time.time()
    if now > args.start_at - args.late_margin:
        emit(state="late", now=now, startAt=args.start_at)
        return
    ready_read, ready_write = os.pipe()
    if os.fork() == 0:
        os.close(ready_read)
        os.setsid()
        if os.fork() != 0:
            os._exit(0)
        null = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(null, fd)
        try:
            supervise(args.work, args.lease, args.argv, ready_write)
        finally:
            os._exit(0)
    os.close(ready_write)
    with os.fdopen(ready_read, "rb") as ready:
        answer = ready.read()
    if answer == b"ok":
        emit(state="started", now=now, startAt=args.start_at)
    else:
        emit(state="failed", now=now, startAt=args.start_at, why=answer.decode("utf-8", "replace"))


def tail(name, limit=4000):
    try:
        with open(name, "rb") as file:
            file.seek(0, os.SEEK_END)
            file.seek(max(0, file.tell() - limit))
            return file.read().decode("utf-8", "replace")
    except OSError:
        return ""


def poll(args):
    """Renews the lease, then waits up to --wait seconds for the end."""
    deadline = time.monotonic() + args.wait
    if not os.path.isdir(args.work):
        emit(state="gone")
        return
    touch(path_in(args.work, "lease"))
    if args.cancel:
        touch(path_in(args.work, "cancel"))
    while True:
        try:
            with open(path_in(args.work, "rc"), encoding="utf-8") as file:
                ended = json.load(file)
            emit(state="done", rc=ended["rc"], stopped=ended["stopped"],
                 stdout=tail(path_in(args.work, "stdout")),
                 stderr=tail(path_in(args.work, "stderr")))
            return
        except (OSError, ValueError):
            pass
        if not os.path.exists(path_in(args.work, "pid")) or time.monotonic() >= deadline:
            emit(state="running" if os.path.exists(path_in(args.work, "pid")) else "none")
            return
        time.sleep(0.2)


def main():
    parser = argparse.ArgumentParser()
    commands = parser.add_subparsers(dest="command", required=True)
    c = commands.add_parser("check")
    c.add_argument("--cli", required=True)
    c.add_argument("--folder", required=True)
    c.add_argument("--host", required=True)
    c.add_argument("--document", required=True)
    c.add_argument("options", nargs=argparse.REMAINDER)
    commands.add_parser("identify")
    s = commands.add_parser("start")
    s.add_argument("--work", required=True)
    s.add_argument("--start-at", type=float, required=True)
    s.add_argument("--late-margin", type=float, default=0.5)
    s.add_argument("--lease", type=float, required=True)
    s.add_argument("argv", nargs=argparse.REMAINDER)
    p = commands.add_parser("poll")
    p.add_argument("--work", required=True)
    p.add_argument("--wait", type=float, default=0)
    p.add_argument("--cancel", action="store_true")
    args = parser.parse_args()
    for name in ("options", "argv"):
        if getattr(args, name, None) and getattr(args, name)[0] == "--":
            setattr(args, name, getattr(args, name)[1:])
    {"check": check, "identify": identify, "start": start, "poll": poll}[args.command](args)


if __name__ == "__main__":
    main()
