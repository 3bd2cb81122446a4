#!/usr/bin/env bash
# ris studio's page driven in headless Chromium through a maker's whole
# walk (studio_walkthrough.py); a stand-in engine lets Build make a setup.
source "$(dirname "$0")/harness.sh" "$1"
make_engine "$work/engine.scr"
# Debian's Python, which python3-selenium installs into.
/usr/bin/python3 "$(dirname "$0")/studio_walkthrough.py" "$ris" "$work" "$work/engine.scr"
