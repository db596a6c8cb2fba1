#!/usr/bin/env python3
"""Publishes the release scenarios of the whole-program install tests under <www>/scenarios/<name>.

Each scenario holds its own "autoreal/version.ini" and "patch/*.ini"; a test makes one current by
copying those into the served tree. Files on the fault server follow its body pattern.
Usage: make_scenarios.py <servers.env> <www> <setup stand-in> <patcher stand-in> <own server port>
"""
import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "releases"))
from release_tree import Entry, ReleaseTree, pattern_md5, publish_chain  # noqa: E402

RESUME_SIZE = 600 * 1024  # with 1 KiB every 8 ms: about five seconds to cut into
CUT_SIZE = 400000  # cut into quarters
OUTAGE_SIZE = 2 * 1024 * 1024  # served by the test's own server, which goes away for half a minute
SLOW_SMALL_SIZE = 64 * 1024  # with 1 KiB every 30 ms: about two seconds beside the other small files
MANY_SMALL = 300


def main():
    servers = dict(line.strip().split("=", 1) for line in open(sys.argv[1]) if "=" in line)
    www, setup, patcher, own_port = sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5]
    shutil.rmtree(os.path.join(www, "scenarios"), ignore_errors=True)

    def tree(name):
        return ReleaseTree(os.path.join(www, "scenarios", name), f"{servers['http']}/scenarios/{name}")

    def single(name, entries):
        t = tree(name)
        t.write_list("Full", 120, [e(t) if callable(e) else e for e in entries])
        t.write_version(120, 100)

    def patches(name, latest, lists):
        """Release 120 installed, patch lists as given: {number: entries or a raw text}."""
        t = tree(name)
        for number, entries in lists.items():
            if isinstance(entries, str):
                with open(os.path.join(t.root, "patch", f"SL_Patch_{number}.ini"), "w") as f:
                    f.write(entries)
            else:
                t.write_list("Patch", number, [e(t) for e in entries])
        t.write_version(latest, 100)

    def patch_step(number):
        return [lambda t: t.program(setup, f"SL_Patch_{number}.exe"), lambda t: t.data(f"patch_{number}.pak", 4096)]

    publish_chain(tree("chain"), setup, patcher, 120, [121, 122], minimal=100, data_size=96 * 1024)
    single("single", [lambda t: t.program(setup, "SL_Full_120.exe"), lambda t: t.program(patcher, "patcher_sl2.exe")])
    single("setup_fails", [lambda t: t.program(setup, "SL_Full_120_fail7.exe")])
    single("slow_setup", [lambda t: t.program(setup, "SL_Full_120_sleep10000.exe")])
    single("no_setup", [lambda t: t.data("readme.pak", 4096), lambda t: t.data("music.pak", 8192)])
    single("md5_once", [lambda t: t.program(setup, "SL_Full_120.exe"),
                        Entry(f"{servers['fault']}/flip-once/200000/flip.pak", pattern_md5(200000), 200000)])
    single("md5_bad", [lambda t: t.program(setup, "SL_Full_120.exe"),
                       lambda t: t.data("bad.pak", 50000) and t.published("bad.pak", md5="0" * 32)])
    single("resume", [Entry(f"{servers['fault']}/slow/{RESUME_SIZE}/8/big.pak", pattern_md5(RESUME_SIZE), RESUME_SIZE),
                      lambda t: t.program(setup, "SL_Full_120.exe")])

    # Install chain integrity: names with a query, cut transfers, failed and refused patch steps.
    t = ReleaseTree(os.path.join(www, "scenarios", "query"), f"{servers['http']}/scenarios/query", query="?v=2")
    publish_chain(t, setup, patcher, 120, [121], minimal=100, data_size=16 * 1024)
    single("cut", [lambda t: t.program(setup, "SL_Full_120.exe"),
                   Entry(f"{servers['fault']}/cut/{CUT_SIZE}/2/cut.pak", pattern_md5(CUT_SIZE), CUT_SIZE)])
    single("cut_then_gone", [lambda t: t.program(setup, "SL_Full_120.exe"),
                             Entry(f"{servers['fault']}/gone-after/{CUT_SIZE}/100000/gone.pak", "", CUT_SIZE)])
    single("outage", [lambda t: t.program(setup, "SL_Full_120.exe"),
                      Entry(f"http://127.0.0.1:{own_port}/outage/big.pak", pattern_md5(OUTAGE_SIZE), OUTAGE_SIZE)])
    # A few hundred small files around two large ones; among them one slow and one cut twice.
    small = [(lambda i: lambda t: t.data(f"small_{i:03}.pak", 4096 + i))(i) for i in range(MANY_SMALL)]
    single("many", [lambda t: t.program(setup, "SL_Full_120.exe"), lambda t: t.data("large_1.pak", 3 << 20),
                    Entry(f"{servers['fault']}/slow/{SLOW_SMALL_SIZE}/30/slow_small.pak",
                          pattern_md5(SLOW_SMALL_SIZE), SLOW_SMALL_SIZE),
                    *small[:MANY_SMALL // 2],
                    Entry(f"{servers['fault']}/cut/{CUT_SIZE}/2/cut_small.pak", pattern_md5(CUT_SIZE), CUT_SIZE),
                    *small[MANY_SMALL // 2:], lambda t: t.data("large_2.pak", 3 << 20)])
    # Three files of different sizes, the first two slow enough to watch the whole step's bar.
    single("three", [Entry(f"{servers['fault']}/slow/{5 << 18}/1/a.pak", pattern_md5(5 << 18), 5 << 18),
                     Entry(f"{servers['fault']}/slow/{1 << 18}/2/b.pak", pattern_md5(1 << 18), 1 << 18),
                     Entry(f"{servers['fault']}/body/{3 << 20}/c.pak", pattern_md5(3 << 20), 3 << 20),
                     lambda t: t.program(setup, "SL_Full_120.exe")])
    # A patch far larger than the small drive S: of the prepared prefix; its data is never served.
    patches("too_big", 121, {121: [lambda t: t.program(setup, "SL_Patch_121.exe"),
                                   lambda t: Entry(f"{t.base_url}/files/huge.pak", "", 64 << 30)]})
    single("no_version", [lambda t: t.program(setup, "SL_Full_120_noversion.exe")])
    patches("patch_no_setup", 122, {121: [lambda t: t.data("readme_121.pak", 4096)], 122: patch_step(122)})
    bad_line = f"{servers['http']}/scenarios/patch_refused/files/a.pak,not-an-md5,1\n"
    patches("patch_refused", 122, {121: bad_line, 122: patch_step(122)})
    patches("patch_gap", 122, {121: patch_step(121)})
    t = ReleaseTree(os.path.join(www, "scenarios", "tls"), f"{servers['https']}/scenarios/tls")
    t.write_list("Full", 120, [t.program(setup, "SL_Full_120.exe"), t.program(patcher, "patcher_sl2.exe")])
    t.write_version(120, 100)

    # Clear text for the TLS-only build: a file listed over http, a file and a list whose https
    # addresses redirect to http (tests/servers/start.sh).
    setup_entry = t.published("SL_Full_120.exe")
    for name, url in (("tls_clear_file", f"{servers['http']}/scenarios/tls/files/SL_Full_120.exe"),
                      ("tls_redirected_file", f"{servers['https']}/to-http/scenarios/tls/files/SL_Full_120.exe")):
        t = ReleaseTree(os.path.join(www, "scenarios", name), f"{servers['https']}/scenarios/{name}")
        t.write_list("Full", 120, [Entry(url, setup_entry.md5, setup_entry.size)])
        t.write_version(120, 100)
    t = ReleaseTree(os.path.join(www, "scenarios", "tls_redirected_list"), f"{servers['https']}/scenarios/tls")
    t.write_version(777, 100)


if __name__ == "__main__":
    main()
