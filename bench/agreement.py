"""Why varko and rg may report different lines: the facts of a corpus file that explain a line
only one of them reports. Used by bench/run's agreement check."""
import re


ALLOWED = set(range(0x20, 0x80)) | {0x09, 0x0A, 0x0C, 0x0D}


def utf8_length(data, i):
    """Length of the well-formed UTF-8 sequence at data[i], 0 when ill-formed, -1 when cut."""
    b = data[i]
    if 0xC2 <= b <= 0xDF:
        n, lo, hi = 2, 0x80, 0xBF
    elif 0xE0 <= b <= 0xEF:
        n, lo, hi = 3, 0xA0 if b == 0xE0 else 0x80, 0x9F if b == 0xED else 0xBF
    elif 0xF0 <= b <= 0xF4:
        n, lo, hi = 4, 0x90 if b == 0xF0 else 0x80, 0x8F if b == 0xF4 else 0xBF
    else:
        return 0
    for k in range(1, n):
        if i + k >= len(data):
            return -1
        c = data[i + k]
        if not ((lo <= c <= hi) if k == 1 else (0x80 <= c <= 0xBF)):
            return 0
    return n


def not_text(head, more):
    """varko's default text test on the first 1000 bytes: characters of UTF-8 (or of UTF-16
    after its mark); control characters and ill-formed bytes are other characters."""
    text = other = 0

    def count(cp):
        nonlocal text, other
        if cp < 0x80:
            if cp in ALLOWED:
                text += 1
            else:
                other += 1
        elif cp <= 0x9F:
            other += 1
        else:
            text += 1

    if head[:2] in (b"\xff\xfe", b"\xfe\xff"):
        big = head[:2] == b"\xfe\xff"
        i = 2
        while i < len(head):
            if i + 1 >= len(head):
                other += 0 if more else 1
                break
            u = (head[i] << 8 | head[i + 1]) if big else (head[i + 1] << 8 | head[i])
            if 0xD800 <= u <= 0xDBFF:
                if i + 3 >= len(head) and more:
                    break
                if i + 3 < len(head):
                    low = (head[i + 2] << 8 | head[i + 3]) if big else (head[i + 3] << 8 | head[i + 2])
                    if 0xDC00 <= low <= 0xDFFF:
                        text += 1
                        i += 4
                        continue
                other += 1
            elif 0xDC00 <= u <= 0xDFFF:
                other += 1
            else:
                count(u)
            i += 2
    else:
        i = 3 if head[:3] == b"\xef\xbb\xbf" else 0
        while i < len(head):
            if head[i] < 0x80:
                count(head[i])
                i += 1
                continue
            n = utf8_length(head, i)
            if n > 0:
                count(ord(head[i:i + n].decode("utf-8")))
                i += n
            elif n < 0 and more:
                break
            else:
                other += 1
                i += 1
    return other > 5 or text < other


def parse_hits(path, prefix):
    """{(path, line): text} and the lines that could not be read, from path:line:... output."""
    hits = {}
    bad = []
    lead = re.compile(rb"^([^:]*):([0-9]+):(.*)$", re.S)
    with open(path, "rb") as f:
        data = f.read()
    for raw in data.split(b"\n"):
        if not raw:
            continue
        m = lead.match(raw)
        if not m or not m.group(1).startswith(prefix):
            bad.append(raw)
            continue
        hits[(m.group(1), int(m.group(2)))] = m.group(3)
    return hits, bad


class FileFacts:
    def __init__(self):
        self.cache = {}

    def get(self, path):
        if path not in self.cache:
            try:
                with open(path, "rb") as f:
                    data = f.read()
            except OSError:
                data = b""
            head = data[:1000]
            self.cache[path] = {
                "utf16": head[:2] in (b"\xff\xfe", b"\xfe\xff"),
                "nul": b"\0" in data,
                "not_text": not data or not_text(head, len(data) > len(head)),
                "cr": b"\r" in data.replace(b"\r\n", b""),
                "lines": data.count(b"\n") + (0 if data.endswith(b"\n") or not data else 1),
            }
        return self.cache[path]


def ascii_lower(b):
    return b.translate(bytes.maketrans(b"ABCDEFGHIJKLMNOPQRSTUVWXYZ",
                                       b"abcdefghijklmnopqrstuvwxyz"))


def ascii_has(case, text):
    """Whether text holds a pattern of the case by varko's rules (a-z folding, ASCII words)."""
    hay = ascii_lower(text) if case.folds_case else text
    for pat in case.patterns:
        needle = ascii_lower(pat) if case.folds_case else pat
        start = hay.find(needle)
        while start >= 0:
            if not case.word:
                return True
            end = start + len(needle)
            before = hay[start - 1:start]
            after = hay[end:end + 1]
            if not (before and (before.isalnum() or before == b"_")) and \
               not (after and (after.isalnum() or after == b"_")):
                return True
            start = hay.find(needle, start + 1)
    return False


def reason(case, facts, path, text, only_in):
    f = facts.get(path)
    if f["utf16"] and f["not_text"]:
        return "UTF-16 file (rg decodes it, varko skips it)"
    if f["nul"]:
        return "file holds NUL bytes (rg: binary)"
    if f["not_text"]:
        return "not text for varko (>5 control or invalid characters in the first 1000 bytes)"
    if only_in == "rg" and not ascii_has(case, text):
        if case.word and ascii_has(case.with_word(False), text):
            return "word boundary (rg: Unicode word characters)"
        return "case folding beyond a-z (rg: Unicode)"
    if f["cr"]:
        return "file has bare CR characters (line ends differ)"
    return "unexplained"
