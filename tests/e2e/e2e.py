#!/usr/bin/env python3
"""End-to-end cases of the installed service and simulator.

Each case runs in its own mount and network namespace (scripts/sandbox): its
own folder is bound over /etc/ovt/tarwendle and objsim listens on its own
127.0.0.1:60000. libfaketime pins the local date and time and speeds the
clock up, so 22-second cycles pass in a fraction of a second.

No verdict may depend on how busy the machine is. The client's deadlines
run on the kernel's clock, which libfaketime does not speed up, so a slow
answer is never a timeout at high speed. The harness freezes the service
(SIGSTOP) while it changes the simulator between two polls, so an action
lands before the next poll however long it takes. A case that tests a time
of day judges each poll by the faked time stamps of its own log lines.

The service's own clock is the one that matters, and it may escape the
faker (a 32-bit build with 64-bit time calls what libfaketime 0.9.10 does
not replace; scripts/test-armhf preloads time64shim.c for that). A row with
clock_weekday fails unless the service saw the faked weekday, which the
harness picks unlike the real clock's.

A case is a row of CASES: the files it starts with, when it starts, what it
changes while it runs, and what it expects. `e2e.py --list` names the cases;
`e2e.py --bin DIR CASE` runs one.

What a row may hold, besides the files (document, state) and the clock
(start, speed):
  objsim    False: no simulator when the service starts
  fifo      the document a FIFO, written only once the service opens it;
            by then it must have logged "Starting Config" and nothing else,
            and printed only the banner
  port_range  "LOW HIGH": the namespace's ephemeral ports, set before start
  log_conf  the log configuration's text; False: none (the service logs to
            standard error)
  stderr_closed  standard error a pipe nobody reads
  stderr_shut  no standard error at all: descriptor 2 closed at start (2>&-),
            and the real clock (libfaketime would take descriptor 2)
  zone      the zone (a name under /usr/share/zoneinfo) the service starts
            in: TZ unset, a copy of that zone's file bound over
            /etc/localtime in the case's namespace; otherwise TZ=UTC
  actions   {poll: action}: after that many completed polls, with the
            service frozen, a new state (dict), "kill_objsim",
            "start_objsim", "open_ports" (the kernel's default ephemeral
            range), ("zone", NAME) (that zone's file bound over
            /etc/localtime: a new file, as setting the zone makes),
            ("zone_rewritten", NAME) (the zone copy of a row with zone
            rewritten in place, as a zone data update may), or a list of them
  vary      a new random input state after every poll
  polls     the outcome of each poll: the state written, or "-" for "Bad
            response"; or a number: that many polls, none without response
  sets      output states the simulator received, in order
  journal_sets  the simulator's whole journal lines of those writes
  writes    rule(inputs) -> state: every write against the inputs the
            simulator answered in the same poll
  log, log_has, log_lacks, stdout, stderr, stderr_has, exit   what the
            service reported
  log_width  no line of the log longer than that many bytes
  history   the switching history of the polls counted: its lines (category
            Output) in order, without "INFO Output: "; or (poll, line) pairs,
            polls counted from 1 (a poll later with --in-process-library)
  poll_seconds  (low, high): the longest poll, in real seconds
  window_edge   "HH:MM:SS": a must-run window opens then; every poll is out
            of it before and in it after, and both kinds occur
  clock_weekday  the weekday (Sunday 0) the service's clock must show in its
            " Day of week" line
  samples, rss_growth_kib   resident memory and descriptors at two polls
  hwm_rise_kib  (base, later, KiB): the peak resident memory (VmHWM) seen
            after poll `later` at most that much above the one after `base`
  rss_return_kib  (base, later, KiB): resident memory (VmRSS) after poll
            `later` within that much of the one after `base`
            (both taken with the service frozen between two polls)
  valgrind  run the service under memcheck; no leak, no error
  notify    a service manager's notify socket of the harness's own (a
            datagram listener in the case folder, named in NOTIFY_SOCKET).
            The service is frozen after every poll and the socket drained,
            so each message is known to come between two freezes. Checked:
            nothing on a failed start, else READY=1 once and first; no
            WATCHDOG=1 without watchdog_usec; no STATUS twice in a row; no
            message of another kind
  watchdog_usec  WATCHDOG_USEC; between each two freezes at least a ping
            per WATCHDOG_USEC of ticks (half the rate due)
  status    the STATUS texts (strings or compiled patterns) sent before the
            freeze after the last poll counted; a "no answer ... since"
            time must lie within the row's first poll without a response
  blocked_get  (--in-process-library only, with the fault "block" set by an
            action) once the library records the blocked call, no ping for
            BLOCKED_WAIT_S real seconds; then the state is restored, and the
            poll and the pings must go on
Every case with polls also checks that polls are 22 ticks apart, and every
case that tarwendle-check is installed beside checks that the tool's
verdict on the case's document is the service's: 1 when it failed to
start, 0 when it ran.

A service built against another object library (tests/sdk, whose client
answers in-process from OVTOBJ_STATE and records each call in OVTOBJ_CALLS)
runs the same rows with --in-process-library: no objsim, the same state
file, and the library's record in place of the simulator's journal. Each
such case also checks the calls themselves: one start, of 127.0.0.1 port
60000, before the first read; every read of message type 1, its digital
inputs first with their status reset, the output last; every write a
digital output with default state 0. --save-log keeps the log of the
polls, so that two builds' logs can be compared line by line.
"""
import argparse
import contextlib
import datetime
import errno
import json
import os
import random
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SANDBOX = os.path.join(HERE, "..", "..", "scripts", "sandbox")
# The host's libfaketime; a service built for another architecture brings
# its own (--faketime-lib) and its emulator (--service-prefix).
FAKETIME_LIB = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
SKIPPED = 77  # ctest's SKIP_RETURN_CODE for the e2e tests
# Per network namespace; the host's is the kernel's default.
PORT_RANGE = "/proc/sys/net/ipv4/ip_local_port_range"
ZONEINFO = "/usr/share/zoneinfo"
# A zone row's copy of its zone file, in the case folder.
LOCALTIME = "localtime"

BANNER = "Welcome to the Wendle Show...\n"
FOLDER = object()  # a document that is a folder
# The time stamp (faked time) lets a case measure how long a poll took; the
# harness strips it before comparing lines.
LOG_CONF = """log4cpp.rootCategory=DEBUG, file
log4cpp.appender.file=org.apache.log4j.FileAppender
log4cpp.appender.file.fileName=/etc/ovt/tarwendle/service.log
log4cpp.appender.file.layout=org.apache.log4j.PatternLayout
log4cpp.appender.file.layout.ConversionPattern=%d{%H:%M:%S,%l} %p %c: %m%n
"""
POLL_START = "DEBUG WendleEngine: %d Digital Triggers "
HISTORY = "INFO Output: "
TICK = "DEBUG WendleEngine: tick.."
BAD_RESPONSE = "INFO WendleEngine: Bad response"

# The client's bound on one exchange (cObjectClient::DEFAULT_TIMEOUT_MS).
CLIENT_TIMEOUT_S = 3.0
# Time for the harness to see that a poll ended and freeze the service
# before the next one: 22 faked seconds, 2.2 real seconds at this speed.
SPEED = 10
# The in-process library's files, in the case folder.
CALLS = "calls.jsonl"
# The notify socket, in the case folder, and what the service may send.
NOTIFY = "notify"
READY, PING, STATUS = "READY=1", "WATCHDOG=1", "STATUS="
NO_ANSWER = re.compile(r"no answer from the object service since (\d\d:\d\d:\d\d) "
                       r"\((\d+) polls?\)")
# A blocked poll is watched this long for pings, in real seconds: many
# watchdog half-periods of the faked clock. A service that sent a ping only
# when busier than that would escape; one that sends none never fails.
BLOCKED_WAIT_S = 3.0

OUTPUT = {"label": "DO1", "deviceid": "a1"}
STATE = {
    "digital_inputs": [{"label": "DI1", "deviceid": "a1", "status": 2}],
    "analog_inputs": [{"label": "AI1", "deviceid": "a1", "value": 21.5}],
    "digital_outputs": [{"label": "DO1", "deviceid": "a1", "portid": 3, "default": 2, "state": 2}],
    "fault": "none",
}
DI1_ALARM = {"type": "digital", "label": "DI1", "deviceid": "a1", "operation": "alarm"}
AI1_ABOVE_50 = {"type": "analog", "label": "AI1", "deviceid": "a1", "operation": "gt",
                "value": "50"}
ALARM_RULE = {"output": OUTPUT, "triggers": [DI1_ALARM]}
NOALARM_RULE = {"output": OUTPUT, "triggers": [dict(DI1_ALARM, operation="noalarm")]}
BOTH_RULES = {"output": OUTPUT, "triggers": [DI1_ALARM, AI1_ABOVE_50]}
BOTH_RULES_STDOUT = BANNER + "null\nLevel set to '50' \n"
WORKDAY_WINDOW = {"output": OUTPUT, "triggers": [], "timelimits": [
    {"days": [1, 2, 3, 4, 5], "from": "08:00", "to": "17:00", "mustrun": "true"}]}
# Output DO1 rests low (2): released is 1, inhibited 2.
RELEASED, INHIBITED = 1, 2
OUTPUT_ONLY = {"output": OUTPUT, "triggers": []}
DO1_RELEASED = "DO1 on device a1: HIGH (released)"
DO1_INHIBITED = "DO1 on device a1: LOW (inhibited)"
DI1_IN_ALARM = "cfg.triggers[0]: DI1 on device a1 in alarm"


def with_state(**changes):
    state = json.loads(json.dumps(STATE))
    for key, value in changes.items():
        if key == "status":
            state["digital_inputs"][0]["status"] = value
        elif key == "value":
            state["analog_inputs"][0]["value"] = value
        else:
            state[key] = value
    return state


def with_status(status):
    return with_state(status=status)


def doc(cfg, ovt=None):
    document = {"cfg": cfg}
    if ovt is not None:
        document["ovt"] = ovt
    return json.dumps(document)


def compact(value):
    """A value as the service logs it: sorted members, no blanks."""
    return json.dumps(value, sort_keys=True, separators=(",", ":"), ensure_ascii=False)


def config_lines(cfg):
    return ["INFO Config: Starting Config", "INFO Config: " + compact(cfg)]


def engine_lines(*lines):
    return ["INFO WendleEngine: " + line for line in lines]


def rule_with(trigger=None, limit=None, output=OUTPUT):
    """A rule document with one trigger or one time limit, and the log lines
    construction writes up to the entry, which fails."""
    cfg = {"output": output, "triggers": [trigger] if trigger else []}
    lines = engine_lines("Found some triggers...%d of them" % len(cfg["triggers"]))
    if trigger:
        lines += engine_lines(compact(trigger), trigger["type"].capitalize())
    if limit:
        cfg["timelimits"] = [limit]
        lines += engine_lines(compact(limit))
    return cfg, lines


MONDAY = " Day of week: 1\n"


def workday_unlike_today(monday):
    """A Monday to Friday of the week from `monday` (a date) whose weekday the
    real clock shows neither today nor tomorrow, in UTC like every case: a
    service that reads the real clock instead of the faked one tells another
    weekday. The date, and its weekday as the service counts (Sunday 0)."""
    today = datetime.datetime.now(datetime.timezone.utc).isoweekday() % 7
    weekday = next(d for d in range(1, 6) if d not in (today, (today + 1) % 7))
    return monday + datetime.timedelta(days=weekday - 1), weekday


def workday_window_row(monday, clock, **row):
    """WORKDAY_WINDOW from a workday at `clock` ("HH:MM:SS") of that week."""
    day, weekday = workday_unlike_today(monday)
    return dict(document=doc(WORKDAY_WINDOW), start="%s %s" % (day, clock),
                clock_weekday=weekday,
                stdout=BANNER + "null\nDay 1\nDay 2\nDay 3\nDay 4\nDay 5\n"
                " Day of week: %d\nStart: 8-0:-1\nStop: 17-0:-1\n" % weekday, **row)


def zone_file(name):
    return os.path.join(ZONEINFO, name)


# Must run from 08:00 to 08:59 every day, in whatever zone the service is.
EIGHT_OCLOCK = {"output": OUTPUT, "triggers": [], "timelimits": [
    {"from": "08:00", "to": "08:59", "mustrun": "true"}]}


def zone_change_row(start, weekday, polls, actions):
    """EIGHT_OCLOCK from `start` UTC, in UTC read from /etc/localtime."""
    return dict(document=doc(EIGHT_OCLOCK), zone="Etc/UTC", start=start, polls=polls,
                actions=actions,
                stdout=BANNER + "null\n Day of week: %d\nStart: 8-0:-1\nStop: 8-59:-1\n" % weekday)


HUGE_OUTPUT = {"label": "x" * (1 << 20), "deviceid": "a1"}


def huge_request():
    """The read request of an engine with no trigger and HUGE_OUTPUT, as the
    client would encode it with its widest request number: ports named, no
    readings."""
    return {"id": 0xFFFFFFFF, "msgtype": 1, "version": 1, "objects": [
        {"label": HUGE_OUTPUT["label"], "serial": 0xa1, "type": 3}]}
# A start-up whose requests fit a frame but whose answers may not: each
# digital input's answer adds its port id and status to its name.
MANY_TRIGGERS = 20000
MANY_TRIGGERS_RULE = {"output": OUTPUT, "triggers": [DI1_ALARM] * MANY_TRIGGERS}


def widest_answer():
    """The answer to MANY_TRIGGERS_RULE's read request with every field at
    its widest, as objsim would write it."""
    widest = {"port": 0xFFFFFFFF, "status": -0x80000000}
    inputs = [dict(widest, label="DI1", serial=0xa1, type=2)] * MANY_TRIGGERS
    output = dict(widest, label="DO1", serial=0xa1, type=3, output=-0x80000000,
                  default=-0x80000000)
    return {"id": 0xFFFFFFFF, "msgtype": 1, "version": 1, "objects": inputs + [output]}


MUSTRUN = {"days": [1], "from": "08:00", "to": "17:00", "mustrun": "true"}


def limit_with(**changes):
    limit = dict(MUSTRUN, **changes)
    return {key: value for key, value in limit.items() if value is not None}


def failing(cfg_and_lines, ovt=None):
    cfg, lines = cfg_and_lines
    return doc(cfg, ovt), config_lines(cfg) + lines


# Start-up failures: (name, (document or None for no file, log lines due),
# error on stderr, standard output after the banner). None of them may reach
# the object service.
T302 = "[json.exception.type_error.302] type must be %s, but is %s"
T305 = "[json.exception.type_error.305] cannot use operator[] with a string argument with %s"
P101 = "[json.exception.parse_error.101] parse error at line 1, column %d: syntax error while parsing %s"
NO_INPUT = P101 % (1, "value - unexpected end of input; expected '[', '{', or a literal")
STARTUP_FAILURES = [
    ("no_file", (None, config_lines(None)[:1]), NO_INPUT, ""),
    ("empty_file", ("", config_lines(None)[:1]), NO_INPUT, ""),
    # A folder in the file's place reads as nothing, like a missing file.
    ("folder", (FOLDER, config_lines(None)[:1]), NO_INPUT, ""),
    # Nesting the JSON library could only copy and print by exhausting the
    # stack is refused while parsing.
    ("deep_nesting", ('{"cfg": %s%s}' % ("[" * 53000, "]" * 53000), config_lines(None)[:1]),
     "configuration nested deeper than 256 levels", ""),
    ("bad_json", ('{"cfg": {}', config_lines(None)[:1]),
     P101 % (11, "object - unexpected end of input; expected '}'"), ""),
    ("commented", ('{"cfg": {}} // relay', config_lines(None)[:1]),
     P101 % (13, "value - invalid literal; last read: '\"cfg\": {}} /'; expected end of input"),
     ""),
    # A byte of no character is quoted escaped, never as it is.
    ("byte_of_no_character", ('{"cfg": {"output": {"label": "DO\udcff"}}}', config_lines(None)[:1]),
     P101 % (33, "value - invalid string: ill-formed UTF-8 byte; last read: '\"DO\\xFF'"), ""),
    ("top_level_array", ("[]", config_lines(None)[:1]), T305 % "array", ""),
    ("ovt_not_object", (doc({}, "probe"), config_lines({})), T305 % "string", ""),
    ("crap_number", (doc({}, {"crap": 5}), config_lines({})), T302 % ("string", "number"), ""),
    # The output is read first: the engine has written nothing yet.
    ("output_deviceid_number", failing((rule_with(output={"label": "DO1", "deviceid": 161})[0], [])),
     T302 % ("string", "number"), "null\n"),
    ("label_number", failing(rule_with(dict(DI1_ALARM, label=1))),
     T302 % ("string", "number"), "null\n"),
    ("deviceid_number", failing(rule_with(dict(AI1_ABOVE_50, deviceid=161))),
     T302 % ("string", "number"), "null\n"),
    ("value_number", failing(rule_with(dict(AI1_ABOVE_50, value=50))),
     T302 % ("string", "number"), "null\n"),
    ("value_no_number", failing(rule_with(dict(AI1_ABOVE_50, value="V50"))), "stof", "null\n"),
    ("level_out_of_range", failing(rule_with(dict(AI1_ABOVE_50, value="1e99"))), "stof",
     "null\n"),
    ("mustrun_missing", failing(rule_with(limit=limit_with(mustrun=None))),
     T302 % ("string", "null"), "null\n"),
    ("mustrun_boolean", failing(rule_with(limit=limit_with(mustrun=True))),
     T302 % ("string", "boolean"), "null\n"),
    ("days_string", failing(rule_with(limit=limit_with(days="Mon"))),
     T302 % ("number", "string"), 'null\nDay "Mon"\n'),
    ("from_absent", failing(rule_with(limit=limit_with(**{"from": None}))),
     T302 % ("string", "null"), "null\nDay 1\n" + MONDAY),
    ("from_not_a_time", failing(rule_with(limit=limit_with(**{"from": "ab:00"}))), "stoi",
     "null\nDay 1\n" + MONDAY),
    ("hour_out_of_range", failing(rule_with(limit=limit_with(to="99999999999:00"))), "stoi",
     "null\nDay 1\n" + MONDAY),
    # "DI1\0X" would watch or drive DI1 without a word.
    ("label_nul", failing(rule_with(dict(DI1_ALARM, label="DI1\u0000X"))),
     "label holds a NUL character", "null\n"),
    ("output_label_nul", failing((rule_with(output=dict(OUTPUT, label="DO1\u0000X"))[0], [])),
     "label holds a NUL character", "null\n"),
    # A request over the frame bound could never be sent: refused at start.
    ("request_too_large", failing(rule_with(output=HUGE_OUTPUT)),
     "the request for 1 objects cannot be sent to the object service: message of %d bytes "
     "exceeds 1048576" % len(compact(huge_request())), "null\n"),
    # Its request fits (0.7 MiB), its answers may not (1.4 MiB).
    ("answer_too_large", failing((MANY_TRIGGERS_RULE, engine_lines(
        "Found some triggers...%d of them" % MANY_TRIGGERS) + engine_lines(
            compact(DI1_ALARM), "Digital") * MANY_TRIGGERS)),
     "the answer to the request for %d objects may not fit in a frame: message of up to %d "
     "bytes exceeds 1048576" % (MANY_TRIGGERS + 1, len(compact(widest_answer()))), "null\n"),
]

CASES = {}
# The standard-error line names the file and the step that failed.
DOCUMENT = "/etc/ovt/tarwendle/tarwendle.json"
STEPS = {"load": "cannot load " + DOCUMENT,
         "setting": 'cannot read setting "crap" of ' + DOCUMENT,
         "engine": 'cannot build the engine from "cfg" of ' + DOCUMENT}
SETTING_FAILURES = ("ovt_not_object", "crap_number")


def failing_step(name, lines):
    if name in SETTING_FAILURES:
        return STEPS["setting"]
    return STEPS["load"] if lines == config_lines(None)[:1] else STEPS["engine"]


for _name, (_document, _lines), _error, _stdout in STARTUP_FAILURES:
    CASES["startup_" + _name] = dict(
        document=_document, exit=1, stdout=BANNER + _stdout, log=_lines,
        stderr="tarwendle: %s: %s\n" % (failing_step(_name, _lines), _error))


def alarm_rule_writes(inputs):
    return RELEASED if inputs.get("DI1") == "1" else INHIBITED


def soak_rule_writes(inputs):
    alarm = inputs.get("DI1") == "1" or float(inputs.get("AI1", "nan")) > 50
    return RELEASED if alarm else INHIBITED


def client_lines(reason, failed_polls):
    """What the client logs of an outage: its reason once, then the recovery."""
    return ["WARN ObjectClient: reading from the object service failed: " + reason,
            "WARN ObjectClient: reading from the object service works again after %d failed "
            "polls" % failed_polls]


def fault_row(fault, slowest, reason):
    # Normal, two polls under the fault, normal again once it is cleared.
    return dict(document=doc(ALARM_RULE), polls=[INHIBITED, "-", "-", INHIBITED],
                actions={1: with_state(fault=fault), 3: STATE},
                log_has=[BAD_RESPONSE] + client_lines(reason, 2), poll_seconds=slowest)


# A hung service costs a poll the client's whole bound in real time, however
# fast the faked clock runs, and not much more; a refusing one costs little.
# The upper bound has half the bound to spare for a busy machine.
HUNG = (CLIENT_TIMEOUT_S, CLIENT_TIMEOUT_S * 1.5)
REFUSED = (0, CLIENT_TIMEOUT_S * 1.5)
SERVICE = "127.0.0.1:60000"
REFUSED_REASON = "connect to %s: connect: Connection refused" % SERVICE
SELF_CONNECTED = "connect to %s: connected to itself: no service listens on %s" % (SERVICE,
                                                                                  SERVICE)
GARBAGE_REASON = "malformed answer: undecodable document: " + (
    "[json.exception.parse_error.101] parse error at line 1, column 2: syntax error while "
    "parsing value - invalid literal; last read: 'no'")
UNWRITABLE_LOG = ("cWlog: cannot write log file '/no/such/folder/service.log' of appender "
                  "'file' (No such file or directory); its events go to standard error\n")
# {"type":9}, then a comma: as many as fit in one frame with the rest.
FLOOD_OBJECTS = 95000
FLOOD = with_state(extra_objects=[{"type": 9}] * FLOOD_OBJECTS)
# The worst answer may raise the service's peak this much over its normal
# polls', and it must give the rest back by the poll after it.
FLOOD_HWM_RISE_KIB = 4 * 1024
FLOOD_RSS_RETURN_KIB = 1024


# Answers that quote a megabyte of text where the reason for refusing them
# looks; objsim sends their bytes as they are ("fault": "bytes").
FRAME_BOUND = 1 << 20
HUGE = FRAME_BOUND - 128
HEAD = '{"version":1,"msgtype":1,"objects":['
HUGE_NUMBER = HEAD + '],"id":' + "1" * HUGE + ".x}"
HUGE_BAD_TEXT = (HEAD + '{"type":2,"label":"' + "x" * HUGE +
                 '\xff","serial":161,"port":0,"status":1}]}')
HUGE_REFUSAL = '{"version":1,"msgtype":0,"objects":[],"error":"' + "x" * HUGE + '"}'
# The client's reason for each, the text it quotes cut after 64 bytes. A
# number is refused once longer than any a service writes, a text where the
# JSON library would refuse it.
SHOWN = "\u2026 (%d bytes)"
PARSE_ERROR = ("malformed answer: undecodable document: parse error at byte %d: %s; last read: "
               "'%s'")
HUGE_NUMBER_REASON = PARSE_ERROR % (len(HEAD + '],"id":') + 4097, "number of more than 4096 bytes",
                                    "1" * 64 + SHOWN % 4097)
HUGE_BAD_TEXT_REASON = PARSE_ERROR % (HUGE_BAD_TEXT.index("\xff") + 1,
                                      "invalid string: ill-formed UTF-8 byte",
                                      '"' + "x" * 63 + SHOWN % (HUGE + 2))
HUGE_REFUSAL_REASON = "service refused the request: " + "x" * 64 + SHOWN % HUGE
# No log line may be wider, time stamp left out: level, category, reason.
LOG_WIDTH = 300


def fault_bytes(payload):
    return with_state(fault="bytes", fault_bytes=payload)


def big_label(kind):
    """An answer with one more port than asked for, labelled with all but
    a few hundred bytes of a frame."""
    port = {"type": kind, "label": "x" * (FRAME_BOUND - 512), "serial": 0xa1, "port": 0,
            "status": 1}
    if kind == 4:
        port["value"] = 1.0
    if kind == 3:
        port.update(output=2, default=2)
    return with_state(extra_objects=[port])


EXTRA_DO2 = {"type": 3, "label": "DO2", "serial": 0xa1, "port": 5, "status": 0, "output": 2,
             "default": 1}
UNASKED = [{"type": 2, "label": "DI7", "serial": 0xa1, "port": 0, "status": 1},
           {"type": 2, "label": "DI1", "serial": 0xb2, "port": 0, "status": 1},
           {"type": 4, "label": "AI9", "serial": 0xa1, "port": 0, "status": 2, "value": 99.0},
           {"type": 2, "label": "DI8", "serial": 0xa1, "port": 0, "status": 3},
           {"type": 9}]
AI1_BELOW_10 = {"type": "analog", "label": "AI1", "deviceid": "a1", "operation": "lt",
                "value": "10"}


def reading_row(trigger, first, then, shown):
    """A reading beyond single precision for one poll, then an ordinary one:
    the trigger compares infinity like any value, and the next poll takes
    the next reading."""
    return dict(document=doc({"output": OUTPUT, "triggers": [trigger]}),
                stdout=BANNER + "null\nLevel set to '%s' \n" % trigger["value"],
                state=with_state(value=first), actions={1: with_state(value=then)},
                polls=[RELEASED, INHIBITED],
                log_has=["DEBUG WendleEngine: Setting 161:AI1 to %s " % shown])


def with_output(base, **changes):
    return dict(base, digital_outputs=[dict(base["digital_outputs"][0], **changes)])


# An action's mark: the output states it gives are a move by something else.
MOVED = "moved_outside"

CASES.update({
    # A workday from 07:59:00: polls 22 s apart cross 08:00 by the fourth.
    # Each is judged by its own time stamps, so a late start shifts the polls
    # but not the verdict; only one later than a faked minute (12 s real)
    # would miss the crossing.
    "window_crossing": workday_window_row(datetime.date(2026, 12, 7), "07:59:00", speed=5,
                                          polls=4, window_edge="08:00:00"),
    # Noon of a workday releases at the first poll, on the clock of 2026, past
    # the signed 32-bit seconds (2038-01-19 03:14:07 UTC) and past the
    # unsigned ones (2106-02-07 06:28:15 UTC). At the speed of real time: the
    # later ones fake the emulator's clock, whose sleeps are not faked.
    "clock_2026": workday_window_row(datetime.date(2026, 12, 7), "12:00:00", speed=1,
                                     polls=[RELEASED]),
    "clock_2040": workday_window_row(datetime.date(2040, 3, 5), "12:00:00", speed=1,
                                     polls=[RELEASED]),
    "clock_2106": workday_window_row(datetime.date(2106, 2, 8), "12:00:00", speed=1,
                                     polls=[RELEASED]),
    # The zone becomes UTC+9 under the running service: 08:10 UTC is 17:10
    # in Tokyo, and the window closes from the next poll on; 23:10 UTC on
    # Sunday is 08:10 on Monday there, and it opens. Tokyo's file bound over
    # /etc/localtime, or written into the file the service reads.
    "zone_change_closes_window": zone_change_row("2026-12-07 08:10:00", 1,
                                                 [RELEASED, RELEASED, INHIBITED, INHIBITED],
                                                 {2: ("zone", "Asia/Tokyo")}),
    "zone_change_opens_window": zone_change_row("2026-12-06 23:10:00", 0,
                                                [INHIBITED, RELEASED, RELEASED],
                                                {1: ("zone", "Asia/Tokyo")}),
    "zone_rewritten_in_place": zone_change_row("2026-12-07 08:10:00", 1,
                                               [RELEASED, INHIBITED, INHIBITED],
                                               {1: ("zone_rewritten", "Asia/Tokyo")}),
    # The alarm goes on after the first poll: the next poll releases.
    "input_flip": dict(document=doc(ALARM_RULE), sets=[2, 1], actions={1: with_status(1)},
                       writes=alarm_rule_writes),
    # The switching history: a line for the first write and for each change,
    # none while the output holds; an exclude window names what it overrides.
    "history_input_flips": dict(document=doc(ALARM_RULE), actions={1: with_status(1),
                                                                   3: with_status(2)},
                                polls=[INHIBITED, RELEASED, RELEASED, INHIBITED, INHIBITED],
                                history=[DO1_INHIBITED + ": no rule asks for release",
                                         DO1_RELEASED + " by " + DI1_IN_ALARM,
                                         DO1_INHIBITED + ": no rule asks for release"]),
    # 08:00 to 08:01:59 every day, from 07:58:40: the first poll comes 80 s
    # (8 s real) before it opens, the eleventh after it closes, and only a
    # pause of 12 s real between two polls would skip it.
    "history_window_opens_and_closes": dict(
        document=doc(dict(OUTPUT_ONLY, timelimits=[{"from": "08:00", "to": "08:01",
                                                    "mustrun": "true"}])),
        start="2026-12-07 07:58:40", polls=11,
        stdout=BANNER + "null\n Day of week: 1\nStart: 8-0:-1\nStop: 8-1:-1\n",
        history=[DO1_INHIBITED + ": no rule asks for release",
                 DO1_RELEASED + " by cfg.timelimits[0]: forces release every day "
                 "08:00\u201308:01:59",
                 DO1_INHIBITED + ": no rule asks for release"]),
    "history_exclude_overrides_alarm": dict(
        document=doc(dict(ALARM_RULE, timelimits=[{"from": "00:00", "to": "04:59",
                                                   "mustrun": "false"}])),
        start="2026-12-07 03:00:00", state=with_status(1), actions={1: with_status(2)},
        polls=[INHIBITED, INHIBITED, INHIBITED],
        stdout=BANNER + "null\n Day of week: 1\nStart: 0-0:-1\nStop: 4-59:-1\n",
        history=[DO1_INHIBITED + " by cfg.timelimits[0]: forces inhibit every day "
                 "00:00\u201304:59:59; over " + DI1_IN_ALARM]),
    # A write the simulator refuses (to the port id of a second output in
    # the answer) is no switch; the next, applied, is.
    "history_refused_write": dict(
        document=doc(ALARM_RULE), polls=[INHIBITED, RELEASED, RELEASED, RELEASED],
        actions={1: with_state(status=1, extra_objects=[dict(EXTRA_DO2, default=2)]),
                 2: with_status(1)},
        journal_sets=[{"op": "set", "deviceid": "a1", "portid": 3, "state": 2, "applied": True},
                      {"op": "set", "deviceid": "a1", "portid": 5, "state": 1, "applied": False},
                      {"op": "set", "deviceid": "a1", "portid": 3, "state": 1, "applied": True},
                      {"op": "set", "deviceid": "a1", "portid": 3, "state": 1, "applied": True}],
        history=[(1, DO1_INHIBITED + ": no rule asks for release"),
                 (3, DO1_RELEASED + " by " + DI1_IN_ALARM)]),
    # Something else sets the output high between two polls: that change is
    # told as such, and so is the service's write back.
    "history_outside_change": dict(
        document=doc(ALARM_RULE), polls=[INHIBITED] * 3,
        actions={1: dict(with_output(STATE, state=1), **{MOVED: True})},
        history=[DO1_INHIBITED + ": no rule asks for release",
                 "DO1 on device a1: HIGH (changed outside tarwendle)",
                 DO1_INHIBITED + ": no rule asks for release"]),
    # Between two polls exactly 22 ticks, and a poll's debug lines as they are.
    "ticks_between_polls": dict(document=doc(ALARM_RULE, {"crap": "probe"}), sets=[2, 2],
                                stdout=BANNER + "probe\n", ticks=22),

    # Faults of the object service: the service never stops polling.
    "fault_absent_then_appears": dict(document=doc(ALARM_RULE), objsim=False,
                                      polls=["-", "-", INHIBITED, INHIBITED],
                                      actions={2: "start_objsim"}, sets=[2, 2],
                                      log_has=client_lines(REFUSED_REASON, 2)),
    "fault_killed_restarted": dict(document=doc(ALARM_RULE),
                                   polls=[INHIBITED, "-", RELEASED, RELEASED],
                                   actions={1: "kill_objsim",
                                            2: [with_status(1), "start_objsim"]},
                                   sets=[2, 1, 1]),
    "fault_hang": fault_row("hang", HUNG, "timed out"),
    "fault_close": fault_row("close", REFUSED, "connection closed by the service"),
    "fault_garbage": fault_row("garbage", REFUSED, GARBAGE_REASON),
    # Nothing listens, and the only ephemeral port is the service's: every
    # connect joins the socket to itself. The client drops each one, so the
    # simulator can still take its port once it starts.
    "fault_self_connect": dict(document=doc(ALARM_RULE), objsim=False, port_range="60000 60000",
                               polls=["-", "-", INHIBITED, INHIBITED],
                               actions={2: ["open_ports", "start_objsim"]},
                               log_has=client_lines(SELF_CONNECTED, 2)),
    # A log file that cannot be opened is named on standard error, which
    # takes its events.
    "log_file_unwritable": dict(document=doc(ALARM_RULE), sets=[INHIBITED, INHIBITED],
                                log_conf=LOG_CONF.replace("/etc/ovt/tarwendle/service.log",
                                                          "/no/such/folder/service.log"),
                                stderr_has=[UNWRITABLE_LOG, " INFO WendleEngine: Wendle Engine "
                                            "starting ...\n", " DEBUG WendleEngine: Inhibit "
                                            "Output \n"]),
    # The console log's reader is gone before the service starts: writes to
    # it fail, and the service polls on.
    "stderr_reader_gone": dict(document=doc(ALARM_RULE), log_conf=False, stderr_closed=True,
                               sets=[INHIBITED, INHIBITED]),
    # Descriptor 2 closed at start: the log file must not take it, or the
    # start-up error line would land in the log, without its layout.
    "stderr_shut_startup_failure": dict(document='{"cfg": {}', stderr_shut=True, exit=1,
                                        stdout=BANNER, log=config_lines(None)[:1]),
    # A document that is slow to come (here a FIFO): the service has said
    # that it reads the configuration before it waits for it, and starts
    # once it comes.
    "document_fifo": dict(document=doc(ALARM_RULE), fifo=True, polls=[INHIBITED],
                          log_has=config_lines(ALARM_RULE)),
    # The largest answer within the frame bound, almost all of it objects of
    # an unknown type, skipped, the first few logged and the rest counted,
    # between normal polls: the peak rises a few MiB over the normal polls'
    # and the memory comes back.
    "answer_flood": dict(document=doc(ALARM_RULE), polls=[INHIBITED] * 4,
                         actions={2: FLOOD, 3: STATE},
                         log_has=["INFO WendleEngine: We don't handle this type",
                                  "INFO WendleEngine: We don't handle this type: %d more such "
                                  "objects in this answer" % (FLOOD_OBJECTS - 3)],
                         hwm_rise_kib=(2, 3, FLOOD_HWM_RISE_KIB),
                         rss_return_kib=(2, 4, FLOOD_RSS_RETURN_KIB), timeout=120),
    # The same flood spoiled at its very end: all of it is read, then refused.
    "answer_flood_refused": dict(document=doc(ALARM_RULE),
                                 polls=[INHIBITED, INHIBITED, "-", INHIBITED],
                                 actions={2: dict(FLOOD, fault="malformed_end"), 3: STATE},
                                 log_has=[BAD_RESPONSE],
                                 hwm_rise_kib=(2, 3, FLOOD_HWM_RISE_KIB),
                                 rss_return_kib=(2, 3, FLOOD_RSS_RETURN_KIB), timeout=120),
    # Answers that would each have written a megabyte into the log: a number
    # and a text that are no JSON, a refusal. Each reason quotes 64 bytes of
    # it; the memory they take comes back.
    "answer_huge_texts": dict(document=doc(ALARM_RULE),
                              polls=[INHIBITED, "-", "-", "-", INHIBITED],
                              actions={1: fault_bytes(HUGE_NUMBER), 2: fault_bytes(HUGE_REFUSAL),
                                       3: fault_bytes(HUGE_BAD_TEXT), 4: STATE},
                              log_has=["WARN ObjectClient: reading from the object service "
                                       "failed: " + reason
                                       for reason in (HUGE_NUMBER_REASON, HUGE_REFUSAL_REASON,
                                                      HUGE_BAD_TEXT_REASON)] +
                              client_lines(HUGE_NUMBER_REASON, 3)[1:],
                              log_width=LOG_WIDTH,
                              hwm_rise_kib=(1, 5, FLOOD_HWM_RISE_KIB),
                              rss_return_kib=(1, 5, FLOOD_RSS_RETURN_KIB), timeout=120),
    # The worst answers one after another, taken and refused, each between
    # normal polls: the peak stays within the bound of one.
    "answer_sequence": dict(document=doc(ALARM_RULE),
                            polls=[INHIBITED] * 5 + ["-", "-"] + [INHIBITED] * 3,
                            actions={2: big_label(4), 3: FLOOD, 4: big_label(2),
                                     5: fault_bytes(HUGE_BAD_TEXT),
                                     6: dict(FLOOD, fault="malformed_end"), 7: big_label(3),
                                     8: STATE},
                            hwm_rise_kib=(2, 10, FLOOD_HWM_RISE_KIB),
                            rss_return_kib=(2, 10, FLOOD_RSS_RETURN_KIB), timeout=180),
    # No answer for the configured output: the port keeps what it was built
    # with (no resting state), so the write carries state 0 and port 0 and
    # the simulator refuses it.
    "answer_without_output": dict(document=doc(dict(ALARM_RULE, output={"label": "DO9",
                                                                        "deviceid": "a1"})),
                                  polls=[0, 0],
                                  journal_sets=[{"op": "set", "deviceid": "a1", "portid": 0,
                                                 "state": 0, "applied": False}] * 2),
    # No output at all: the engine asks for and writes to an unlabelled port
    # of device 0, which a controller's library may name by a null label.
    "document_without_output": dict(document=doc({"triggers": [DI1_ALARM]}), polls=[0, 0],
                                    log_has=["INFO WendleEngine: Output Port is: 0: ''   "],
                                    journal_sets=[{"op": "set", "deviceid": "0", "portid": 0,
                                                   "state": 0, "applied": False}] * 2),
    # Two outputs: the last one wins, its port id and resting state (high)
    # included, so the inhibit writes high to port 5, which the simulator
    # does not have.
    "answer_with_two_outputs": dict(document=doc(ALARM_RULE),
                                    state=with_state(extra_objects=[EXTRA_DO2]),
                                    polls=[1, 1],
                                    journal_sets=[{"op": "set", "deviceid": "a1", "portid": 5,
                                                   "state": 1, "applied": False}] * 2),
    # Inputs nobody asked for, in alarm, above the level or with a status no
    # rule names, change nothing; an unknown type is logged and skipped.
    "answer_with_unasked_inputs": dict(document=doc(BOTH_RULES), stdout=BOTH_RULES_STDOUT,
                                       state=with_state(extra_objects=UNASKED),
                                       polls=[INHIBITED, INHIBITED], sets=[2, 2],
                                       log_has=["INFO WendleEngine: We don't handle this type"]),

    # Readings and codes that no rule names are the rules' to judge; none
    # costs a poll. A status other than 1 is no alarm; a resting state other
    # than 1 or 2 leaves the output state as the answer gave it.
    "reading_above_float": reading_row(AI1_ABOVE_50, 1e39, 5.0, "inf"),
    "reading_below_float": reading_row(AI1_BELOW_10, -1e39, 50.0, "-inf"),
    # The usual spelling of the largest float lies a little above it, and
    # rounds to it.
    "reading_largest_float": reading_row(AI1_ABOVE_50, 3.4028235e38, 5.0, "3.40282e+38"),
    "status_unnamed_alarm": dict(document=doc(ALARM_RULE), state=with_status(3),
                                 polls=[INHIBITED],
                                 log_has=["DEBUG WendleEngine: Setting 161:DI1 to ALARM_CLEAR "]),
    "status_unnamed_noalarm": dict(document=doc(NOALARM_RULE), state=with_status(3),
                                   actions={1: with_status(2)}, polls=[INHIBITED, RELEASED]),
    "default_unnamed": dict(document=doc(ALARM_RULE),
                            state=with_output(with_status(1), default=5), polls=[2],
                            log_has=["DEBUG WendleEngine: Release Output "],
                            journal_sets=[{"op": "set", "deviceid": "a1", "portid": 3,
                                           "state": 2, "applied": True}]),

    # Long run with changing inputs: no missed poll, every write right,
    # memory and descriptors flat. At 1,000 times a poll's 22 ticks take
    # 22 ms, about the harness's round, so the harness still sets new
    # inputs after (nearly) every poll; the client's bound stays 3 real
    # seconds.
    "soak": dict(document=doc(BOTH_RULES), stdout=BOTH_RULES_STDOUT,
                 polls=2000, speed=1000, vary=True, writes=soak_rule_writes,
                 samples=(100, 2000), rss_growth_kib=64, timeout=500),
    # The service under memcheck for 50 polls: no leak, no error.
    "valgrind": dict(document=doc(BOTH_RULES), stdout=BOTH_RULES_STDOUT,
                     polls=50, speed=40, vary=True, writes=soak_rule_writes, valgrind=True,
                     timeout=300),
})



def matches(wanted, text):
    return wanted == text if isinstance(wanted, str) else bool(wanted.fullmatch(text))


def no_answer(polls):
    return re.compile(r"no answer from the object service since \d\d:\d\d:\d\d \(%d %s\)"
                      % (polls, "poll" if polls == 1 else "polls"))


# A watchdog of 4 s on the service's clock: a ping at least every other tick.
WATCHDOG_USEC = 4000000
CASES.update({
    # The service manager's notify socket: readiness once, before anything
    # else; pings through answered polls and failed ones alike.
    "notify_ready_watchdog": dict(document=doc(ALARM_RULE), notify=True,
                                  watchdog_usec=WATCHDOG_USEC,
                                  polls=[INHIBITED, INHIBITED, "-", "-"],
                                  actions={2: "kill_objsim"}),
    "notify_startup_failure": dict(CASES["startup_bad_json"], notify=True,
                                   watchdog_usec=WATCHDOG_USEC),
    # The status line follows the output and its cause, then the outage; a
    # poll that changes nothing sends nothing (and no ping without a
    # watchdog).
    "notify_status": dict(document=doc(ALARM_RULE), notify=True,
                          polls=[INHIBITED, RELEASED, RELEASED, "-", "-", "-"],
                          actions={1: with_status(1), 3: "kill_objsim"},
                          status=[DO1_INHIBITED + ": no rule asks for release",
                                  DO1_RELEASED + " by " + DI1_IN_ALARM,
                                  no_answer(1), no_answer(2), no_answer(3)]),
    "notify_status_refused_write": dict(
        CASES["history_refused_write"], notify=True,
        status=[DO1_INHIBITED + ": no rule asks for release",
                "DO2 on device a1: the object service refused HIGH (released)",
                DO1_RELEASED + " by " + DI1_IN_ALARM]),
    # A library that hangs in a read: no ping until the poll returns.
    "notify_blocked_poll": dict(document=doc(ALARM_RULE), notify=True,
                                watchdog_usec=WATCHDOG_USEC, blocked_get=True,
                                polls=[INHIBITED] * 3, actions={1: with_state(fault="block")}),
})

VALGRIND = ("valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite,indirect "
            "--suppressions=/etc/ovt/tarwendle/faketime.supp --log-file=/etc/ovt/tarwendle/valgrind.log")
# libfaketime's own sleep branches on a value memcheck thinks uninitialised;
# it is the clock's stand-in, not the service.
FAKETIME_SUPPRESSION = """{
   libfaketime
   Memcheck:Cond
   obj:*/libfaketime.so*
}
"""


class Log:
    """The service log, read as it grows, cut into polls."""

    def __init__(self, path):
        self.path, self.offset, self.partial = path, 0, ""
        self.lines, self.times = [], []
        self.polls = []  # per poll: index of its first line

    def update(self):
        try:
            # A byte of no character would stop the harness, not fail the case.
            with open(self.path, encoding="utf-8", errors="surrogateescape") as f:
                f.seek(self.offset)
                chunk = f.read()
                self.offset = f.tell()
        except FileNotFoundError:
            return
        text = self.partial + chunk
        complete, _, self.partial = text.rpartition("\n")
        if not complete and not text.endswith("\n"):
            return
        for raw in complete.split("\n"):
            stamp, _, line = raw.partition(" ")
            if re.fullmatch(r"\d\d:\d\d:\d\d,\d\d\d", stamp) is None:
                stamp, line = None, raw
            if re.fullmatch(POLL_START.replace("%d", r"\d+"), line):
                self.polls.append(len(self.lines))
            self.lines.append(line)
            self.times.append(stamp)

    def segment(self, poll):
        return [line for _, line in self.stamped(poll)]

    def stamped(self, poll):
        """The poll's lines up to the next poll, each with its time stamp."""
        begin = self.polls[poll]
        end = self.polls[poll + 1] if poll + 1 < len(self.polls) else len(self.lines)
        # Only the poll's own lines: the soak asks this after each of its
        # thousands of polls.
        return list(zip(self.times[begin:end], self.lines[begin:end]))

    def completed(self):
        """Polls done: a tick has followed them."""
        done = len(self.polls)
        if done and TICK not in self.segment(done - 1):
            done -= 1
        return done

    def outcome(self, poll):
        """'-' for no response, else the state decided (0: none)."""
        lines = self.segment(poll)
        if BAD_RESPONSE in lines:
            return "-"
        if "DEBUG WendleEngine: Setting Output to HIGH " in lines:
            return 1
        if "DEBUG WendleEngine: Setting Output to LOW " in lines:
            return 2
        return 0

    def seconds(self, poll):
        """Faked seconds from the poll's start to its last line before a tick."""
        first = self.polls[poll]
        last = first
        while last + 1 < len(self.lines) and self.lines[last + 1] != TICK:
            last += 1
        stamps = [self.times[first], self.times[last]]
        if None in stamps:
            return None
        a, b = [int(t[0:2]) * 3600 + int(t[3:5]) * 60 + int(t[6:8]) + int(t[9:]) / 1000.0
                for t in stamps]
        return (b - a) % 86400

    def ticks(self):
        """Ticks between each two consecutive polls."""
        return [self.segment(p).count(TICK) for p in range(len(self.polls) - 1)]


class Notifications:
    """A notify socket: its datagrams, read on a thread so that the service
    never finds the queue full, each with the epoch it was read in (the
    polls completed at the last freeze before it)."""

    def __init__(self, path):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
        self.sock.bind(path)
        self.sock.setblocking(False)
        self.got = []  # (text, epoch)
        self.epoch = 0
        self.ticks = {0: 0}  # per epoch: the ticks logged when it began
        self.lock = threading.Lock()
        self.stopped = threading.Event()
        self.reader = threading.Thread(target=self.read, daemon=True)
        self.reader.start()

    def read(self):
        while not self.stopped.is_set():
            self.stopped.wait(0.01)
            self.drain()

    def drain(self):
        """Reads what is queued; the number of messages read by now."""
        with self.lock:
            return self.drain_locked()

    def drain_locked(self):
        while True:
            try:
                data = self.sock.recv(65536)
            except BlockingIOError:
                return len(self.got)
            self.got.append((data.decode("utf-8", "backslashreplace"), self.epoch))

    def mark(self, epoch, ticks):
        """With the service frozen: all it sent so far is read, and what
        comes next belongs to the new epoch."""
        with self.lock:
            self.drain_locked()
            self.epoch = epoch
            self.ticks[epoch] = ticks

    def close(self):
        self.stopped.set()
        self.reader.join()
        self.drain()
        self.sock.close()


class Case:
    def __init__(self, options, name, row):
        self.bindir, self.name, self.row = options.bin, name, row
        self.options = options
        self.service_bin = options.service_bin or options.bin
        self.prefix = options.service_prefix
        self.in_process = options.in_process_library
        self.faketime_lib = options.faketime_lib
        self.dir = tempfile.mkdtemp(prefix="tarwendle-e2e-%s." % name)
        self.failures = []
        self.notes = []
        self.objsims = []  # simulators the harness started itself
        self.log = Log(self.path("service.log"))
        self.speed = row.get("speed", SPEED)
        self.deadline = time.monotonic() + row.get("timeout", 90)
        self.notify = None  # Notifications, for a row with notify
        self.pings_blocked = self.pings_after_block = None

    def path(self, name):
        return os.path.join(self.dir, name)

    def write(self, name, text):
        # A lone surrogate stands for a byte of no character ("\udcff" is 0xFF).
        with open(self.path(name), "w", encoding="utf-8", errors="surrogateescape") as out:
            out.write(text)

    def read(self, name):
        try:
            with open(self.path(name)) as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def journal(self):
        if self.in_process:
            return [self.journal_line(call) for call in self.calls()]
        return [json.loads(line) for line in self.read("journal.jsonl").splitlines() if line]

    def calls(self):
        return [json.loads(line) for line in self.read(CALLS).splitlines() if line]

    @staticmethod
    def journal_line(call):
        """An in-process library's call as objsim's journal has it."""
        if call["call"] == "set":
            return {"op": "set", "deviceid": "%x" % call["serial"], "portid": call["port"],
                    "state": call["output"], "applied": call["applied"]}
        return {"op": call["call"]}

    def answered_writes(self):
        """(inputs the service was answered, state it wrote next), per write."""
        inputs = None
        if self.in_process:
            for call in self.calls():
                if call["call"] == "get":
                    # A reading beyond the float range is recorded as text.
                    inputs = {o["label"]: str(o["status"]) if o["type"] == 2 else
                              o["value"] if isinstance(o["value"], str) else repr(o["value"])
                              for o in call["answer"] or [] if o["type"] in (2, 4)}
                elif call["call"] == "set" and inputs is not None:
                    yield inputs, call["output"], call
                    inputs = None
            return
        for line in self.read("objsim.out").splitlines():
            if line.startswith("get: "):
                inputs = dict(re.findall(r" (\w+)@\w+/\d+=(\S+)", line.partition(":")[2]))
            elif line.startswith("set ") and inputs is not None:
                yield inputs, int(re.match(r"set \S+ state (\d+)", line).group(1)), line
                inputs = None

    def sets(self):
        return [entry["state"] for entry in self.journal() if entry["op"] == "set"]

    def expect(self, what, got, wanted):
        if got != wanted:
            self.failures.append("%s:\n  got    %r\n  wanted %r" % (what, got, wanted))

    def pid(self, name):
        text = self.read(name + ".pid").strip()
        return int(text) if text else None

    def set_state(self, state):
        state = dict(state)
        if not state.pop(MOVED, False):
            # A new file would move the outputs back to what it says: they
            # keep what the service last wrote, unless the row moves them.
            written = {(e["deviceid"], e["portid"]): e["state"] for e in self.journal()
                       if e["op"] == "set" and e["applied"]}
            state["digital_outputs"] = [
                dict(o, state=written.get((o["deviceid"], o["portid"]), o["state"]))
                for o in state.get("digital_outputs", [])]
        self.write("state.json.new", json.dumps(state))
        os.rename(self.path("state.json.new"), self.path("state.json"))

    def act(self, action):
        if isinstance(action, list):
            for each in action:
                self.act(each)
        elif isinstance(action, dict):
            self.set_state(action)
        elif action == "kill_objsim":
            for process in self.objsims:
                process.kill()
                process.wait()
            self.objsims = []
            if self.pid("objsim"):
                os.kill(self.pid("objsim"), signal.SIGKILL)
        elif isinstance(action, tuple) and action[0] == "zone":
            subprocess.run(["nsenter", "--target", str(self.pid("service")), "--mount", "mount",
                            "--bind", zone_file(action[1]), "/etc/localtime"], check=True)
        elif isinstance(action, tuple) and action[0] == "zone_rewritten":
            # The same inode, new contents. glibc tells a changed file by its
            # inode, device and modification second, and a case may act within
            # the second the service read the file in: the rewrite is dated a
            # minute later, as an update days after start would be.
            copy = self.path(LOCALTIME)
            read_at = os.stat(copy).st_mtime
            with open(zone_file(action[1]), "rb") as source, open(copy, "r+b") as target:
                target.write(source.read())
                target.truncate()
            os.utime(copy, (read_at + 60, read_at + 60))
        elif action == "open_ports":
            with open(PORT_RANGE) as f:
                default = f.read().strip()
            subprocess.run(["nsenter", "--target", str(self.pid("service")), "--net", "sh", "-c",
                            "echo '%s' >%s" % (default, PORT_RANGE)], check=True)
        elif action == "start_objsim":
            # Into the running service's network namespace; the case folder
            # is the same files under its host path.
            out = open(self.path("objsim.out"), "a")
            self.objsims.append(subprocess.Popen(
                ["nsenter", "--target", str(self.pid("service")), "--net",
                 os.path.join(self.bindir, "objsim"), "--state", self.path("state.json"),
                 "--journal", self.path("journal.jsonl")], stdout=out, stderr=out))
            # The service is frozen: no poll can come before it listens.
            process = self.objsims[-1]
            while (time.monotonic() < self.deadline and process.poll() is None and
                   "listening" not in self.read("objsim.out").split("stopped")[-1]):
                time.sleep(0.02)
        else:
            raise ValueError("unknown action %r" % action)

    def launch(self):
        row = self.row
        if row.get("document") is FOLDER:
            os.mkdir(self.path("tarwendle.json"))
        elif row.get("fifo"):
            os.mkfifo(self.path("tarwendle.json"))
        elif row.get("document") is not None:
            self.write("tarwendle.json", row["document"])
        log_conf = row.get("log_conf", LOG_CONF)
        if log_conf:
            self.write("tarwendle.log.conf", log_conf)
        if row.get("valgrind"):
            self.write("faketime.supp", FAKETIME_SUPPRESSION)
        self.write("state.json", json.dumps(row.get("state", STATE)))
        etc = "/etc/ovt/tarwendle/"
        zone = "TZ=UTC "
        if "zone" in row:
            shutil.copyfile(zone_file(row["zone"]), self.path(LOCALTIME))
            # Bound, never written: the namespace's /etc may be the host's.
            zone = "unset TZ\nmount --bind %s%s /etc/localtime\n" % (etc, LOCALTIME)
        service = os.path.join(self.service_bin, "tarwendle")
        objsim = os.path.join(self.bindir, "objsim")
        library = ("OVTOBJ_STATE={etc}state.json OVTOBJ_CALLS={etc}{calls} ".format(etc=etc, calls=CALLS)
                   if self.in_process else "")
        start = row.get("start", "2026-12-07 12:00:00")
        speed = self.speed
        if row.get("notify"):
            library += "NOTIFY_SOCKET=%s%s " % (etc, NOTIFY)
        if "watchdog_usec" in row:
            library += "WATCHDOG_USEC=%d " % row["watchdog_usec"]
        prefix = (VALGRIND + " " if row.get("valgrind") else "") + self.prefix
        script = (
            'if [ "$3" = yes ]; then\n'
            '  "$1" --state {etc}state.json --journal {etc}journal.jsonl >>{etc}objsim.out 2>&1 &\n'
            '  objsim=$!\n'
            '  echo $objsim >{etc}objsim.pid\n'
            '  while kill -0 $objsim 2>/dev/null && ! grep -qs listening {etc}objsim.out; do\n'
            '    sleep 0.02\n'
            '  done\n'
            'fi\n'
            '{ports}'
            '{zone}{library}{preload}FAKETIME="@{start} x{speed}" {prefix} "$2" '
            '>{etc}stdout {stderr} &\n'
            'echo $! >{etc}service.pid\n'
            'wait $!\n'
            'echo $? >{etc}exit\n'
        ).format(etc=etc, zone=zone, library=library, start=start, speed=speed, prefix=prefix,
                 # libfaketime keeps a descriptor of its own, which would fill
                 # a closed standard error before the service starts.
                 preload="" if row.get("stderr_shut") else "LD_PRELOAD=%s " % self.faketime_lib,
                 ports="echo '%s' >%s\n" % (row["port_range"], PORT_RANGE)
                 if "port_range" in row else "",
                 stderr="2>{etc}stderr".format(etc=etc))
        objsim_at_start = "yes" if row.get("objsim", True) and not self.in_process else "no"
        keep = ()
        if row.get("stderr_shut"):
            script = script.replace("2>%sstderr" % etc, "2>&-")
        if row.get("stderr_closed"):
            # A pipe whose reading end is closed before the service starts.
            reading, writing = os.pipe()
            os.close(reading)
            script = script.replace("2>%sstderr" % etc, "2>&%d" % writing)
            keep = (writing,)
        try:
            return subprocess.Popen([SANDBOX, self.dir, "sh", "-c", script, "case", objsim,
                                     service, objsim_at_start], start_new_session=True,
                                    pass_fds=keep)
        finally:
            for fd in keep:
                os.close(fd)

    def open_fifo(self, reader):
        """The document's FIFO opened for writing, once `reader` (a process)
        opens it for reading; None if it ends or the case's time runs out
        first."""
        while time.monotonic() < self.deadline and reader.poll() is None:
            try:
                return os.open(self.path("tarwendle.json"), os.O_WRONLY | os.O_NONBLOCK)
            except OSError as error:
                if error.errno != errno.ENXIO:  # ENXIO: no reader yet
                    raise
            time.sleep(0.02)
        return None

    def write_fifo(self, fd):
        os.set_blocking(fd, True)
        with os.fdopen(fd, "w") as fifo:
            fifo.write(self.row["document"])

    def feed_service(self, process):
        fd = self.open_fifo(process)
        if fd is None:
            self.failures.append("the service never opened its document")
            return
        self.log.update()
        self.expect("log as the service opens its document", self.log.lines,
                    config_lines(None)[:1])
        self.expect("standard output as the service opens its document", self.read("stdout"),
                    BANNER)
        self.write_fifo(fd)

    @contextlib.contextmanager
    def frozen_after(self, poll):
        """The service stopped between poll and the next one, for an action."""
        pid = self.pid("service")
        os.kill(pid, signal.SIGSTOP)
        try:
            while time.monotonic() < self.deadline and self.state(pid) not in "TZX":
                time.sleep(0.005)
            self.log.update()
            if len(self.log.polls) > poll:
                self.failures.append("poll %d had begun before the harness froze the service "
                                     "to act after poll %d" % (poll + 1, poll))
            if self.notify:
                self.notify.mark(poll, self.log.lines.count(TICK))
            yield
        finally:
            os.kill(pid, signal.SIGCONT)

    @staticmethod
    def state(pid):
        try:
            with open("/proc/%d/stat" % pid) as f:
                return f.read().rpartition(")")[2].split()[0]
        except (FileNotFoundError, ProcessLookupError):
            return "X"

    def memory(self, field):
        with open("/proc/%d/status" % self.pid("service")) as f:
            return int(re.search(r"^%s:\s+(\d+) kB" % field, f.read(), re.M).group(1))

    def sample(self):
        return dict(rss=self.memory("VmRSS"), hwm=self.memory("VmHWM"),
                    fds=len(os.listdir("/proc/%d/fd" % self.pid("service"))))

    def watch_blocked_poll(self):
        """Once the library records a get that blocks: the pings while it
        stays blocked, then the state restored and the pings after."""
        if '"blocked"' not in self.read(CALLS):
            return False
        since = self.notify.drain()
        time.sleep(BLOCKED_WAIT_S)
        until = self.notify.drain()
        self.pings_blocked = [t for t, _ in self.notify.got[since:until]].count(PING)
        self.set_state(self.row.get("state", STATE))
        self.pings_after_block = until
        return True

    def run(self):
        row = self.row
        if row.get("notify"):
            self.notify = Notifications(self.path(NOTIFY))
        process = self.launch()
        wanted_polls = row.get("polls")
        poll_count = wanted_polls if isinstance(wanted_polls, int) else len(wanted_polls or [])
        wanted_sets = row.get("sets")
        actions = dict(row.get("actions", {}))
        varied = random.Random(7)
        samples = {}
        # Peaks and returns are judged between two polls exactly; the soak's
        # growth over thousands of polls is not, and at its speed a freeze
        # could come too late.
        frozen = {p for key in ("hwm_rise_kib", "rss_return_kib") for p in row.get(key, ())[:2]}
        if self.notify:
            frozen.update(range(1, poll_count + 1))
        watching_block = row.get("blocked_get")
        acted = 0
        try:
            if row.get("fifo"):
                self.feed_service(process)
            while time.monotonic() < self.deadline and process.poll() is None:
                self.log.update()
                done = self.log.completed() if poll_count else len(self.sets())
                for number in range(acted + 1, done + 1):
                    if number in frozen or number in actions:
                        with self.frozen_after(number):
                            if number in frozen:
                                samples[number] = self.sample()
                            if number in actions:
                                self.act(actions.pop(number))
                    if row.get("vary"):
                        self.set_state(with_state(status=varied.choice([1, 2]),
                                                  value=varied.choice([12.5, 50.0, 77.25])))
                    if number in row.get("samples", ()):
                        samples[number] = self.sample()
                acted = max(acted, done)
                if watching_block and self.watch_blocked_poll():
                    watching_block = False
                if poll_count and done >= poll_count:
                    break
                if not poll_count and wanted_sets is not None and done >= len(wanted_sets):
                    break
                time.sleep(0.02)
            if row.get("valgrind") and self.pid("service"):
                # The leak report comes when the process ends.
                os.kill(self.pid("service"), signal.SIGTERM)
                stop = time.monotonic() + 60
                while not self.read("exit") and time.monotonic() < stop:
                    time.sleep(0.1)
        finally:
            self.stop_objsims()
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass  # everything in it has ended already
            process.wait()
            if self.notify:
                self.notify.close()
        self.log.update()
        self.check(poll_count, samples)
        if self.options.save_log:
            self.save_log(self.options.save_log, poll_count)

    def stop_objsims(self):
        # Politely, so that a sanitized simulator reports what it found.
        pids = [p.pid for p in self.objsims] + ([self.pid("objsim")] if self.pid("objsim") else [])
        for pid in pids:
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        stop = time.monotonic() + 5
        for process in self.objsims:
            try:
                process.wait(max(0.1, stop - time.monotonic()))
            except subprocess.TimeoutExpired:
                process.kill()
        # A zombie has ended; reaping it is up to whoever adopted it.
        while time.monotonic() < stop and any(self.state(p) not in "ZX" for p in pids):
            time.sleep(0.02)

    def check(self, poll_count, samples):
        row = self.row
        log = self.log
        if "exit" in row:
            self.expect("exit status", self.read("exit").strip(), str(row["exit"]))
        elif not row.get("valgrind"):
            self.expect("service still running", self.read("exit"), "")
        checker = os.path.join(self.bindir, "tarwendle-check")
        if os.access(checker, os.X_OK):
            with subprocess.Popen([checker, self.path("tarwendle.json")],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL) as tool:
                if row.get("fifo"):
                    fd = self.open_fifo(tool)
                    if fd is not None:
                        self.write_fifo(fd)
                try:
                    verdict = tool.wait(timeout=60)
                except subprocess.TimeoutExpired:
                    tool.kill()
                    raise
            self.expect("tarwendle-check's verdict", verdict, 1 if row.get("exit") == 1 else 0)
        self.expect("standard output", self.read("stdout"),
                    row.get("stdout", BANNER + "null\n"))
        if "stderr" in row:
            self.expect("standard error", self.read("stderr"), row["stderr"])
        for text in row.get("stderr_has", []):
            self.expect("standard error holds %r" % text, text in self.read("stderr"), True)
        if "log" in row:
            self.expect("log", log.lines, row["log"])
        for line in row.get("log_has", []):
            self.expect("log holds %r" % line, line in log.lines, True)
        for line in row.get("log_lacks", []):
            self.expect("log lacks %r" % line, line in log.lines, False)
        if "log_width" in row:
            widths = [len(line.encode("utf-8", "surrogateescape")) for line in log.lines]
            self.notes.append("widest log line %d bytes" % max(widths or [0]))
            self.expect("log lines wider than %d bytes" % row["log_width"],
                        [line[:120] for line in log.lines
                         if len(line.encode("utf-8", "surrogateescape")) > row["log_width"]][:3],
                        [])
        if "history" in row:
            counted = range(min(log.completed(), poll_count or 0))
            got = [(p + 1, line[len(HISTORY):]) for p in counted for line in log.segment(p)
                   if line.startswith(HISTORY)]
            wanted = row["history"]
            if self.in_process:
                # Confirmed by a later answer, each line says when its write
                # was sent.
                sent = re.compile(r"; sent at \d\d:\d\d:\d\d$")
                self.expect("lines that say when their write was sent",
                            [text for _, text in got if not sent.search(text)], [])
                got = [(p, sent.sub("", text)) for p, text in got]
            if wanted and isinstance(wanted[0], tuple):
                # A controller's library acknowledges no write: the next
                # answer shows it, so each line comes a poll later.
                lag = 1 if self.in_process else 0
                wanted = [(p + lag, text) for p, text in wanted if p + lag <= len(counted)]
            else:
                got = [text for _, text in got]
            self.expect("switching history", got, wanted)
        for sanitizer in ("Sanitizer", "runtime error"):
            self.expect("objsim reports no %s" % sanitizer,
                        sanitizer in self.read("objsim.out"), False)

        wanted_sets = row.get("sets")
        if poll_count:
            self.expect("polls completed", min(log.completed(), poll_count), poll_count)
            got = [log.outcome(p) for p in range(min(log.completed(), poll_count))]
            wanted = row["polls"]
            if isinstance(wanted, int):  # that many normal polls, none missed
                self.expect("polls without a response", [p for p, o in enumerate(got) if o == "-"], [])
            else:
                self.expect("outcome of each poll", got, wanted)
                if wanted_sets is None:
                    wanted_sets = [o for o in wanted if o != "-"]
            # Ticks go on through every fault: one poll per 22 ticks.
            self.expect("polls not 22 ticks apart",
                        [p for p, n in enumerate(log.ticks()[:poll_count - 1]) if n != 22], [])
        if wanted_sets is not None:
            self.expect("output states written", self.sets()[:len(wanted_sets)], wanted_sets)
        elif not poll_count:
            self.expect("object service requests", self.journal(), [])
        if "journal_sets" in row:
            got = [e for e in self.journal() if e["op"] == "set"][:len(row["journal_sets"])]
            self.expect("writes the simulator recorded", got, row["journal_sets"])
        if "ticks" in row:
            self.expect("ticks between the first two polls", (log.ticks() or [None])[0],
                        row["ticks"])
        if "poll_seconds" in row:
            low, high = row["poll_seconds"]
            lengths = [log.seconds(p) for p in range(min(log.completed(), poll_count))]
            longest = max((t or 0) / self.speed for t in lengths) if lengths else None
            self.expect("polls without time stamps", [p for p, t in enumerate(lengths)
                                                      if t is None], [])
            self.expect("longest poll within %s..%s s (real)" % (low, high),
                        longest is not None and low <= longest + 0.01 and longest <= high, True)
            self.notes.append("longest poll %.2f s (real)" % (longest or 0))
        if "clock_weekday" in row:
            shown = re.findall(r"^ Day of week: (\d+)$", self.read("stdout"), re.M)
            self.expect("weekday of the service's clock (the faked one's, not the real one's)",
                        shown[:1], [str(row["clock_weekday"])])
        if "window_edge" in row:
            self.check_window_edge(row["window_edge"], min(log.completed(), poll_count))
        if "writes" in row:
            self.check_writes(row["writes"])
        if "samples" in row:
            self.check_samples(row, samples)
        if "hwm_rise_kib" in row:
            self.check_memory(samples, row["hwm_rise_kib"], "hwm", "peak (VmHWM) rise", False)
        if "rss_return_kib" in row:
            self.check_memory(samples, row["rss_return_kib"], "rss", "VmRSS return", True)
        if row.get("valgrind"):
            self.check_valgrind()
        if self.in_process:
            self.check_calls()
        if self.notify:
            self.check_notify(poll_count)

    def check_calls(self):
        """How the service called the in-process library."""
        calls = self.calls()
        starts = [i for i, call in enumerate(calls) if call["call"] == "start"]
        if any(call["call"] != "start" for call in calls):
            self.expect("one start, first", starts, [0])
            self.expect("where the library was started", (calls[0].get("host"), calls[0].get("port")),
                        ("127.0.0.1", 60000))
        wrong = []
        for number, call in enumerate(calls):
            if call["call"] == "get":
                types = [o["type"] for o in call["request"]]
                if (call["msgtype"] != 1 or types[-1:] != [3] or types[:-1] != sorted(types[:-1]) or
                        any(o["status"] != 0 for o in call["request"] if o["type"] == 2)):
                    wrong.append((number, call))
            elif call["call"] == "set" and (call["type"] != 3 or call["default"] != 0):
                wrong.append((number, call))
        self.expect("calls unlike a read request or an output write", wrong[:3], [])

    def check_notify(self, polls):
        """The service manager's messages; epoch e lies between the freeze
        after poll e and the one after poll e + 1."""
        row, got = self.row, self.notify.got
        texts = [text for text, _ in got]
        self.expect("messages of no known kind",
                    [t for t in texts if t not in (READY, PING) and not t.startswith(STATUS)], [])
        if row.get("exit") == 1:
            self.expect("messages on a failed start", texts, [])
            return
        self.expect("where READY=1 came among the messages",
                    [i for i, t in enumerate(texts) if t == READY], [0])
        statuses = [t[len(STATUS):] for t in texts if t.startswith(STATUS)]
        self.expect("the same STATUS twice in a row",
                    [t for a, t in zip(statuses, statuses[1:]) if a == t], [])
        pings = [epoch for text, epoch in got if text == PING]
        if "watchdog_usec" not in row:
            self.expect("pings without WATCHDOG_USEC", len(pings), 0)
        else:
            # A tick lasts a second or more of the service's clock: a ping is
            # due at least every WATCHDOG_USEC / 2 of ticks; half that rate
            # is asked, between each two freezes.
            per_ping = 2 * max(1, row["watchdog_usec"] // 2000000)
            ticks = self.notify.ticks
            between = [(pings.count(e), ticks[e + 1] - ticks[e]) for e in range(1, polls)
                       if e + 1 in ticks]
            self.notes.append("(pings, ticks) between the freezes after each poll: %s" % between)
            self.expect("freezes with fewer than a ping per %d ticks between them" % per_ping,
                        [(e + 1, p, n) for e, (p, n) in enumerate(between) if p < n // per_ping],
                        [])
        if row.get("blocked_get"):
            self.expect("the blocked get seen", self.pings_blocked is not None, True)
            if self.pings_blocked is not None:
                self.expect("pings while the poll was blocked", self.pings_blocked, 0)
                self.expect("pings once it went on",
                            texts[self.pings_after_block:].count(PING) > 0, True)
        if "status" in row:
            sent = [t[len(STATUS):] for t, e in got if t.startswith(STATUS) and e < polls]
            wanted = row["status"]
            # Each text that matches is shown as what it matched.
            shown = [w if matches(w, t) else t for t, w in zip(sent, wanted)]
            self.expect("STATUS texts", shown + sent[len(wanted):], wanted)
            self.check_no_answer_time(sent)

    def check_no_answer_time(self, sent):
        """The time a "no answer" status names: that of the row's first poll
        without a response, between the line before it and its first tick."""
        times = {m.group(1) for m in map(NO_ANSWER.fullmatch, sent) if m}
        if not times:
            return
        first = self.row["polls"].index("-")
        stamped = list(zip(self.log.times, self.log.lines))
        start = self.log.polls[first]
        tick = next((i for i in range(start, len(stamped)) if stamped[i][1] == TICK), None)
        bounds = (stamped[start - 1][0], stamped[tick][0] if tick is not None else None)
        if None in bounds:
            self.failures.append("no time stamps around poll %d" % (first + 1))
            return
        low, high = [stamp[:8] for stamp in bounds]
        self.expect("the time of the first poll without a response (%s..%s)" % (low, high),
                    [t for t in times if not low <= t <= high], [])
        self.expect("one time for the whole run of failures", len(times), 1)

    def save_log(self, path, poll_count):
        """The log up to the end of the last poll the case asked for."""
        log = self.log
        end = len(log.lines)
        if poll_count and len(log.polls) >= poll_count:
            last = log.polls[poll_count - 1]
            end = next((i for i in range(last, len(log.lines)) if log.lines[i] == TICK), end)
        with open(path, "w") as out:
            out.write("".join(line + "\n" for line in log.lines[:end]))

    def check_window_edge(self, edge, count):
        """Each poll asks the window between two log lines; their faked time
        stamps say whether it was open then. Both sides must be seen."""
        include = "DEBUG WendleEngine: Include Trigger"
        answers = {"DEBUG WendleEngine: Time out of range": (False, INHIBITED),
                   "DEBUG WendleEngine: Time within range": (True, RELEASED)}
        seen, wrong = set(), []
        for poll in range(count):
            lines = self.log.stamped(poll)
            asked = [i for i, (_, line) in enumerate(lines) if line == include]
            if not asked or asked[0] + 1 >= len(lines) or lines[asked[0] + 1][1] not in answers:
                wrong.append((poll, "no window answer"))
                continue
            (before, _), (after, answer) = lines[asked[0]], lines[asked[0] + 1]
            inside, state = answers[answer]
            # The edge lies between the two stamps: either answer is right.
            possible = {after[:8] >= edge} | {before[:8] >= edge}
            if inside not in possible or self.log.outcome(poll) != state:
                wrong.append((poll, before, after, answer, self.log.outcome(poll)))
            seen.add(inside)
        self.expect("polls that do not follow the window opening at %s" % edge, wrong, [])
        self.expect("window seen closed and open", seen, {False, True})
        self.expect("output states written", self.sets()[:count],
                    [self.log.outcome(p) for p in range(count)])

    def check_writes(self, rule):
        """Each write against the inputs the service was answered just before."""
        wrong, count = [], 0
        for inputs, state, seen in self.answered_writes():
            count += 1
            if state != rule(inputs):
                wrong.append((count, inputs, seen))
        self.expect("writes against the inputs of their poll", wrong[:5], [])
        self.notes.append("%d writes checked" % count)

    def check_samples(self, row, samples):
        first, last = row["samples"]
        if first not in samples or last not in samples:
            self.failures.append("no sample at polls %s: %r" % (row["samples"], samples))
            return
        (rss0, fds0), (rss1, fds1) = [(samples[p]["rss"], samples[p]["fds"]) for p in (first, last)]
        self.notes.append("VmRSS %d kB at poll %d, %d kB at poll %d (%+d kB); fds %d, %d"
                          % (rss0, first, rss1, last, rss1 - rss0, fds0, fds1))
        self.expect("resident memory growth within %d KiB" % row["rss_growth_kib"],
                    rss1 - rss0 <= row["rss_growth_kib"], True)
        self.expect("open file descriptors", fds1, fds0)

    def check_memory(self, samples, limits, field, what, both_ways):
        base, later, kib = limits
        if base not in samples or later not in samples:
            self.failures.append("no memory sample at polls %d, %d: %r" % (base, later, samples))
            return
        before, after = samples[base][field], samples[later][field]
        self.notes.append("%s: %d kB at poll %d, %d kB at poll %d (%+d kB)"
                          % (what, before, base, after, later, after - before))
        change = abs(after - before) if both_ways else after - before
        self.expect("%s within %d KiB" % (what, kib), change <= kib, True)

    def check_valgrind(self):
        report = self.read("valgrind.log")
        lost = {kind: int(amount.replace(",", "")) for kind, amount in
                re.findall(r"(definitely|indirectly|possibly) lost: ([\d,]+) bytes", report)}
        errors = re.findall(r"ERROR SUMMARY: (\d+) errors", report)
        self.expect("memcheck ran to the end", bool(errors), True)
        self.expect("bytes lost", lost, {k: 0 for k in lost})
        self.expect("memcheck errors", errors[-1:], ["0"])
        summary = re.findall(r"(?:in use at exit|definitely lost|indirectly lost|possibly lost"
                             r"|still reachable|ERROR SUMMARY):.*", report)
        self.notes.append("memcheck: " + "; ".join(summary))

    def report(self):
        for note in self.notes:
            print("%s: %s" % (self.name, note))
        if not self.failures:
            shutil.rmtree(self.dir)
            return 0
        print("case %s failed (files kept in %s):" % (self.name, self.dir))
        for failure in self.failures:
            print(failure)
        print("--- service.log (tail)\n" + "\n".join(self.log.lines[-40:]))
        if self.in_process:
            print("--- library calls (tail)\n" + "\n".join(self.read(CALLS).splitlines()[-6:]))
        else:
            print("--- objsim output (tail)\n" + "\n".join(self.read("objsim.out").splitlines()[-10:]))
        return 1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--bin", help="folder of the installed tarwendle and objsim")
    parser.add_argument("--service-bin", help="another folder's tarwendle (a cross build)")
    parser.add_argument("--service-prefix", default="", help="command that runs it (an emulator)")
    parser.add_argument("--faketime-lib", default=FAKETIME_LIB)
    parser.add_argument("--in-process-library", action="store_true",
                        help="the service's object library answers from the state file itself")
    parser.add_argument("--save-log", help="file for the log of the polls the case ran")
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
    row = CASES[args.case]
    if row.get("blocked_get") and not args.in_process_library:
        print("skipped: only the in-process library can block a get")
        return SKIPPED
    if row.get("valgrind") and args.service_prefix:
        print("skipped: memcheck runs only a host build")
        return SKIPPED
    case = Case(args, args.case, row)
    case.run()
    return case.report()


if __name__ == "__main__":
    sys.exit(main())
