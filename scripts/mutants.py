"""Rule-based mutants of our own C++ sources, and the catalogue file that lists them.

A mutant is one small slip on one line: the line's exact text and the text that
replaces it. Candidates come from rules applied to the code of each line with
comments and the insides of string and character literals blanked, so nothing
in a comment or a text is ever touched. Lines that cannot hold a fault are
skipped: preprocessor lines, asserts, trace and debug output, enumerators and
named constants (tables, limits), which only restate data.

The sample is drawn per area (a product folder; a subfolder with a test folder
of its own, like platform/ui, is an area of its own): each candidate gets a
hash of the seed and its own text, and each area keeps the candidates with the
lowest hashes, as many as its share of the code lines (at least a floor). So an
edit elsewhere in the tree leaves a mutant's id, and mostly its being chosen, alone.
"""

import difflib
import hashlib
import os
import re
import subprocess

# Top-level folders that hold no shipped code.
NOT_PRODUCT = {"tests", "testsupport", "fuzz", "bench", "gallery", "demo", "packaging", "cmake",
               "scripts", "docs", "resources"}

# Statements whose only effect is trace or debug output.
OUTPUT_CALL = re.compile(r"\b(Trace|TraceFormat|TraceLine|OutputDebugStringA|StandardOutput|"
                         r"ProcessLog|LogText|q(Debug|Info|Warning|Critical))\s*\(|"
                         r"\bsnprintf\(trace\b|\bstd::(cerr|clog)\b")
ASSERT = re.compile(r"\b(static_assert|assert|Q_ASSERT\w*)\s*\(")
# A named constant, a constant table or an enumeration: data, not logic.
CONSTANT = re.compile(r"^\s*((static|inline)\s+)*(constexpr\b[^(]*=|"
                      r"const\b[^(;]*\bk[A-Z]\w*(\[[^\]]*\])?\s*=)|\benum\b[^;]*\{")
# Dialog layouts, colours, table rows, type aliases, pure virtuals: data too.
LAYOUT = re.compile(r"\b(LTEXT|CTEXT|RTEXT|CONTROL|PUSHBUTTON|DEFPUSHBUTTON|GROUPBOX|EDITTEXT|"
                    r"AUTORADIOBUTTON|AUTOCHECKBOX|COMBOBOX|RGB)\(|^\s*\{.*\},?$|^\s*using\b|"
                    r"\) (const )?= (0|default|delete);")
KEYWORDS = {"return", "delete", "throw", "case", "goto", "if", "while", "for", "switch", "else",
            "do", "new", "co_return", "using", "typedef", "template", "sizeof", "break", "continue"}

SWAPS = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "==", "&&": "||",
         "||": "&&", "+": "-", "-": "+", "+=": "-=", "-=": "+=", "++": "--", "--": "++",
         "true": "false", "false": "true", "&": "|", "|": "&", "min": "max", "max": "min"}

# (rule, pattern on the blanked code, group whose text the SWAPS table replaces)
TOKEN_RULES = [
    ("relational", re.compile(r"(?<=\S) (<=|>=|<|>|==|!=) (?=\S)"), 1),
    ("logical", re.compile(r" (&&|\|\|) "), 1),
    ("arithmetic", re.compile(r"(?<=[\w)\]]) ([+-]) (?=[\w(])"), 1),
    ("arithmetic", re.compile(r" (\+=|-=) "), 1),
    ("arithmetic", re.compile(r"(\+\+|--)(?=\w)|(?<=\w)(\+\+|--)"), 0),
    ("bitwise", re.compile(r"(?<=[\w)]) (&|\|) (?=[\w(])"), 1),
    ("boolean", re.compile(r"\b(true|false)\b"), 1),
    ("min-max", re.compile(r"\bstd::(min|max)\b"), 1),
]
INTEGER = re.compile(r"(?<![\w.'])(0x[0-9A-Fa-f]+|\d+)([uUlL]*)(?![\w.'])")
CONDITION = re.compile(r"^(\s*(?:\} else )?(?:if|while) )\((.*)\)( \{)$")
NEGATION = re.compile(r"!(?!=)")
CLAMP = re.compile(r"\bstd::clamp(<[^<>()]*>)?\(")
TWO_ARGS = re.compile(r"\b(\w+)\(([A-Za-z_][\w.:]*(?:->\w+)?), ([A-Za-z_][\w.:]*(?:->\w+)?)\)")
CALL = re.compile(r"^\s*(\w+(::|\.|->))*(\w+)(<[\w:, *]*>)?\(.*\);$")
ASSIGNMENT = re.compile(r"^\s*[\w.\[\]*>-]+ ([-+|&^]|<<|>>)?= .*;$|"
                        r"^\s*(\+\+|--)?[\w.>-]+(\+\+|--)?;$")


def blank_code(text):
    """The text with comments and the insides of string and character literals
    replaced by blanks, so that positions still match the original."""
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        elif c in "\"'" and not (c == "'" and i > 0 and text[i - 1].isalnum()):
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(c + " " * (j - i - 1) + c)
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def closing_paren(code, start):
    """Index of the parenthesis closing the one at start, or -1 on this line."""
    depth = 0
    for i in range(start, len(code)):
        depth += {"(": 1, ")": -1}.get(code[i], 0)
        if depth == 0:
            return i
    return -1


def top_level_args(code, open_at, close_at):
    args, depth, first = [], 0, open_at + 1
    for i in range(open_at + 1, close_at):
        depth += {"(": 1, "[": 1, "{": 1, ")": -1, "]": -1, "}": -1}.get(code[i], 0)
        if code[i] == "," and depth == 0:
            args.append((first, i))
            first = i + 1
    return args + [(first, close_at)]


def implausible(rule, token, code, start, end):
    """A loop counter run backwards, style flags masked, text subtracted: slips
    nobody makes (the last does not even build)."""
    if token in ("++", "--") and code.lstrip().startswith("for ("):
        return True
    if rule == "arithmetic":
        return '"' in code
    operands = re.findall(r"\w+$", code[:start]) + re.findall(r"^\w+", code[end:])
    return rule == "bitwise" and all(re.fullmatch(r"[A-Z0-9_]+", w) for w in operands)


def line_mutations(line, code, starts_statement):
    """(rule, replacement line) for every slip the rules find on one line."""
    found = []

    def replace(start, end, text):
        return line[:start] + text + line[end:]

    for rule, pattern, group in TOKEN_RULES:
        for m in pattern.finditer(code):
            g = group or (1 if m.group(1) else 2)
            if not implausible(rule, m.group(g), code, m.start(), m.end()):
                found.append((rule, replace(m.start(g), m.end(g), SWAPS[m.group(g)])))
    for m in INTEGER.finditer(code):
        # Sizes of arrays and template arguments are declarations; file modes (octal) data.
        if code[m.end():].startswith(("]", ">")) or code[:m.start()].endswith("<") or \
                re.match(r"0\d", m.group(1)):
            continue
        value = int(m.group(1), 0)
        for other in ([1] if value == 0 else [0, 2] if value == 1 else [value - 1, value + 1]):
            text = hex(other) if m.group(1).startswith("0x") else str(other)
            found.append(("constant", replace(m.start(1), m.end(1), text)))
    for m in NEGATION.finditer(code):
        found.append(("negation", replace(m.start(), m.end(), "")))
    m = CONDITION.match(code)
    if m and closing_paren(code, m.end(1)) == len(code) - 3 and not re.search(
            r"[^=!<>]=[^=]|;|^![\w.>-]*(\(\))?$", m.group(2)):
        condition = line[m.start(2):m.end(2)]
        found.append(("condition", f"{line[:m.end(1)]}(!({condition})){m.group(3)}"))
    for m in CLAMP.finditer(code):
        close = closing_paren(code, m.end() - 1)
        args = top_level_args(code, m.end() - 1, close) if close > 0 else []
        if len(args) == 3:
            value = line[args[0][0]:args[0][1]].strip()
            found.append(("clamp", replace(m.start(), close + 1, value)))
    for m in TWO_ARGS.finditer(code):
        name, a, b = m.groups()
        # Not where order does not matter, nor in a function's own parameter list.
        if a != b and name not in ("min", "max", "swap") and not re.match(
                r"^\s*(?!return\b)[\w:<>*&]+( [\w:<>*&]+)*$", code[:m.start()]):
            found.append(("swap-args", replace(m.start(2), m.end(3), f"{b}, {a}")))
    first = re.match(r"\s*(\w+)", code)
    if starts_statement and (CALL.match(code) or ASSIGNMENT.match(code)) and first and \
            first.group(1) not in KEYWORDS:
        found.append(("drop", ""))
    return found


def file_mutations(path, text):
    """(line number, rule, original, replacement) for every candidate in one file."""
    lines, codes = text.split("\n"), blank_code(text).split("\n")
    found, skip_depth, continued, previous = [], 0, False, ";"
    for number, (line, code) in enumerate(zip(lines, codes), start=1):
        stripped = code.strip()
        starts_statement = previous[-1:] in (";", "{", "}", ":")
        previous = stripped or previous
        depth = code.count("(") + code.count("{") - code.count(")") - code.count("}")
        if skip_depth > 0 or continued:
            # Inside a skipped statement or table, until its brackets close.
            skip_depth = max(0, skip_depth + depth)
            continued = continued and stripped.endswith("\\")
            continue
        if stripped.startswith("#"):
            continued = stripped.endswith("\\")
            continue
        if any(p.search(code) for p in (OUTPUT_CALL, ASSERT, CONSTANT, LAYOUT)):
            skip_depth = max(0, depth)
            continue
        if re.match(r"^\s*[A-Za-z_]\w* = [^;]*,$", code):  # an enumerator
            continue
        for rule, replacement in line_mutations(line, code, starts_statement):
            found.append((number, rule, line, replacement))
    return found


def areas(root):
    """Each product folder, and each subfolder of one that has a test folder of its own."""
    result = []
    for name in sorted(os.listdir(root)):
        folder = os.path.join(root, name)
        if name.startswith(".") or name in NOT_PRODUCT or not os.path.isfile(
                os.path.join(folder, "CMakeLists.txt")):
            continue
        result.append(name)
        for sub in sorted(os.listdir(folder)):
            if os.path.isdir(os.path.join(root, "tests", name, sub)) and os.path.isdir(
                    os.path.join(folder, sub)):
                result.append(f"{name}/{sub}")
    return result


def area_of(path, all_areas):
    """The deepest area holding path, or None outside the product."""
    return max((a for a in all_areas if path.startswith(a + "/")), key=len, default=None)


def sources(root):
    return subprocess.run(["git", "ls-files", "*.cpp", "*.h"], cwd=root, check=True,
                          capture_output=True, text=True).stdout.split()


class Mutant:
    def __init__(self, ident, path, line, rule, original, replacement):
        self.id, self.path, self.line, self.rule = ident, path, line, rule
        self.original, self.replacement = original, replacement

    @property
    def area(self):
        return self.id.rsplit("-", 1)[0].replace(".", "/")

    def diff(self, root):
        """The mutant as a patch `git apply` takes, under a line naming it."""
        try:
            with open(os.path.join(root, self.path), encoding="utf-8") as f:
                lines = f.read().split("\n")
        except OSError:
            lines = []
        if self.line > len(lines) or lines[self.line - 1] != self.original:
            return f"{self.id} ({self.rule}): stale, {self.path}:{self.line} has changed\n"
        mutated = lines[:self.line - 1] + [self.replacement] + lines[self.line:]
        patch = difflib.unified_diff(lines, mutated, f"a/{self.path}", f"b/{self.path}", n=2,
                                     lineterm="")
        return f"{self.id} ({self.rule})\n" + "\n".join(patch) + "\n"


def generate(root, seed, total, floor):
    all_areas = areas(root)
    candidates = {a: [] for a in all_areas}
    size = dict.fromkeys(all_areas, 0)
    for path in sources(root):
        area = area_of(path, all_areas)
        if area is None:
            continue
        with open(os.path.join(root, path), encoding="utf-8") as f:
            text = f.read()
        size[area] += text.count("\n")
        seen = {}
        for number, rule, original, replacement in file_mutations(path, text):
            # The same line text may stand twice in a file: count which one it is.
            key = (original.strip(), replacement.strip())
            seen[key] = seen.get(key, 0) + 1
            digest = hashlib.sha1(f"{seed}\0{path}\0{key}\0{seen[key]}".encode()).hexdigest()
            candidates[area].append((digest, path, number, rule, original, replacement))
    lines = sum(size.values())
    chosen = []
    for area in all_areas:
        share = max(floor, round(total * size[area] / lines))
        picked = sorted(candidates[area])[:share]
        for digest, path, number, rule, original, replacement in sorted(picked,
                                                                        key=lambda c: c[1:3]):
            ident = f"{area.replace('/', '.')}-{digest[6:12]}"
            chosen.append(Mutant(ident, path, number, rule, original, replacement))
    ids = [m.id for m in chosen]
    assert len(ids) == len(set(ids)), "two mutants share an id: pick another seed"
    stats = {a: (size[a], len(candidates[a])) for a in all_areas}
    return chosen, stats


def write_catalogue(path, mutants, seed, stats):
    with open(path, "w", encoding="utf-8") as f:
        f.write(f"# Mutants of tm80's own code, made by `scripts/mutate catalogue --seed {seed}`.\n"
                "# Each: id, file:line, rule; the line as it stands ('-'), the line the mutant\n"
                "# puts in its place ('+', empty when the statement is dropped).\n")
        for area, (lines, count) in stats.items():
            chosen = sum(1 for m in mutants if m.area == area)
            f.write(f"# {area}: {lines} lines, {count} candidates, {chosen} chosen\n")
        for m in mutants:
            f.write(f"\n{m.id} {m.path}:{m.line} {m.rule}\n-{m.original}\n+{m.replacement}\n")


def read_catalogue(path):
    mutants, lines = [], open(path, encoding="utf-8").read().split("\n")
    for i, line in enumerate(lines):
        m = re.match(r"^(\S+-[0-9a-f]+) (\S+):(\d+) (\S+)$", line)
        if m:
            ident, file, number, rule = m.groups()
            original, replacement = lines[i + 1][1:], lines[i + 2][1:]
            mutants.append(Mutant(ident, file, int(number), rule, original, replacement))
    return mutants
