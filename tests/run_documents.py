#!/usr/bin/env python3
"""Every kind of document tarnwell-cli writes matches its JSON Schema.

Runs the runner for each way a run can end (completed, read-only without
file times, stopped before and after measuring, interrupted mid-run, with a
common start and a folder per host), takes the document from --json-file and
from --json on stdout, and validates each against doc/tarnwell-run.schema.json.
Usage: run_documents.py TARNWELL_CLI SCHEMA. Exit 77 (skipped) when the
jsonschema module is missing.
"""
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
                                  "--start-at", start, "--report", home + "/r.html"],
                    "completed", 0)
    if completed and (completed["startAt"] is None or completed["label"] != "ラベル"):
        failures.append("completed: start or label missing")
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

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
