#!/usr/bin/env python3
"""End-to-end cases of the installed service and simulator.

Each case runs in its own mount and network namespace (scripts/sandbox): its
own folder is bound over /etc/ovt/tarwendle and objsim listens on its own
127.0.0.1:60000. libfaketime pins the local date and time and speeds the
clock up, so 22-second cycles pass in a fraction of a second.

A case is a row of CASES: the files it starts with, when it starts, what it
changes while it runs, and what it expects. `e2e.py --list` names the cases;
`e2e.py --bin DIR CASE` runs one.
"""
import argparse
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SANDBOX = os.path.join(HERE, "..", "..", "scripts", "sandbox")
# The host's libfaketime; a service built for another architecture brings
# its own (--faketime-lib) and its emulator (--service-prefix).
FAKETIME_LIB = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"

BANNER = "Welcome to the Wendle Show...\n"
LOG_CONF = """log4cpp.rootCategory=DEBUG, file
log4cpp.appender.file=org.apache.log4j.FileAppender
log4cpp.appender.file.fileName=/etc/ovt/tarwendle/service.log
log4cpp.appender.file.layout=org.apache.log4j.PatternLayout
log4cpp.appender.file.layout.ConversionPattern=%p %c: %m%n
"""

OUTPUT = {"label": "DO1", "deviceid": "a1"}
STATE = {
    "digital_inputs": [{"label": "DI1", "deviceid": "a1", "status": 2}],
    "analog_inputs": [{"label": "AI1", "deviceid": "a1", "value": 21.5}],
    "digital_outputs": [{"label": "DO1", "deviceid": "a1", "portid": 3, "default": 2, "state": 2}],
    "fault": "none",
}
ALARM_RULE = {"output": OUTPUT, "triggers": [
    {"type": "digital", "label": "DI1", "deviceid": "a1", "operation": "alarm"}]}
WORKDAY_WINDOW = {"output": OUTPUT, "triggers": [], "timelimits": [
    {"days": [1, 2, 3, 4, 5], "from": "08:00", "to": "17:00", "mustrun": "true"}]}


def with_status(status):
    state = json.loads(json.dumps(STATE))
    state["digital_inputs"][0]["status"] = status
    return state


def doc(cfg, ovt=None):
    document = {"cfg": cfg}
    if ovt is not None:
        document["ovt"] = ovt
    return json.dumps(document)


# Start-up failures: (name, document or None for no file, error on stderr,
# log lines due before the failure).
STARTUP_FAILURES = [
    ("no_file", None,
     "[json.exception.parse_error.101] parse error at line 1, column 1: syntax error while "
     "parsing value - unexpected end of input; expected '[', '{', or a literal",
     ["INFO Config: Starting Config"]),
    ("bad_json", '{"cfg": {}',
     "[json.exception.parse_error.101] parse error at line 1, column 11: syntax error while "
     "parsing object - unexpected end of input; expected '}'",
     ["INFO Config: Starting Config"]),
    ("crap_number", doc({}, {"crap": 5}),
     "[json.exception.type_error.302] type must be string, but is number",
     ["INFO Config: Starting Config", "INFO Config: {}"]),
]

CASES = {}
for _name, _document, _error, _lines in STARTUP_FAILURES:
    CASES["startup_" + _name] = dict(document=_document, exit=1, stdout=BANNER,
                                     stderr="tarwendle: " + _error + "\n", log=_lines)

CASES.update({
    # Monday 07:59:50: the first poll is outside the window, the next one
    # (22 s later, 08:00:12) inside it.
    "window_crossing": dict(document=doc(WORKDAY_WINDOW), start="2026-12-07 07:59:50",
                            sets=[2, 1],
                            stdout=BANNER + "null\nDay 1\nDay 2\nDay 3\nDay 4\nDay 5\n"
                            " Day of week: 1\nStart: 8-0:-1\nStop: 17-0:-1\n"),
    # The alarm goes on after the first poll: the next poll releases.
    "input_flip": dict(document=doc(ALARM_RULE), start="2026-12-07 12:00:00",
                       sets=[2, 1], change={1: with_status(1)}),
    # Between two polls exactly 22 ticks, and a poll's debug lines as they are.
    "ticks_between_polls": dict(document=doc(ALARM_RULE, {"crap": "probe"}),
                                start="2026-12-07 12:00:00", sets=[2, 2],
                                stdout=BANNER + "probe\n", ticks=22),
})


class Case:
    def __init__(self, options, name, spec):
        self.bindir, self.name, self.spec = options.bin, name, spec
        self.service_bin = options.service_bin or options.bin
        self.prefix = options.service_prefix
        self.faketime_lib = options.faketime_lib
        self.dir = tempfile.mkdtemp(prefix="tarwendle-e2e-%s." % name)
        self.failures = []

    def path(self, name):
        return os.path.join(self.dir, name)

    def write(self, name, text):
        with open(self.path(name), "w") as out:
            out.write(text)

    def read(self, name):
        try:
            with open(self.path(name)) as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def journal(self):
        return [json.loads(line) for line in self.read("journal.jsonl").splitlines() if line]

    def sets(self):
        return [entry["state"] for entry in self.journal() if entry["op"] == "set"]

    def expect(self, what, got, wanted):
        if got != wanted:
            self.failures.append("%s:\n  got    %r\n  wanted %r" % (what, got, wanted))

    def launch(self):
        spec = self.spec
        if spec.get("document") is not None:
            self.write("tarwendle.json", spec["document"])
        self.write("tarwendle.log.conf", LOG_CONF)
        self.write("state.json", json.dumps(spec.get("state", STATE)))
        etc = "/etc/ovt/tarwendle/"
        service = os.path.join(self.service_bin, "tarwendle")
        objsim = os.path.join(self.bindir, "objsim")
        start = spec.get("start", "2026-12-07 12:00:00")
        speed = spec.get("speed", 20)
        script = (
            '"$1" --state {etc}state.json --journal {etc}journal.jsonl >{etc}objsim.out 2>&1 &\n'
            'for i in $(seq 100); do [ -s {etc}objsim.out ] && break; sleep 0.05; done\n'
            'TZ=UTC LD_PRELOAD={lib} FAKETIME="@{start} x{speed}" {prefix} "$2" '
            '>{etc}stdout 2>{etc}stderr\n'
            'echo $? >{etc}exit\n'
        ).format(etc=etc, lib=self.faketime_lib, start=start, speed=speed, prefix=self.prefix)
        return subprocess.Popen([SANDBOX, self.dir, "sh", "-c", script, "case", objsim, service],
                                start_new_session=True)

    def run(self):
        spec = self.spec
        process = self.launch()
        wanted_sets = spec.get("sets")
        changes = dict(spec.get("change", {}))
        deadline = time.monotonic() + spec.get("timeout", 30)
        try:
            while time.monotonic() < deadline and process.poll() is None:
                done = len(self.sets())
                if done in changes:
                    self.write("state.json.new", json.dumps(changes.pop(done)))
                    os.rename(self.path("state.json.new"), self.path("state.json"))
                if wanted_sets is not None and done >= len(wanted_sets):
                    break
                time.sleep(0.02)
        finally:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()

        if "exit" in spec:
            self.expect("exit status", self.read("exit").strip(), str(spec["exit"]))
        else:
            self.expect("service still running", self.read("exit"), "")
        self.expect("standard output", self.read("stdout"),
                    spec.get("stdout", BANNER + "null\n"))
        if "stderr" in spec:
            self.expect("standard error", self.read("stderr"), spec["stderr"])
        log = self.read("service.log").splitlines()
        if "log" in spec:
            self.expect("log", log, spec["log"])
        if wanted_sets is not None:
            self.expect("output states written", self.sets()[:len(wanted_sets)], wanted_sets)
        else:
            self.expect("object service requests", self.journal(), [])
        if "ticks" in spec:
            self.expect("ticks between the first two polls", ticks_between_polls(log), spec["ticks"])

    def report(self):
        if not self.failures:
            shutil.rmtree(self.dir)
            return 0
        print("case %s failed (files kept in %s):" % (self.name, self.dir))
        for failure in self.failures:
            print(failure)
        print("--- service.log (tail)\n" + "\n".join(self.read("service.log").splitlines()[-40:]))
        print("--- objsim output (tail)\n" + "\n".join(self.read("objsim.out").splitlines()[-10:]))
        return 1


def ticks_between_polls(log):
    polls = [i for i, line in enumerate(log) if line.endswith(" Digital Triggers ")]
    if len(polls) < 2:
        return None
    return sum(1 for line in log[polls[0]:polls[1]] if line == "DEBUG WendleEngine: tick..")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--bin", help="folder of the installed tarwendle and objsim")
    parser.add_argument("--service-bin", help="another folder's tarwendle (a cross build)")
    parser.add_argument("--service-prefix", default="", help="command that runs it (an emulator)")
    parser.add_argument("--faketime-lib", default=FAKETIME_LIB)
    parser.add_argument("case", nargs="?")
    args = parser.parse_args()
    if args.list:
        print(";".join(sorted(CASES)))
        return 0
    for tool in (os.path.join(args.service_bin or args.bin, "tarwendle"),
                 os.path.join(args.bin, "objsim")):
        if not os.access(tool, os.X_OK):
            print("%s is not installed: run cmake --install first" % tool)
            return 1
    case = Case(args, args.case, CASES[args.case])
    case.run()
    return case.report()


if __name__ == "__main__":
    sys.exit(main())
