#!/usr/bin/env python3
"""Turns the benchmark programs' JSON output into one Markdown report.

    tools/bench_report.py build/bench > build/bench/report.md

Reads bench_markup.json, bench_tree.json, bench_brace.json, bench_memory.json
bench_save.json and bench_xml.json from the folder (Google Benchmark's --benchmark_out, run
with repetitions and aggregates only) and uses the medians, and
tool_writes.json (the write calls of `tarvik-xml print`, from tools/bench.sh).
When the folder holds baseline/ with the same files from an earlier version
of the library (tools/bench.sh with BENCH_BASELINE), before/after tables
compare the two. Every ratio compares numbers from the same run.
"""
import json
import sys
from pathlib import Path

SHAPES = ["records", "text", "markup", "deep", "real"]
PEERS = ["pugixml", "tinyxml2", "expat", "memchr"]
SIZES = ["1", "10", "50", "full"]
MB = 1e6

# The targets: parse speed against TinyXML-2 and pugixml (every shape), tree
# heap, linear growth, readTree and clone speed against parsing, destroying
# against parsing, parseBrace against the baseline, and memory going back.
TINYXML2_SPEEDUP = 1.5
PUGIXML_SHARE = 0.5
PUGIXML_SHAPES = set(SHAPES)
LINEAR_TOLERANCE = 1.15
READ_TREE_SPEEDUP = 2.0
CLONE_SPEEDUP = 2.0
DESTROY_SPEEDUP = 5.0  # destroying takes at most a fifth of the parse's time
BRACE_SPEEDUP = 2.0
HEAP_LEFT_PCT = 1.0
HEAP_LEFT_KIB = 64.0
KEPT_NODE_KIB = 64.0  # what one node kept from a destroyed document may hold beyond its own bytes
KEPT_NODE_CASES = ["parse8MB", "parse80KB", "clone8MB"]
# Saving: speed against pugixml's save_file and TinyXML-2's SaveFile, and the
# write calls a save makes per MB of the file it writes.
SAVE_PUGIXML_SHARE = 0.75
SAVE_TINYXML2_SPEEDUP = 2.0
SAVE_WRITES_PER_MB = 64
TARGETS = ["tinyxml2", "pugixml", "heap", "linear", "readTree", "clone", "destroy", "brace",
           "heapLeft", "rss", "saveTinyxml2", "savePugixml", "saveWrites", "xmlParseTinyxml2",
           "xmlParsePugixml", "xmlSaveTinyxml2", "xmlSavePugixml", "keptNode"]
# Standard XML (bench_xml): parseXml and saveXmlFile against the peers.
XML_PARSE_TINYXML2_SPEEDUP = 1.5
XML_PARSE_PUGIXML_SHARE = 0.5
XML_SAVE_TINYXML2_SPEEDUP = 2.0
XML_SAVE_PUGIXML_SHARE = 0.75


def medians(path):
    """name (without the aggregate suffix) -> the median run's fields (the
    single run's, for benchmarks run once); empty when the program has not
    written its file."""
    try:
        runs = json.loads(path.read_text())["benchmarks"]
    except (OSError, ValueError, KeyError):
        return {}
    out = {}
    for run in runs:
        name = run["run_name"].replace("/real_time", "").replace("/iterations:1", "")
        if run.get("aggregate_name") == "median" or run.get("run_type") == "iteration":
            out.setdefault(name, run)
            if run.get("aggregate_name") == "median":
                out[name] = run
    return out


def rate(run):
    return run["bytes_per_second"] / MB if run and "bytes_per_second" in run else None


def fmt(value, digits=0):
    return "refused" if value is None else f"{value:,.{digits}f}"


def ratio(a, b):
    return None if a is None or b is None or b == 0 else a / b


def parse_tables(parse, verdicts):
    lines = []
    for shape in SHAPES:
        rows = [s for s in SIZES if f"parse/{shape}/{s}/tarvik" in parse]
        if not rows:
            continue
        lines += [f"### {shape}", ""]
        lines.append("| MB | tarvik MB/s | pugixml | TinyXML-2 | Expat | memchr "
                     "| vs pugixml | vs TinyXML-2 | vs Expat | vs memchr "
                     "| heap ×input: tarvik | pugixml | TinyXML-2 |")
        lines.append("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
        for size in rows:
            ours = parse[f"parse/{shape}/{size}/tarvik"]
            speeds = {p: rate(parse.get(f"parse/{shape}/{size}/{p}")) for p in PEERS}
            heaps = {p: parse.get(f"parse/{shape}/{size}/{p}", {}).get("heap_x")
                     for p in ["pugixml", "tinyxml2"]}
            mine = rate(ours)
            label = f"{ours['input_MB']:.1f}" if size == "full" else size
            cells = [label, fmt(mine)] + [fmt(speeds[p]) for p in PEERS]
            cells += [fmt(ratio(mine, speeds[p]), 2) for p in PEERS]
            cells += [fmt(ours["heap_x"], 2), fmt(heaps["pugixml"], 2), fmt(heaps["tinyxml2"], 2)]
            lines.append("| " + " | ".join(cells) + " |")
            judge(verdicts, shape, size, mine, speeds, ours["heap_x"], heaps["tinyxml2"])
        if "1" in rows and "50" in rows:
            growth = ratio(rate(parse[f"parse/{shape}/1/tarvik"]),
                           rate(parse[f"parse/{shape}/50/tarvik"]))
            lines += ["", f"Time per MB at 50 MB over time per MB at 1 MB: {fmt(growth, 2)}"]
            verdicts["linear"].append((shape, growth, growth is not None and growth <= LINEAR_TOLERANCE))
        lines.append("")
    return lines


def judge(verdicts, shape, size, mine, speeds, heap, tinyxml2_heap):
    vs_tiny = ratio(mine, speeds["tinyxml2"])
    verdicts["tinyxml2"].append((f"{shape}/{size}", vs_tiny,
                                 vs_tiny is not None and vs_tiny >= TINYXML2_SPEEDUP))
    if shape in PUGIXML_SHAPES:
        vs_pugi = ratio(mine, speeds["pugixml"])
        verdicts["pugixml"].append((f"{shape}/{size}", vs_pugi,
                                    vs_pugi is not None and vs_pugi >= PUGIXML_SHARE))
    if tinyxml2_heap is not None:
        verdicts["heap"].append((f"{shape}/{size}", heap / tinyxml2_heap,
                                 heap <= tinyxml2_heap))


def floor_ratios(speeds):
    """The best clone ÷ parse and destroy ÷ parse the tree's memory allows:
    building it writes the tree's bytes fresh and reads the source's back,
    freeing it reads them back."""
    write, read, parse = speeds["writeFresh"], speeds["readBack"], speeds["parse"]
    if not (write and read and parse):
        return [None, None]
    return [1 / (1 / write + 1 / read) / parse, read / parse]


def tree_table(tree, verdicts):
    ops = ["parse", "print", "writeBinary", "readTree", "clone", "destroy", "writeFresh",
           "readBack"]
    checks = [("readTree", READ_TREE_SPEEDUP), ("clone", CLONE_SPEEDUP),
              ("destroy", DESTROY_SPEEDUP)]
    floors = ["clone's floor ÷ parse", "destroy's floor ÷ parse"]
    lines = ["| shape | " + " | ".join(ops) + " | " +
             " | ".join(f"{op} ÷ parse" for op, _ in checks) + " | " + " | ".join(floors) + " |",
             "|---|" + "---:|" * (len(ops) + len(checks) + len(floors))]
    for shape in SHAPES:
        runs = {op: tree.get(f"{op}/{shape}") for op in ops}
        if not runs["parse"]:
            continue
        speeds = {op: runs[op]["vs_text_MB/s"] if runs[op] else None for op in ops}
        speedups = []
        for op, wanted in checks:
            speedup = ratio(speeds[op], speeds["parse"])
            verdicts[op].append((shape, speedup, speedup is not None and speedup >= wanted))
            speedups.append(fmt(speedup, 2))
        speedups += [fmt(value, 2) for value in floor_ratios(speeds)]
        lines.append(f"| {shape} | " + " | ".join(fmt(speeds[op]) for op in ops) +
                     " | " + " | ".join(speedups) + " |")
    return lines


def memory_table(memory, verdicts):
    lines = ["| shape | heap left after destroy (KiB) | as % of the tree's heap |", "|---|---:|---:|"]
    for shape in SHAPES:
        run = memory.get(f"memory/heapLeft/{shape}")
        if not run:
            continue
        kib, pct = run["heap_left_KiB"], run["heap_left_pct"]
        verdicts["heapLeft"].append((shape, pct, pct <= HEAP_LEFT_PCT or kib <= HEAP_LEFT_KIB))
        lines.append(f"| {shape} | {fmt(kib, 1)} | {fmt(pct, 3)} |")
    lines += ["", "| shape (50 MB, 5 rounds) | resident after round 1 (MiB) | after round 5 | growth |",
              "|---|---:|---:|---:|"]
    for shape in SHAPES:
        run = memory.get(f"memory/rounds/{shape}")
        if not run:
            continue
        growth = run["rss_growth_MiB"]
        verdicts["rss"].append((shape, growth, growth <= 0.0))
        lines.append(f"| {shape} | {fmt(run['rss_first_MiB'], 1)} | {fmt(run['rss_last_MiB'], 1)}"
                     f" | {fmt(growth, 1)} |")
    lines += ["", "| one record kept per round | resident growth (MiB) | per round (KiB) "
              "| the records' own heap per round (bytes) |", "|---|---:|---:|---:|"]
    for case in KEPT_NODE_CASES:
        run = memory.get(f"memory/keptNode/{case}")
        if not run:
            continue
        per_round = run["rss_per_round_KiB"]
        bound = KEPT_NODE_KIB + run["kept_per_round_B"] / 1024
        verdicts["keptNode"].append((case, per_round, per_round <= bound))
        lines.append(f"| {case} | {fmt(run['rss_growth_MiB'], 1)} | {fmt(per_round, 1)}"
                     f" | {fmt(run['kept_per_round_B'])} |")
    return lines


def before_after(folder, now, verdicts):
    """Rows of (benchmark, before, after, speedup) for every benchmark of ours
    that both runs hold."""
    before = {name: medians(folder / "baseline" / f"{name}.json")
              for name in ["bench_markup", "bench_tree", "bench_brace"]}
    if not any(before.values()):
        return []
    lines = ["## Before and after (same run)", "",
             "The baseline is the library at `" + baseline_ref(folder) + "`, built and run "
             "by the same tools/bench.sh run.", "",
             "| benchmark | before | after | speedup |", "|---|---:|---:|---:|"]
    for program, runs in now.items():
        for name, run in runs.items():
            if program == "bench_markup" and not name.endswith("/tarvik"):
                continue
            old = before.get(program, {}).get(name)
            if not old or "real_time" not in run:
                continue
            speedup = ratio(old["real_time"], run["real_time"])
            if program == "bench_brace":
                verdicts["brace"].append((name, speedup,
                                          speedup is not None and speedup >= BRACE_SPEEDUP))
            unit = run["time_unit"]
            lines.append(f"| {name} | {old['real_time']:.3g} {unit} | {run['real_time']:.3g} {unit}"
                         f" | {fmt(speedup, 2)} |")
    return lines + [""]


def baseline_ref(folder):
    path = folder / "baseline" / "REF"
    return path.read_text().strip() if path.exists() else "an earlier commit"


def save_tables(save, before, verdicts):
    """Saving side by side, and before/after when the baseline saved too."""
    lines = ["| shape | tarvik MB/s | pugixml | TinyXML-2 | vs pugixml | vs TinyXML-2 "
             "| writes per MB: tarvik | pugixml | TinyXML-2 |",
             "|---|---:|---:|---:|---:|---:|---:|---:|---:|"]
    for shape in SHAPES:
        runs = {lib: save.get(f"save/{shape}/{lib}") for lib in ["tarvik", "pugixml", "tinyxml2"]}
        if not runs["tarvik"]:
            continue
        speeds = {lib: rate(run) for lib, run in runs.items()}
        writes = {lib: run.get("writes_per_MB") if run else None for lib, run in runs.items()}
        vs_pugi = ratio(speeds["tarvik"], speeds["pugixml"])
        vs_tiny = ratio(speeds["tarvik"], speeds["tinyxml2"])
        verdicts["savePugixml"].append((shape, vs_pugi,
                                        vs_pugi is not None and vs_pugi >= SAVE_PUGIXML_SHARE))
        if speeds["tinyxml2"] is not None:  # TinyXML-2 refuses the deep shape
            verdicts["saveTinyxml2"].append(
                (shape, vs_tiny, vs_tiny is not None and vs_tiny >= SAVE_TINYXML2_SPEEDUP))
        mine = writes["tarvik"]
        verdicts["saveWrites"].append((shape, mine, mine is not None and mine < SAVE_WRITES_PER_MB))
        cells = [shape] + [fmt(speeds[lib]) for lib in ["tarvik", "pugixml", "tinyxml2"]]
        cells += [fmt(vs_pugi, 2), fmt(vs_tiny, 2)]
        cells += [fmt(writes[lib], 1) for lib in ["tarvik", "pugixml", "tinyxml2"]]
        lines.append("| " + " | ".join(cells) + " |")
    if before:
        lines += ["", "Before and after, the baseline's saves against the same run's peers:", "",
                  "| shape | before ms | after ms | speedup | vs pugixml before | after "
                  "| vs TinyXML-2 before | after | writes per MB before | after |",
                  "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|"]
        for shape in SHAPES:
            old, new = before.get(f"save/{shape}/tarvik"), save.get(f"save/{shape}/tarvik")
            if not old or not new:
                continue
            peers = [rate(save.get(f"save/{shape}/{lib}")) for lib in ["pugixml", "tinyxml2"]]
            cells = [shape, fmt(old["real_time"], 1), fmt(new["real_time"], 1),
                     fmt(ratio(old["real_time"], new["real_time"]), 2)]
            for peer in peers:
                cells += [fmt(ratio(rate(old), peer), 2), fmt(ratio(rate(new), peer), 2)]
            cells += [fmt(old.get("writes_per_MB"), 1), fmt(new.get("writes_per_MB"), 1)]
            lines.append("| " + " | ".join(cells) + " |")
    return lines


def tool_lines(folder):
    """The write calls of `tarvik-xml print` on the real document."""
    def load(path):
        try:
            return json.loads(path.read_text())
        except (OSError, ValueError):
            return None
    now, old = load(folder / "tool_writes.json"), load(folder / "baseline" / "tool_writes.json")
    if not now:
        return []
    def shown(run):
        per_mb = run["writes"] / (run["bytes"] / MB) if run["bytes"] else None
        return f"{run['writes']:,} writes for {run['bytes'] / MB:.2f} MB ({fmt(per_mb, 1)} per MB)"
    lines = ["", f"`tarvik-xml print` of the real document: {shown(now)}"]
    if old:
        lines[-1] += f"; before: {shown(old)}"
    return lines


def brace_table(brace):
    lines = ["| text | time | MB/s |", "|---|---:|---:|"]
    for name, run in sorted(brace.items()):
        lines.append(f"| {name} | {run['real_time']:.3g} {run['time_unit']} | {fmt(rate(run))} |")
    return lines


def verdict_lines(verdicts):
    titles = {
        "tinyxml2": f"parseMarkup ≥ {TINYXML2_SPEEDUP}× TinyXML-2",
        "pugixml": f"parseMarkup ≥ {PUGIXML_SHARE}× pugixml",
        "heap": "tree heap ≤ TinyXML-2's (ratio shown)",
        "linear": f"1 → 50 MB time per MB within {LINEAR_TOLERANCE}×",
        "readTree": f"readTree ≥ {READ_TREE_SPEEDUP}× parseMarkup",
        "clone": f"clone ≥ {CLONE_SPEEDUP}× parseMarkup",
        "destroy": f"destroying ≤ 1/{DESTROY_SPEEDUP:g} of parsing's time",
        "brace": f"parseBrace ≥ {BRACE_SPEEDUP}× the baseline",
        "heapLeft": f"heap after destroy within {HEAP_LEFT_PCT:g}% or {HEAP_LEFT_KIB:g} KiB (% shown)",
        "rss": "resident size does not grow over 5 rounds (MiB shown)",
        "savePugixml": f"saveMarkupFile ≥ {SAVE_PUGIXML_SHARE}× pugixml's save_file",
        "saveTinyxml2": f"saveMarkupFile ≥ {SAVE_TINYXML2_SPEEDUP}× TinyXML-2's SaveFile "
                        "(where it reads the shape)",
        "saveWrites": f"write calls per saved MB below {SAVE_WRITES_PER_MB}",
        "xmlParseTinyxml2": f"parseXml ≥ {XML_PARSE_TINYXML2_SPEEDUP}× TinyXML-2's Parse",
        "xmlParsePugixml": f"parseXml ≥ {XML_PARSE_PUGIXML_SHARE}× pugixml's load_buffer",
        "xmlSaveTinyxml2": f"saveXmlFile ≥ {XML_SAVE_TINYXML2_SPEEDUP}× TinyXML-2's SaveFile",
        "xmlSavePugixml": f"saveXmlFile ≥ {XML_SAVE_PUGIXML_SHARE}× pugixml's save_file",
        "keptNode": f"a kept node holds ≤ {KEPT_NODE_KIB:g} KiB beyond its own bytes "
                    "(resident growth per round in KiB shown)",
    }
    lines = []
    for key, title in titles.items():
        entries = verdicts[key]
        met = [e for e in entries if e[2]]
        detail = ", ".join(f"{name} {fmt(value, 2)}{'' if ok else ' ✗'}"
                           for name, value, ok in entries)
        lines.append(f"- **{title}**: {len(met)} of {len(entries)} met — {detail}")
    return lines


def xml_tables(xml, verdicts):
    """parseXml and saveXmlFile beside pugixml and TinyXML-2, with the targets."""
    lines = ["| benchmark | tarvik MB/s | pugixml | TinyXML-2 | vs pugixml | vs TinyXML-2 |",
             "|---|---:|---:|---:|---:|---:|"]
    checks = {"parseXml": ("xmlParsePugixml", XML_PARSE_PUGIXML_SHARE,
                           "xmlParseTinyxml2", XML_PARSE_TINYXML2_SPEEDUP),
              "saveXml": ("xmlSavePugixml", XML_SAVE_PUGIXML_SHARE,
                          "xmlSaveTinyxml2", XML_SAVE_TINYXML2_SPEEDUP)}
    for name in [n for n in xml if n.endswith("/tarvik")]:
        stem = name[: -len("/tarvik")]
        mine = rate(xml[name])
        pugi = rate(xml.get(stem + "/pugixml"))
        tiny = rate(xml.get(stem + "/tinyxml2"))
        vs_pugi, vs_tiny = ratio(mine, pugi), ratio(mine, tiny)
        lines.append(f"| {stem} | {fmt(mine)} | {fmt(pugi)} | {fmt(tiny)} | {fmt(vs_pugi, 2)} "
                     f"| {fmt(vs_tiny, 2)} |")
        pugi_key, pugi_want, tiny_key, tiny_want = checks[stem.split("/")[0]]
        label = stem.split("/", 1)[1]
        verdicts[pugi_key].append((label, vs_pugi, vs_pugi is not None and vs_pugi >= pugi_want))
        if tiny is not None:  # TinyXML-2 refuses the deep shape
            verdicts[tiny_key].append((label, vs_tiny, vs_tiny >= tiny_want))
    return lines


def main():
    folder = Path(sys.argv[1] if len(sys.argv) > 1 else "build/bench")
    parse = medians(folder / "bench_markup.json")
    tree = medians(folder / "bench_tree.json")
    brace = medians(folder / "bench_brace.json")
    memory = medians(folder / "bench_memory.json")
    save = medians(folder / "bench_save.json")
    verdicts = {key: [] for key in TARGETS}
    out = ["# Benchmark report", "",
           "Medians of 3 repetitions, all from one run. MB/s counts input bytes (MB = 10^6). "
           "Heap is glibc's mallinfo2 before and after one parse (block headers included), "
           "as a multiple of the input. \"refused\": the library rejected the document "
           "(TinyXML-2 stops at 100 levels of nesting).", "",
           "## parseMarkup side by side", ""]
    out += parse_tables(parse, verdicts)
    out += ["## Tree operations (10 MB; MB/s of the text form)", "",
            "writeFresh writes as many fresh bytes as the tree's heap, readBack reads a word of "
            "every cache line of them: the floors' columns are the best clone ÷ parse "
            "(write and read) and destroy ÷ parse (read) that memory alone allows.", ""]
    out += tree_table(tree, verdicts)
    out += ["", "## parseBrace", ""]
    out += brace_table(brace)
    out += ["", "## Memory going back", ""]
    out += memory_table(memory, verdicts)
    out += ["", "## Saving side by side (10 MB; MB/s of the text the trees were read from)", "",
            "Each library saves its own tree of the same text to a file; ours also flushes it to "
            "the disk and renames it over the old one. Write calls are counted around one save "
            "(/proc/self/io), per MB of the file written.", ""]
    out += save_tables(save, medians(folder / "baseline" / "bench_save.json"), verdicts)
    out += tool_lines(folder)
    out += ["", "## Standard XML side by side (MB/s of the document's text)", "",
            "parseXml builds the tree from a buffer; saveXml writes each library's own tree of "
            "the same document to a file (10 MB shapes). The shapes are those above as standard "
            "XML in UTF-8 with entity and character references.", ""]
    out += xml_tables(medians(folder / "bench_xml.json"), verdicts)
    out += [""]
    out += before_after(folder, {"bench_markup": parse, "bench_tree": tree, "bench_brace": brace},
                        verdicts)
    out += ["## Targets", ""]
    out += verdict_lines(verdicts)
    print("\n".join(out))


if __name__ == "__main__":
    main()
