"""The Windows wheel as scripts/package-windows.sh makes it: its files, its
metadata, the full 64-bit DLL it carries, and pip installing it offline for
64-bit Windows. No Windows Python is at hand here, so pip installs it into a
folder (--platform win_amd64 --target) rather than for an interpreter that
would import it."""

from __future__ import annotations

import os
import re
import subprocess
import sys
import zipfile
from email.parser import Parser
from pathlib import Path

import pytest

PACKAGE_FILES = {"KivraLibrary.dll", "__init__.py", "_library.py", "_version.py",
                 "_vocabulary.py", "errors.py", "py.typed", "shutter.py"}


def _given(name: str) -> Path:
    value = os.environ.get(name)
    if not value:
        pytest.skip(f"{name} not set (run through ctest)")
    return Path(value)


def test_files_and_metadata() -> None:
    wheel = _given("KIVRA_WHEEL")
    version = re.fullmatch(r"kivra-(.+)-py3-none-win_amd64\.whl", wheel.name).group(1)
    info = f"kivra-{version}.dist-info"
    with zipfile.ZipFile(wheel) as archive:
        assert set(archive.namelist()) == {f"kivra/{n}" for n in PACKAGE_FILES} | {
            f"{info}/{n}" for n in ("METADATA", "WHEEL", "RECORD", "top_level.txt")}
        tags = archive.read(f"{info}/WHEEL").decode().splitlines()
        metadata = Parser().parsestr(archive.read(f"{info}/METADATA").decode())
        dll = archive.read("kivra/KivraLibrary.dll")
    assert "Tag: py3-none-win_amd64" in tags and "Root-Is-Purelib: true" in tags
    assert (metadata["Name"], metadata["Version"], metadata["Requires-Python"]) == (
        "kivra", version, ">=3.9")
    assert dll == _given("KIVRA_WHEEL_DLL").read_bytes()


def test_pip_installs_it_offline_for_windows(tmp_path) -> None:
    wheel = _given("KIVRA_WHEEL")
    venv = tmp_path / "venv"
    made = subprocess.run([sys.executable, "-m", "venv", str(venv)], capture_output=True,
                          text=True)
    if made.returncode != 0:
        pytest.skip("python3-venv missing: " + made.stderr.strip())
    target = tmp_path / "site-packages"
    subprocess.run([venv / "bin" / "pip", "install", "-q", "--no-index", "--no-deps",
                    "--platform", "win_amd64", "--only-binary=:all:", "--target", str(target),
                    str(wheel)], check=True, capture_output=True)
    assert {p.name for p in (target / "kivra").iterdir()} >= PACKAGE_FILES
    assert (target / "kivra" / "KivraLibrary.dll").read_bytes() == \
        _given("KIVRA_WHEEL_DLL").read_bytes()
