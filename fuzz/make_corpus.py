#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

Seeds are the datagrams of the test sources (every C++ string literal that
holds a tag, adjacent literals joined) and every payload of the demo race
capture. Each seed is a file named after its content's SHA-1, so running the
script again only adds what is new. Run from anywhere: fuzz/make_corpus.py
"""
import hashlib
import pathlib
import re

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = ROOT / "fuzz" / "corpus"
MAX_DATAGRAM = 1024

# A run of adjacent C++ string literals ("a" "b"), without raw strings.
LITERALS = re.compile(r'"(?:[^"\\\n]|\\.)*"(?:\s*"(?:[^"\\\n]|\\.)*")*')
ONE = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
TAG = re.compile(rb"\{[A-Za-z0-9]*\}")


def c_unescape(body):
    out = bytearray()
    i = 0
    while i < len(body):
        c = body[i]
        if c != "\\":
            out += c.encode("latin-1", errors="replace")
            i += 1
            continue
        i += 1
        e = body[i]
        if e == "x":
            j = i + 1
            while j < len(body) and body[j] in "0123456789abcdefABCDEF":
                j += 1
            out.append(int(body[i + 1:j], 16) & 0xFF)
            i = j
        elif e in "01234567":
            j = i
            while j < len(body) and j < i + 3 and body[j] in "01234567":
                j += 1
            out.append(int(body[i:j], 8) & 0xFF)
            i = j
        else:
            out += {"n": b"\n", "r": b"\r", "t": b"\t", "0": b"\0"}.get(e, e.encode("latin-1"))
            i += 1
    return bytes(out)


def test_datagrams():
    for path in sorted((ROOT / "tests").rglob("*.cpp")):
        text = path.read_text(encoding="utf-8", errors="replace")
        for run in LITERALS.finditer(text):
            data = b"".join(c_unescape(m.group(1)) for m in ONE.finditer(run.group(0)))
            if TAG.search(data) and len(data) <= MAX_DATAGRAM:
                yield data


def demo_race():
    cap = ROOT / "examples" / "demo-race.cap"
    for line in cap.read_bytes().splitlines():
        if not line.strip() or line.startswith(b"#"):
            continue
        parts = line.split(b" ", 2)
        if len(parts) < 3:
            continue
        payload, out, i = parts[2], bytearray(), 0
        while i < len(payload):
            if payload[i:i + 2] == b"\\\\":
                out += b"\\"
                i += 2
            elif payload[i:i + 2] == b"\\x":
                out.append(int(payload[i + 2:i + 4], 16))
                i += 4
            else:
                out.append(payload[i])
                i += 1
        yield bytes(out)


def write(target, seeds):
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    added = 0
    for seed in seeds:
        f = folder / hashlib.sha1(seed).hexdigest()
        if not f.exists():
            f.write_bytes(seed)
            added += 1
    print(f"{target}: {added} new, {len(list(folder.iterdir()))} in all")


def main():
    seeds = sorted(set(test_datagrams()) | set(demo_race()))
    write("fuzz_dispatch", seeds)
    # The field functions see the same packets plus their bare values.
    extra = [b"", b" ", b"12", b" 7", b"3rd", b"-4", b"$1F", b"0x7fffffff", b"-2147483648",
             b"2147483648", b"99999999999999999999", b"12:34:56.78", b"a, b ,,c",
             b"{title}" + b"x" * 300]
    write("fuzz_fields", seeds + extra)


if __name__ == "__main__":
    main()
