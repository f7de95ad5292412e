"""The kivra tool: each command's success and failure paths."""

from __future__ import annotations

import fcntl
import importlib.util
import json
import os
import re
import select
import shutil
import signal
import socket
import subprocess
import sys
import time
from pathlib import Path

import pytest

from conftest import PORT_DIR, WINE, program

shared = pytest.mark.shared
posix_only = pytest.mark.skipif(bool(WINE), reason="the POSIX rule")

MANUAL = Path(__file__).resolve().parents[2] / "docs" / "man" / "kivra.1"


def kivra(*args: str, user: list[str] | None = None, timeout: float = 20) -> subprocess.CompletedProcess:
    return subprocess.run([*(user or []), *program("KIVRA_CLI"), *args],
                          capture_output=True, text=True, timeout=timeout)


def ok(*args: str) -> str:
    out = kivra(*args)
    assert out.returncode == 0, out.stderr
    return out.stdout


def test_ports(sim) -> None:
    s = sim()
    assert s.name in ok("ports").split()
    assert s.name in json.loads(ok("ports", "--json"))
    details = {d["name"]: d for d in json.loads(ok("ports", "--details", "--json"))}
    assert details[s.name]["link"].startswith("/dev/pts/")
    assert details[s.name]["path"] == s.link
    assert f"{s.name} path={s.link} link=/dev/pts/" in ok("ports", "--details")



def test_ports_shows_the_url_of_a_network_port() -> None:
    with socket.socket() as free:  # a port nothing listens on once closed
        free.bind(("127.0.0.1", 0))
        url = f"socket://127.0.0.1:{free.getsockname()[1]}"
    entry = Path(PORT_DIR) / "LAB3"
    entry.write_text(url + "\n")
    entry.chmod(0o600)
    try:
        assert "LAB3" in ok("ports").split()
        details = {d["name"]: d for d in json.loads(ok("ports", "--details", "--json"))}
        assert details["LAB3"] == {"name": "LAB3", "path": str(entry), "url": url,
                                   "rtt": "unreachable"}
        assert f"LAB3 path={entry} url={url} rtt=unreachable\n" in ok("ports", "--details")
        out = kivra("info", "LAB3")
        assert out.returncode != 0
        assert f"port LAB3 ({url}) cannot be reached" in out.stderr
    finally:
        entry.unlink()

@shared
def test_simulator_under_its_default_name(sim) -> None:
    sim(named=False)
    assert "SIM1" in ok("ports").split()
    assert ok("set", "SIM1", "on-time", "250") == ""
    assert ok("get", "SIM1", "on-time") == "250\n"


def _unreachable_url() -> str:
    return f"socket://127.0.0.1:{_free_port()}"  # nothing listens once it is closed


@shared
def test_ports_add_and_remove(sim) -> None:
    url = _unreachable_url()
    assert ok("ports", "add", "LAB3", url) == ""
    entry = Path(PORT_DIR) / "LAB3"
    assert entry.read_text() == url + "\n"
    try:
        assert "LAB3" in ok("ports").split()
        details = {d["name"]: d for d in json.loads(ok("ports", "--details", "--json"))}
        assert details["LAB3"]["url"] == url and details["LAB3"]["rtt"] == "unreachable"
        out = kivra("info", "LAB3")
        assert out.returncode == 1 and f"port LAB3 ({url}) cannot be reached" in out.stderr
        taken = kivra("ports", "add", "LAB3", _unreachable_url())
        assert taken.returncode == 1 and "port name LAB3 is taken" in taken.stderr
        assert entry.read_text() == url + "\n"
        held = kivra("ports", "remove", sim().name)
        assert held.returncode == 1 and "published by a running simulator" in held.stderr
        added = json.loads(ok("--json", "ports", "add", "LAB4", url))
        assert added["name"] == "LAB4" and added["url"] == url
        assert added["path"].endswith("LAB4")
    finally:
        ok("ports", "remove", "LAB3")
        ok("ports", "remove", "LAB4")
    assert "LAB3" not in ok("ports").split() and not entry.exists()
    gone = kivra("ports", "remove", "LAB3")
    assert gone.returncode == 1 and "no port LAB3 in the port directory" in gone.stderr


# (name, URL, exit status, message): refused before anything is written.
PORTS_ADD_REFUSED = [
    ("", "socket://h:1", 2, "the port name is empty"),
    (".LAB", "socket://h:1", 2, "starts with a dot"),
    ("a/b", "socket://h:1", 2, "holds a path separator"),
    ("a,b", "socket://h:1", 2, "holds a comma"),
    ("L" * 65, "socket://h:1", 2, "is longer than 64 bytes"),
    ("LAB", "http://h:1", 2, "'http://h:1' is not a network port"),
    ("LAB", "socket://:4001", 2, "is not a URL the library opens"),
    ("LAB", "rfc2217://h", 2, "is not a URL the library opens"),
    ("LAB", "socket://h:65536", 2, "is not a URL the library opens"),
    ("LAB", "socket://h:1\nsocket://g:2", 2, "the URL is more than one line"),
    ("null", "socket://h:1", 1, "port name null is already a port or device of this machine"),
    ("@", "socket://h:1", 1, "is taken"),
]


@pytest.mark.parametrize("name,url,status,message", PORTS_ADD_REFUSED)
def test_ports_add_refusals(sim, name, url, status, message) -> None:
    port = sim().name
    before = sorted(os.listdir(PORT_DIR))
    out = kivra("ports", "add", port if name == "@" else name, url)
    assert out.returncode == status
    assert message in out.stderr and len(out.stderr.splitlines()) == 1
    assert sorted(os.listdir(PORT_DIR)) == before


def test_ports_add_clears_what_a_killed_simulator_left(sim) -> None:
    s = sim()
    s.process.kill()
    s.process.wait()
    out = kivra("ports", "add", s.name, _unreachable_url())
    assert out.returncode == 1 and "an entry that does not count" in out.stderr
    ok("ports", "remove", s.name)
    assert not os.path.lexists(s.link)
    url = _unreachable_url()
    ok("ports", "add", s.name, url)
    assert os.stat(s.link).st_mode & 0o777 == 0o600
    assert {d["name"]: d for d in json.loads(ok("ports", "--details", "--json"))}[s.name]["url"] == url
    ok("ports", "remove", s.name)


def _free_port() -> int:
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


@pytest.fixture
def served(sim, tmp_path):
    """A simulator behind a raw ser2net accepter: its socket:// URL."""
    if not shutil.which("ser2net", path="/usr/sbin:/usr/bin"):
        pytest.skip("ser2net is not installed")
    device = os.path.realpath(sim().link)
    port = _free_port()
    config = tmp_path / "ser2net.yaml"
    config.write_text(f"connection: &c\n    accepter: tcp(nodelay),127.0.0.1,{port}\n"
                      f"    connector: serialdev,{device},115200n82,local\n"
                      f"    options:\n        chardelay: false\n"
                      # One connection at a time: the newest takes over, so a
                      # probe's or the last command's, still being closed,
                      # does not turn the next command away.
                      f"        kickolduser: true\n")
    server = subprocess.Popen(["/usr/sbin/ser2net", "-n", "-u", "-c", str(config),
                               "-P", str(tmp_path / "pid")],
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    try:
        deadline = time.monotonic() + 30
        while True:
            with socket.socket() as probe:
                if probe.connect_ex(("127.0.0.1", port)) == 0:
                    break
            assert time.monotonic() < deadline, "ser2net does not listen"
            time.sleep(0.02)
        yield f"socket://127.0.0.1:{port}"
    finally:
        server.terminate()
        server.wait(timeout=5)


def test_network_port_shows_its_round_trip(served) -> None:
    text = ok("info", served)
    match = re.search(r"^round-trip +([0-9.]+) ms +network path", text, re.M)
    assert match, text
    info = json.loads(ok("info", served, "--json"))
    assert info["round-trip-ms"] >= 0
    entry = Path(PORT_DIR) / "LAB4"
    entry.write_text(served + "\n")
    entry.chmod(0o600)
    try:
        details = {d["name"]: d for d in json.loads(ok("ports", "--details", "--json"))}
        assert re.fullmatch(r"[0-9]+\.[0-9] ms", details["LAB4"]["rtt"]), details["LAB4"]
    finally:
        entry.unlink()


def test_local_port_has_no_round_trip(sim) -> None:
    port = sim().name
    assert "round-trip" not in ok("info", port)
    assert "round-trip-ms" not in json.loads(ok("info", port, "--json"))
    assert "rtt" not in {d["name"]: d for d in json.loads(ok("ports", "--details", "--json"))}[port]


@shared
def test_info(sim) -> None:
    port = sim().name
    text = ok("info", port)
    assert re.search(r"^on-time +100 +ms +shutter open time \(20 to 100000 ms\)$", text, re.M)
    assert re.search(r"^mode +manual +operating mode", text, re.M)
    assert re.search(r"^firmware +V2\.0\.3", text, re.M)
    info = json.loads(ok("info", port, "--json"))
    assert info["device-name"] == "KIVRA-SHUTTER" and info["serial-number"] == "KS20240001"
    names = [p["name"] for p in info["parameters"]]
    assert names == ["state", "mode", "on-time", "off-time", "cycles", "valve", "initial-state",
                     "trigger-in", "trigger-out", "io1", "io2", "light", "light-idle",
                     "light-timeout"]


@shared
def test_get_and_set(sim) -> None:
    port = sim().name
    assert ok("get", port, "on-time") == "100\n"
    assert ok("set", port, "mode", "trigger", "valve", "KD2-40", "light", "0",
              "on-time", "20", "trigger-in", "2", "io1", "output") == ""
    assert ok("get", port, "mode", "valve", "light", "on-time", "trigger-in", "io1").split() == [
        "trigger", "KD2-40", "0", "20", "falling", "output"]
    assert json.loads(ok("get", port, "mode", "light", "frequency", "device-name", "--json")) == {
        "mode": "trigger", "light": 0, "frequency": 0, "device-name": "KIVRA-SHUTTER"}
    assert json.loads(ok("--json", "set", port, "cycles", "7")) == {"cycles": 7}


# Arguments refused before anything is sent: the silent controller would
# turn any request into a device failure (status 1).
USAGE = [
    (["set", "@", "on-time", "19"], "on-time 19 is out of range: use 20 to 100000 ms"),
    (["set", "@", "light", "-1"], "light -1 is out of range: use 0 to 100"),
    (["set", "@", "light-timeout", "481"], "use 0 to 480 min"),
    (["set", "@", "cycles", "1000001"], "use 1 to 1000000"),
    (["set", "@", "mode", "fast"], "use manual|single|auto|trigger or 1 to 4"),
    (["set", "@", "mode", "5"], "out of range"),
    (["set", "@", "on-time", "1e3"], "not a value of on-time"),
    (["set", "@", "on-time", "99999999999"], "on-time 99999999999 is out of range"),
    (["set", "@", "on-time", "999999999999999999999"], "not a value of on-time"),
    (["set", "@", "colour", "1"], "unknown parameter 'colour'"),
    (["set", "@", "mode", "auto", "light"], "a value is missing after 'light'"),
    (["set", "@", "on-time", "50", "off-time", "5"], "off-time 5 is out of range"),
    (["get", "@", "colour"], "unknown name 'colour'"),
    (["get", "@"], "missing arguments"),
    (["shutter", "@", "ajar"], "'ajar' is not open or close"),
    (["run", "@", "--on", "10"], "on-time 10 is out of range"),
    (["run", "@", "--cycles", "0"], "cycles 0 is out of range"),
    (["raw", "@", "70000"], "is not 0 to 65535"),
    (["raw", "@", "5", "0g"], "is not hex bytes"),
    (["raw", "@", "5", "00" * 57], "at most 56"),
    (["info"], "missing arguments"),
    (["ports", "extra"], "too many arguments"),
    (["frobnicate"], "unknown command 'frobnicate'"),
    (["get", "@", "mode", "--bogus"], "Unknown option 'bogus'"),
]


@shared
@pytest.mark.parametrize("args,message", USAGE)
def test_usage_errors(sim, args, message) -> None:
    port = sim("--silent").name
    out = kivra(*[port if a == "@" else a for a in args])
    assert out.returncode == 2
    assert message in out.stderr
    assert len(out.stderr.splitlines()) == 1


@shared
def test_no_arguments_and_help() -> None:
    assert kivra().returncode == 2
    text = ok("--help")
    for command in ("ports", "info", "get", "set", "shutter", "run", "watch", "raw"):
        assert f"  {command} " in text
        assert ok(command, "--help").startswith(f"Usage: kivra {command} ")


# (simulator options, command, message)
DEVICE_FAILURES = [
    (["--silent"], ["get", "@", "on-time"], "get on-time: no answer from the controller within 30 ms (code -2)"),
    (["--silent"], ["info", "@"], "get state: no answer from the controller within 30 ms (code -2)"),
    (["--silent"], ["raw", "@", "5"], "no answer from the controller within 28 ms (code -2)"),
    (["--silent"], ["watch", "@"], "get state: no answer"),
    (["--silent"], ["run", "@", "--wait"], "set mode auto: no answer"),
    (["--corrupt", "start"], ["get", "@", "frequency"], "get frequency: reply start word wrong (code -3)"),
    (["--corrupt", "length"], ["get", "@", "device-name"], "reply length does not match its data (code -4)"),
    (["--corrupt", "status"], ["set", "@", "light", "5"], "set light 5: the controller refused the request (code -5)"),
    (["--corrupt", "status"], ["shutter", "@", "open"], "shutter open: the controller refused the request (code -5)"),
    (["--corrupt", "check"], ["get", "@", "mode"], "get mode: reply check word wrong (code -6)"),
    ([], ["get", "NO-SUCH-PORT", "mode"], "cannot open NO-SUCH-PORT: port NO-SUCH-PORT is absent"),
    pytest.param([], ["get", "../x", "mode"], "'../x' is not a port name", marks=posix_only),
]


@shared
@pytest.mark.parametrize("options,args,message", DEVICE_FAILURES)
def test_device_failures(sim, options, args, message) -> None:
    port = sim(*options).name
    out = kivra(*[port if a == "@" else a for a in args])
    assert out.returncode == 1
    assert message in out.stderr
    assert len(out.stderr.splitlines()) == 1


@shared
def test_status_238_is_success(sim) -> None:
    port = sim("--status238").name
    ok("set", port, "on-time", "33")
    assert ok("get", port, "on-time") == "33\n"


def test_in_use_names_the_holder(sim) -> None:
    port = sim().name
    holder = subprocess.Popen(
        [sys.executable, "-c",
         "import fcntl,os,sys;fd=os.open(sys.argv[1],os.O_RDWR|os.O_NOCTTY);"
         "fcntl.flock(fd,fcntl.LOCK_EX);print('held',flush=True);sys.stdin.read()",
         os.path.join(PORT_DIR, port)], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    try:
        assert holder.stdout.readline() == "held\n"
        out = kivra("get", port, "mode")
        assert out.returncode == 1
        name = Path(sys.executable).name[:15]
        assert f"port {port} is in use by process {holder.pid} ({name})" in out.stderr
    finally:
        holder.communicate("")


def test_no_permission_gives_the_remedy(sim) -> None:
    port = sim().name
    tty = os.path.realpath(os.path.join(PORT_DIR, port))
    name, path = port, os.path.join(PORT_DIR, port)
    user: list[str] = []
    if os.geteuid() == 0:
        # Root opens anything: ask as an ordinary user, who has no port
        # directory of root's to trust and so names the device itself.
        if not shutil.which("setpriv"):
            pytest.skip("setpriv missing")
        user = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
        name, path = tty, tty
    mode = os.stat(tty).st_mode
    try:
        os.chmod(tty, 0o600 if user else 0)
        out = kivra("get", name, "mode", user=user)
    finally:
        os.chmod(tty, mode)
    assert out.returncode == 1
    assert f"no permission to open {path}" in out.stderr
    assert "remedy: sudo usermod -aG dialout $USER, then log in again" in out.stderr


@shared
def test_shutter_and_run(sim) -> None:
    port = sim().name
    ok("shutter", port, "open")
    assert ok("get", port, "state") == "open\n"
    ok("shutter", port, "close")
    assert ok("get", port, "state") == "closed\n"
    started = time.monotonic()
    result = json.loads(ok("run", port, "--on", "20", "--off", "30", "--cycles", "4", "--wait",
                           "--json"))
    assert time.monotonic() - started >= 0.2  # 4 cycles of 50 ms
    assert result["finished"] and result["cycles"] == 4 and result["on-time"] == 20
    assert ok("get", port, "mode", "frequency", "off-time") == "auto\n0\n30\n"
    # Without --wait the run goes on after the tool has returned.
    ok("run", port, "--cycles", "100")
    assert ok("get", port, "frequency") == "20\n"  # the 20 ms and 30 ms set above


def test_ctrl_c_stops_the_run(sim) -> None:
    port = sim().name
    run = subprocess.Popen([os.environ["KIVRA_CLI"], "run", port, "--on", "50", "--off", "50",
                            "--cycles", "1000", "--wait"], stderr=subprocess.PIPE, text=True)
    # Ctrl-C is caught once the tool says the run has started.
    assert select.select([run.stderr], [], [], 60)[0], "the run did not start"
    assert run.stderr.readline().startswith("kivra: run started;")
    run.send_signal(signal.SIGINT)
    _, err = run.communicate(timeout=5)
    assert run.returncode == 130
    assert "run stopped, shutter closed" in err
    assert ok("get", port, "frequency", "state") == "0\nclosed\n"


def test_watch_follows_a_triggered_cycle(sim) -> None:
    s = sim()
    ok("set", s.name, "mode", "trigger", "on-time", "300", "off-time", "300")
    watch = subprocess.Popen([os.environ["KIVRA_CLI"], "watch", s.name, "--json"],
                             stdout=subprocess.PIPE, text=True)
    first = json.loads(watch.stdout.readline())
    assert first["state"] == "closed" and first["frequency"] == 0
    s.process.stdin.write("\n")  # an edge on the trigger input
    s.process.stdin.flush()
    running = json.loads(watch.stdout.readline())
    assert running["state"] == "open" and running["frequency"] == pytest.approx(1000 / 600)
    watch.send_signal(signal.SIGINT)
    watch.communicate(timeout=5)
    assert watch.returncode == 0


@shared
def test_raw_and_trace(sim) -> None:
    port = sim().name
    assert ok("raw", port, "0x0E", "00 00 00 00") == "ok\n"
    assert json.loads(ok("raw", port, "14", "--json")) == {"code": 14, "sent": 0, "result": 0}
    out = kivra("--trace", "get", port, "on-time")
    assert out.stdout == "100\n"
    assert out.stderr.splitlines()[0] == "-> getShutterOnTime 55 AA 0E 00 04 00 00 00 00 00 5F AA"
    assert ok("get", port, "on-time", "--trace") == "100\n"


def vocabulary():
    """The package's generated vocabulary, read without loading the library:
    under the sanitizers these tests run in a plain Python process."""
    for folder in os.environ.get("PYTHONPATH", "").split(os.pathsep):
        path = Path(folder) / "kivra" / "_vocabulary.py"
        if path.is_file():
            spec = importlib.util.spec_from_file_location("kivra_vocabulary", path)
            module = importlib.util.module_from_spec(spec)
            spec.loader.exec_module(module)
            return module
    pytest.skip("no generated vocabulary on PYTHONPATH (run through ctest)")


def test_each_parameter_reaches_its_functions(sim) -> None:
    # The tool binds each of the vocabulary's parameters to library functions
    # of its own; the trace names the function and shows the code it sent.
    v = vocabulary()
    port = sim("--silent").name
    for name, p in v.PARAMETERS.items():
        get = kivra("--trace", "get", port, name).stderr.splitlines()[0]
        code = v.COMMANDS[p.getter].code
        assert get.startswith(f"-> {p.getter} 55 AA {code:02X} 00 04 00 00 00 00 00 "), name
        put = kivra("--trace", "set", port, name, str(p.max)).stderr.splitlines()[0]
        code = v.COMMANDS[p.setter].code
        value = " ".join(f"{b:02X}" for b in p.max.to_bytes(4, "little"))
        assert put.startswith(f"-> {p.setter} 55 AA {code:02X} 00 04 00 {value} "), name


def test_manual_agrees_with_help() -> None:
    manual = MANUAL.read_text()
    words = set(re.findall(r"--[a-z]+", manual.replace("\\-", "-")))
    for command in ("ports", "info", "get", "set", "shutter", "run", "watch", "raw"):
        assert f".B {command}" in manual or f"\\fB{command}\\fR" in manual, command
        text = ok(command, "--help")
        usage = text.splitlines()[0].removeprefix("Usage: ")
        assert usage.replace("-", "\\-") in manual, usage
        assert set(re.findall(r"--[a-z]+", text)) <= words, command



# (words typed so far, the last one being completed; expected candidates)
COMPLETIONS = [
    (["s"], "set shutter"),
    (["set", "P", "mode", ""], "manual single auto trigger"),
    (["set", "P", "valve", "KD"], "KD08-40 KD2-40"),
    (["set", "P", "mode", "auto", "light-"], "light-idle light-timeout"),
    (["get", "P", "f"], "frequency firmware"),
    (["get", "P", "se"], "serial-number"),
    (["run", "P", "--c"], "--cycles"),
    (["ports", "--d"], "--details"),
    (["shutter", "P", ""], "open close"),
]


@pytest.mark.parametrize("words,expected", COMPLETIONS)
def test_bash_completion(words, expected) -> None:
    # The completion as the build wrote it from its template and the vocabulary.
    completion = os.environ["KIVRA_COMPLETION"]
    script = (f"source {completion}; COMP_WORDS=(kivra {' '.join(repr(w) for w in words)}); "
              f"COMP_CWORD={len(words)}; _kivra; echo \"${{COMPREPLY[*]}}\"")
    out = subprocess.run(["bash", "-c", script], capture_output=True, text=True, check=True)
    assert out.stdout.strip() == expected
