#!/usr/bin/env python3
"""Runs every GoogleTest binary of a build once as one whole process, its tests shuffled and run
twice, so that state a test leaves behind for the next one fails. ctest runs each test in a
process of its own, which hides that.

Usage: run_whole_test_binaries.py BUILD_DIR [--skip-label LABEL]"""
import argparse
import concurrent.futures
import itertools
import json
import os
import random
import subprocess
import sys

TIMEOUT_SECONDS = 300


def test_binaries(build_dir, skip_label):
    """Each binary's command (with the emulator of a cross build, such as Wine, in front) and
    working folder, as ctest knows them."""
    listing = subprocess.run(["ctest", "--test-dir", build_dir, "--show-only=json-v1"],
                             check=True, capture_output=True, text=True).stdout
    binaries = {}
    for test in json.loads(listing)["tests"]:
        properties = {p["name"]: p["value"] for p in test.get("properties", [])}
        command = tuple(itertools.takewhile(lambda part: not part.startswith("--gtest_"), test.get("command") or []))
        if not command or skip_label in properties.get("LABELS", []):
            continue
        binaries[command] = properties.get("WORKING_DIRECTORY", build_dir)
    return binaries


def run(binary, folder, seed):
    try:
        command = [*binary, "--gtest_shuffle", f"--gtest_random_seed={seed}", "--gtest_repeat=2"]
        result = subprocess.run(command, cwd=folder, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                errors="replace", timeout=TIMEOUT_SECONDS)
        return result.returncode, result.stdout
    except subprocess.TimeoutExpired as expired:
        output = expired.stdout.decode(errors="replace") if expired.stdout else ""
        return "timed out", output


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build_dir")
    parser.add_argument("--skip-label", default="window")
    args = parser.parse_args()
    binaries = test_binaries(args.build_dir, args.skip_label)
    if not binaries:
        print("no test binaries found")
        return 1
    failed = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count()) as pool:
        seeds = {binary: random.randint(1, 99999) for binary in binaries}
        results = pool.map(lambda item: (item[0], *run(*item, seeds[item[0]])), sorted(binaries.items()))
        for binary, status, output in results:
            name = os.path.basename(binary[-1])
            if status == 0:
                print(f"passed  {name}")
                continue
            failed += 1
            print(f"FAILED  {name} ({status}); again with --gtest_random_seed={seeds[binary]}\n{output[-20000:]}")
    print(f"{len(binaries) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
