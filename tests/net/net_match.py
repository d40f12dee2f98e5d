#!/usr/bin/env python3
"""Two simulators play one match over the network on this machine, with no
window: one hosts on 127.0.0.1, the other joins, and both must report the
same points, the same final score and the same hash of the match at its
end. First directly, as fast as they can; then in real time, a modelled
person on each side, through relays of a 60 ms and of a 150 ms round trip
(10 ms of jitter, 5% of the datagrams lost), where the input delay must stay
2 steps and the match wait under 1% of its length; and through a relay that
changes bytes, where both must end cleanly: one line each, no crash, both
gone.

Usage: net_match.py RUN_FOLDER
"""

import json
import os
import socket
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
LOCAL = "127.0.0.1"
# A short match: one set of two games, a weak player against a strong one.
MATCH = ["--sets", "1", "--games", "2", "--seed", "3", "Vazuvodod:0", "Doredu:5"]
# Ten steps a frame, as fast as the processors allow.
PACING = ["--steps-per-frame", "10", "--wait", "20"]
# Through the slow relays: in real time, as two games play, a beginner at the
# host against an expert at the joiner (both sides give the same players and
# each models its own), one game: about 75 s.
PEOPLE = ["Vazuvodod:beginner", "Doredu:expert"]
REAL_MATCH = ["--sets", "1", "--games", "1", "--seed", "10"] + PEOPLE
REAL_PACING = ["--real-time", "--wait", "20"]
# Round trips of 60 and 150 ms, 10 ms of jitter, 5% lost.
RELAYS = [("60 ms relay", ["--delay", "25", "35", "--drop", "0.05"]),
          ("150 ms relay", ["--delay", "70", "80", "--drop", "0.05"])]
MAX_WAITED_SHARE = 0.01
PROCESS_TIMEOUT = 60
REAL_TIMEOUT = 200


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        probe.bind((LOCAL, 0))
        return probe.getsockname()[1]


def run_pair(run_dir, host_port, join_port, match=MATCH, pacing=PACING, timeout=PROCESS_TIMEOUT, players=()):
    simulate = os.path.join(run_dir, "simulate")
    common = ["--data", run_dir] + pacing
    host = subprocess.Popen([simulate, "--host", "%s:%d" % (LOCAL, host_port)] + common + match,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    time.sleep(0.3)
    join = subprocess.Popen([simulate, "--join", "%s:%d" % (LOCAL, join_port)] + common + list(players),
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    results = []
    for name, process in (("host", host), ("join", join)):
        try:
            out, err = process.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            out, err = process.communicate()
            raise AssertionError("%s: still running after %d s" % (name, timeout))
        results.append((name, process.returncode, out.splitlines(), err.splitlines()))
    return results


def with_relay(run_dir, arguments, play, lifetime=PROCESS_TIMEOUT):
    host_port, relay_port = free_port(), free_port()
    relay = subprocess.Popen([sys.executable, os.path.join(HERE, "relay.py"), str(relay_port), str(host_port),
                              "--lifetime", str(lifetime + 10)] + arguments)
    try:
        return play(host_port, relay_port)
    finally:
        relay.kill()
        relay.wait()


def check_same_match(results, what):
    (_, host_code, host_out, host_err), (_, join_code, join_out, join_err) = results
    problems = []
    if host_code != 0 or join_code != 0:
        problems.append("exit codes %d and %d (%s | %s)" % (host_code, join_code, host_err, join_err))
    if not host_out or not join_out:
        return problems + ["no output"]
    host_summary, join_summary = json.loads(host_out[-1]), json.loads(join_out[-1])
    if host_out[:-1] != join_out[:-1] or not host_out[:-1]:
        problems.append("the point logs differ (%d and %d points)" % (len(host_out) - 1, len(join_out) - 1))
    for field in ("finished", "score", "steps", "stateHash"):
        if host_summary.get(field) != join_summary.get(field):
            problems.append("%s: %r and %r" % (field, host_summary.get(field), join_summary.get(field)))
    if host_summary.get("finished") is not True:
        problems.append("the match did not finish")
    for side in (host_summary, join_summary):
        if side.get("inputDelay") != 2:
            problems.append("an input delay of %r steps" % side.get("inputDelay"))
    print("%s: %d points, %s steps, hash %s, delay %s steps, round trip %s ms, %s / %s bytes in %.1f s; "
          "rollbacks %s and %s a second, depth %.1f and %.1f (longest %s and %s), waited %.2f and %.2f s" % (
              what, len(host_out) - 1, host_summary.get("steps"), host_summary.get("stateHash"),
              host_summary.get("inputDelay"), host_summary.get("roundTripMs"), host_summary.get("bytesSent"),
              host_summary.get("bytesReceived"), host_summary.get("seconds", 0),
              host_summary.get("rollbacksPerSecond"), join_summary.get("rollbacksPerSecond"),
              host_summary.get("meanRollbackDepth", 0), join_summary.get("meanRollbackDepth", 0),
              host_summary.get("longestRollback"), join_summary.get("longestRollback"),
              host_summary.get("waitedSeconds", 0), join_summary.get("waitedSeconds", 0)), flush=True)
    return ["%s: %s" % (what, problem) for problem in problems]


def check_waited(results, what):
    problems = []
    for name, _, out, _ in results:
        summary = json.loads(out[-1]) if out else {}
        seconds = summary.get("seconds", 0)
        waited = summary.get("waitedSeconds", 0)
        if not seconds or waited > MAX_WAITED_SHARE * seconds:
            problems.append("%s waited %.2f s of %.1f s" % (name, waited, seconds))
    return ["%s: %s" % (what, problem) for problem in problems]


def real_time_match(run_dir, relay_arguments):
    return with_relay(run_dir, relay_arguments,
                      lambda host_port, relay_port: run_pair(run_dir, host_port, relay_port, REAL_MATCH, REAL_PACING,
                                                             REAL_TIMEOUT, PEOPLE),
                      REAL_TIMEOUT)


def check_clean_end(results, what):
    problems = []
    for name, code, out, err in results:
        if code != 1:
            problems.append("%s ended with code %d" % (name, code))
        if len(err) != 1:
            problems.append("%s said %d lines instead of one: %s" % (name, len(err), err))
        print("%s, %s: %s" % (what, name, err[0] if err else ""), flush=True)
    return ["%s: %s" % (what, problem) for problem in problems]


def main():
    run_dir = os.path.abspath(sys.argv[1])
    started = time.monotonic()
    failures = []
    port = free_port()
    failures += check_same_match(run_pair(run_dir, port, port), "direct")
    # The two real-time matches at once: they wait on the clock, not on the processor.
    results = {}
    threads = [threading.Thread(target=lambda what=what, arguments=arguments: results.update(
                   {what: real_time_match(run_dir, arguments)})) for what, arguments in RELAYS]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    for what, _ in RELAYS:
        if what not in results:
            failures.append("%s: no result" % what)
            continue
        failures += check_same_match(results[what], what)
        failures += check_waited(results[what], what)
    failures += check_clean_end(
        with_relay(run_dir, ["--flip", "0.2", "--flip-after", "40", "--seed", "2"],
                   lambda host_port, relay_port: run_pair(run_dir, host_port, relay_port)),
        "byte-changing relay")
    print("%.1f s" % (time.monotonic() - started))
    for failure in failures:
        print("FAILED: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
