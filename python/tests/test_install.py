"""The package installs offline into a virtual environment and works there."""

from __future__ import annotations

import os
import shutil
import subprocess
import sys
from pathlib import Path

import pytest

import kivra

# The package as the build laid it out, with its generated vocabulary.
PACKAGE = Path(kivra.__file__).resolve().parents[1]


def test_pip_install_offline(tmp_path) -> None:
    venv = tmp_path / "venv"
    # Debian's setuptools builds wheels with the system's wheel package.
    made = subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", str(venv)],
                          capture_output=True, text=True)
    if made.returncode != 0:
        pytest.skip("python3-venv missing: " + made.stderr.strip())
    # pip builds in the source folder; a copy keeps the build tree clean.
    source = tmp_path / "src"
    shutil.copytree(PACKAGE, source, ignore=shutil.ignore_patterns("__pycache__"))
    env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    subprocess.run([venv / "bin" / "pip", "install", "-q", "--no-index", "--no-build-isolation",
                    str(source)], cwd=tmp_path, env=env, check=True, capture_output=True)
    out = subprocess.run([venv / "bin" / "python", "-c",
                          "import kivra; print(kivra.__file__); print(kivra.library_path())"],
                         cwd=tmp_path, env=env, capture_output=True, text=True, check=True)
    where, library = out.stdout.split()
    assert where.startswith(str(venv))
    assert os.path.samefile(library, os.environ["KIVRA_LIBRARY"])
