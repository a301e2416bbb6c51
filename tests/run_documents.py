#!/usr/bin/env python3
"""Every kind of document tarnwell-cli writes matches its JSON Schema.

Runs the runner for each way a run can end (completed, read-only without
file times, stopped before and after measuring, interrupted mid-run, with a
common start, a clock offset and a folder per host, verified), takes the
document from --json-file and from --json on stdout, and validates each
against doc/tarnwell-run.schema.json. Forged copies of the completed one,
each wrong in one member, must be refused.
Usage: run_documents.py TARNWELL_CLI SCHEMA. Exit 77 (skipped) when the
jsonschema module is missing.
"""
import copy
import json
import os
import signal
import subprocess
import sys
import tempfile
import time

try:
    import jsonschema
except ImportError:
    print("skipped: the Python module jsonschema is missing (Debian: python3-jsonschema)")
    sys.exit(77)

cli, schema_path = sys.argv[1], sys.argv[2]
with open(schema_path, encoding="utf-8") as f:
    schema = json.load(f)
jsonschema.Draft202012Validator.check_schema(schema)
validator = jsonschema.Draft202012Validator(schema)
failures = []


def check(name, text, result):
    document = json.loads(text)
    errors = sorted(validator.iter_errors(document), key=lambda e: list(e.path))
    for error in errors:
        failures.append(f"{name}: {'/'.join(map(str, error.path))}: {error.message[-300:]}")
    if document["outcome"]["result"] != result:
        failures.append(f"{name}: result {document['outcome']['result']}, expected {result}")
    return document


with tempfile.TemporaryDirectory() as home:
    env = dict(os.environ, HOME=home, XDG_CACHE_HOME=home + "/cache", XDG_DATA_HOME=home + "/data")
    small = ["--settings", "/dev/null", "--no-history", "--file-size", "100KB", "--total", "1MB"]

    def run(name, arguments, result, code):
        path = os.path.join(home, name + ".json")
        done = subprocess.run([cli, *small, *arguments, "--json-file", path, "--json"],
                              env=env, capture_output=True, text=True)
        if done.returncode != code:
            failures.append(f"{name}: exit {done.returncode}, expected {code}: {done.stderr}")
            return None
        with open(path, encoding="utf-8") as f:
            text = f.read()
        if text != done.stdout:
            failures.append(f"{name}: the file and stdout differ")
        return check(name, text, result)

    start = f"{time.time() + 1.5:.3f}"
    completed = run("completed", ["--folder", home, "--repeat", "3", "--random", "--keep",
                                  "--per-host", "--host", "h1", "--label", "ラベル",
                                  "--start-at", start, "--report", home + "/r.html",
                                  "--clock-offset", "-0.25"],
                    "completed", 0)
    if completed and (completed["startAt"] is None or completed["label"] != "ラベル"
                      or completed["clockOffsetSeconds"] != -0.25):
        failures.append("completed: start, label or clock offset missing")
    verified = run("verified", ["--folder", home, "--verify", "--delete"], "completed", 0)
    run("read-only", ["--folder", home, "--read-only", "--per-host", "--host", "h1",
                      "--no-file-times", "--delete"], "completed", 0)
    open(os.path.join(home, "file"), "w").close()
    run("not-measured", ["--folder", home + "/file"], "stopped", 1)
    run("stopped", ["--folder", home + "/empty", "--read-only"], "stopped", 1)

    # Interrupted in its first pause, after the first write half.
    path = os.path.join(home, "interrupted.json")
    process = subprocess.Popen([cli, *small, "--folder", home, "--wait", "10", "--delete",
                                "--json-file", path], env=env, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL)
    seen = b""
    while b"\n1\t" not in seen:  # the first write half, after the table's header
        chunk = os.read(process.stdout.fileno(), 4096)
        if not chunk:
            break
        seen += chunk
    process.send_signal(signal.SIGINT)
    process.communicate()
    if process.returncode != 130:
        failures.append(f"interrupted: exit {process.returncode}, expected 130")
    else:
        with open(path, encoding="utf-8") as f:
            check("interrupted", f.read(), "interrupted")


def forged(name, document, change):
    """A copy of `document` with one nonsense member must be refused."""
    if document is None:
        return
    copied = copy.deepcopy(document)
    change(copied)
    if validator.is_valid(copied):
        failures.append(f"forged {name}: accepted")


def first(document, phase):
    return document["repetitions"][0][phase]


def set_member(path, value):
    def change(document):
        *parents, last = path
        for key in parents:
            document = document[key]
        document[last] = value
    return change


for name, change in [
        ("summary null", set_member(["summary"], None)),
        ("write summary null", set_member(["summary", "write"], None)),
        ("no repetitions", set_member(["repetitions"], [])),
        ("read null", lambda d: d["repetitions"][0].update(read=None)),
        ("write null", lambda d: d["repetitions"][0].update(write=None)),
        ("upper-case run id", lambda d: d.update(runId=d["runId"].upper())),
        ("file size 0", set_member(["fileSizeBytes"], 0)),
        ("negative count", set_member(["fileCount"], -3)),
        ("no files", set_member(["readCount"], 0)),
        ("repeat 2", set_member(["choices", "repeat"], 2)),
        ("negative seconds", lambda d: first(d, "write").update(seconds=-1.0)),
        ("exact without MB/s", lambda d: first(d, "write").pop("exactMBPerSecond")),
        ("negative exact", lambda d: first(d, "write").update(exactSeconds=-0.5)),
        ("cliff a string", lambda d: first(d, "write").update(writeCliff="steep")),
        ("cliff share 101", lambda d: first(d, "write").update(
            writeCliff={"share": 101, "atBytes": 0, "beforeMBPerSecond": 1.0,
                        "afterMBPerSecond": 0.5})),
        ("fill a string", set_member(["fill"], "full")),
        ("fill negative", set_member(["fill"], {
            "capacityBytes": 1, "freeBytes": 1, "plannedBytes": -5, "writtenBytes": 0,
            "verifiedBytes": 0, "usableBytes": None})),
        ("clock offset a string", set_member(["clockOffsetSeconds"], "20")),
        ("verify on a plain run", lambda d: first(d, "read").update(
            verify={"checkSeconds": 0.0, "sectors": {"ok": 1, "corrupted": 0, "misplaced": 0,
                                                     "stale": 0, "missing": 0},
                    "firstBad": None})),
        ("timeline of 101", lambda d: first(d, "write")["latency"].update(
            timeline=[{"offsetSeconds": 0.0, "mbPerSecond": 1.0}] * 101))]:
    forged(name, completed, change)
for name, change in [
        ("verify a string", lambda d: first(d, "read").update(verify="passed")),
        ("verify missing", lambda d: first(d, "read").pop("verify")),
        ("negative sectors", lambda d: first(d, "read")["verify"]["sectors"].update(ok=-1)),
        ("unknown class", lambda d: first(d, "read")["verify"].update(
            firstBad={"class": "weird", "file": 0, "offset": 0, "expected": "", "found": ""}))]:
    forged(name, verified, change)

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
